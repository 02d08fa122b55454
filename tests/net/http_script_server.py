#!/usr/bin/env python3
"""A one-connection HTTP server with scripted answers for the download tests.

usage: http_script_server.py MODE REQUEST_FILE
Prints its port, takes one connection, stores the request bytes in
REQUEST_FILE and answers as MODE says.
"""
import socket
import struct
import sys
import time

ANSWERS = {
    "exact": [b"HTTP/1.0 200 OK\r\nA: b\r\n\r\nhello"],
    "lf": [b"HTTP/1.0 200 OK\nA: b\n\nbody-lf"],
    "split": [b"HTTP/1.0 200 OK\r\nA: b\r", b"\n\r", b"\nsplit-body"],
    "empty": [b"HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n"],
    "notfound": [b"HTTP/1.0 404 Not Found\r\n\r\nnf"],
    "reset": [b"HTTP/1.0 200 OK\r\n\r\npartial"],
    "silent": [],
}


def main():
    mode, request_file = sys.argv[1], sys.argv[2]
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(1)
    print(listener.getsockname()[1], flush=True)
    conn, _ = listener.accept()
    request = b""
    while b"\r\n\r\n" not in request:
        chunk = conn.recv(65536)
        if not chunk:
            break
        request += chunk
    with open(request_file, "wb") as f:
        f.write(request)
    for piece in ANSWERS[mode]:
        conn.sendall(piece)
        time.sleep(0.2)  # each piece arrives in a read of its own
    if mode == "reset":
        conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    elif mode == "silent":
        time.sleep(60)
    conn.close()


if __name__ == "__main__":
    main()
