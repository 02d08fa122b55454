#pragma once
// Helpers of the network tests and benchmarks: plain POSIX peers on
// 127.0.0.1, free ports, line channels to forked peers, bounded waits.
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace nettest {

// A port that was free a moment ago (bound to 0, read back, released).
inline int FreePort()
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    close(fd);
    return ntohs(a.sin_port);
}

// A blocking TCP connection to 127.0.0.1:port, or -1.
inline int RawConnect(int port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

// A blocking listener on 127.0.0.1 with a system-chosen port.
inline int RawListen(int* port)
{
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(fd, 16);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    *port = ntohs(a.sin_port);
    return fd;
}

inline bool SendAll(int fd, const void* p, size_t n)
{
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
        ssize_t r = send(fd, c, n, MSG_NOSIGNAL);
        if (r <= 0)
            return false;
        c += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

inline bool SendAll(int fd, const std::string& s) { return SendAll(fd, s.data(), s.size()); }

// The layer's frame of a payload: 'N', 'L', 16-bit big-endian length.
inline std::string Frame(const std::string& payload)
{
    std::string f = "NL";
    f += static_cast<char>((payload.size() >> 8) & 0xFF);
    f += static_cast<char>(payload.size() & 0xFF);
    return f + payload;
}

// Takes every whole packet ('N', 'L', 16-bit big-endian payload length,
// payload) off the front of in and hands each payload to take, in order.
template <class F> void TakePackets(std::string& in, F take)
{
    while (in.size() >= 4) {
        const size_t len = (static_cast<uint8_t>(in[2]) << 8) | static_cast<uint8_t>(in[3]);
        if (in.size() < 4 + len)
            break;
        const std::string payload = in.substr(4, len);
        in.erase(0, 4 + len);
        take(payload);
    }
}

// Closes with a reset instead of an orderly end.
inline void CloseWithReset(int fd)
{
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    close(fd);
}

// True when the raw peer sees its connection end (orderly or by reset)
// within ms.
inline bool PeerSeesEnd(int fd, int ms = 30000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buf[256];
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        if (recv(fd, buf, sizeof buf, 0) <= 0)
            return true;
    }
    return false;
}

// Writes s and a newline to a pipe or socket.
inline void SendLine(int fd, const std::string& s)
{
    std::string l = s + "\n";
    (void)!write(fd, l.data(), l.size());
}

// One line from fd without its newline, read a byte at a time so nothing
// after it is taken; "timeout" when no whole line came within ms or the
// writer closed first.
inline std::string ReadLine(int fd, int ms = 30000)
{
    std::string line;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char c;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n')
            return line;
        line += c;
    }
    return "timeout";
}

// Polls cond every millisecond for at most ms; true when it held. The
// default is long enough for a loaded machine; a quiet one returns at once.
inline bool WaitUntil(const std::function<bool()>& cond, int ms = 30000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
        if (cond())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return cond();
}

inline double ElapsedMs(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

} // namespace nettest
