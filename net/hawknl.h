#pragma once
// The network-library layer: TCP sockets, socket groups, threads and mutexes
// over POSIX sockets and pthreads, with the calls, constants and error numbers
// the network game and the HTTP download use.
//
// Sockets
// - Handles are the layer's own numbers, counted up from 1 and never reused,
//   so a stale handle can never reach a descriptor the system has recycled.
//   A closed or unknown handle fails with NL_INVALID_SOCKET.
// - NL_RELIABLE is a plain TCP stream. NL_RELIABLE_PACKETS is TCP with every
//   packet framed by the bytes 'N', 'L' and the payload length as a 16-bit
//   big-endian number; nlWrite sends one whole frame, nlRead returns one whole
//   packet (or 0 while none is complete). Packets hold 1 to
//   NL_MAX_PACKET_LENGTH bytes.
// - Sockets are non-blocking unless NL_BLOCKING_IO was enabled when they were
//   opened. Accepted sockets are always non-blocking. The options go back to
//   their defaults whenever nlInit raises the count from 0.
// - Writes on one socket are serialised: two threads may write to the same
//   socket and their frames never interleave. On a non-blocking packet socket
//   a frame the system cannot take at once is queued whole (up to
//   NL_MAX_QUEUED_BYTES per socket) and goes out on that socket's next read,
//   write or poll; a frame that does not fit the queue fails as a whole.
//   Nothing raises SIGPIPE.
// - End of stream: nlRead returns -1 with NL_MESSAGE_END (268), also when the
//   peer vanished in the middle of a packet; a reset connection gives -1 with
//   NL_SOCK_DISCONNECT (263). A packet stream that loses its framing (a
//   header that does not start with 'N', 'L' or that announces more than
//   NL_MAX_PACKET_LENGTH bytes) is unusable: the connection is shut down and
//   nlRead fails with NL_PACKET_SYNC (278) from then on; callers treat it as
//   a lost connection.
// - nlInit and nlShutdown count: only the nlShutdown that brings the count to
//   0 closes every socket and destroys every group.
// - nlGetError is per thread and only meaningful after a call that failed.
//
// Addresses are IPv4; as text "a.b.c.d:port". A socket bound to the any
// address reports this machine's own address (its first non-loopback IPv4
// interface, else 127.0.0.1) from nlGetLocalAddr.
#include <cstdint>
#include <pthread.h>

typedef int NLint;
typedef unsigned int NLuint;
typedef unsigned short NLushort;
typedef unsigned int NLenum;
typedef unsigned char NLboolean;
typedef int NLsocket;

#define NL_TRUE ((NLboolean)1)
#define NL_FALSE ((NLboolean)0)
#define NL_INVALID (-1)

// Networks and socket types.
#define NL_IP 3
#define NL_RELIABLE 16
#define NL_RELIABLE_PACKETS 17

// Options for nlEnable / nlDisable.
#define NL_BLOCKING_IO 64
#define NL_SOCKET_STATS 65

// Status for nlPollGroup.
#define NL_READ_STATUS 80

#define NL_MAX_PACKET_LENGTH 16384
#define NL_MAX_STRING_LENGTH 256
#define NL_MAX_QUEUED_BYTES (1024 * 1024)

// Error numbers (nlGetError). They are the numbers of the network library
// this layer replaces, which peers and game code compare with: they must not
// move.
#define NL_NO_ERROR 0
#define NL_NO_NETWORK 256         // nlInit not called, or no network selected
#define NL_OUT_OF_MEMORY 257
#define NL_INVALID_ENUM 258       // unknown network, socket type or option
#define NL_INVALID_SOCKET 259     // closed or unknown handle
#define NL_INVALID_PORT 260
#define NL_INVALID_TYPE 261
#define NL_SYSTEM_ERROR 262       // the system call failed for another reason
#define NL_SOCK_DISCONNECT 263    // connection reset or lost
#define NL_NOT_LISTEN 264         // accept on a socket that does not listen
#define NL_CON_REFUSED 265
#define NL_NO_PENDING 266         // no connection waiting to be accepted
#define NL_BAD_ADDR 267           // text that is not an address, unknown host
#define NL_MESSAGE_END 268        // the peer closed the stream
#define NL_NULL_POINTER 269
#define NL_INVALID_GROUP 270
#define NL_BUFFER_SIZE 273        // packet longer than the reader's buffer (it is dropped)
#define NL_PACKET_SIZE 274        // packet longer than NL_MAX_PACKET_LENGTH
#define NL_WRONG_TYPE 275         // operation not possible on this kind of socket
#define NL_CON_PENDING 276        // connect did not complete in time
#define NL_PACKET_SYNC 278        // a packet stream lost its framing (the connection is lost)
// The layer's own error, which that library does not have. Its error numbers
// all lie between 256 and 299, so this one sits apart at 512, where no
// caller can mistake it for one of them.
#define NL_QUEUE_FULL 512         // the peer does not take what is queued for it

struct NLaddress {
    std::uint8_t ip[4];
    NLushort port;
    NLboolean valid;
};

NLboolean nlInit();
void nlShutdown();
NLboolean nlSelectNetwork(NLenum network);
NLboolean nlEnable(NLenum name);
NLboolean nlDisable(NLenum name);
NLboolean nlGetBoolean(NLenum name);
NLint nlGetError();

// Opens a socket of the type bound to port on every local address (port 0:
// a port the system picks). NL_INVALID on failure.
NLsocket nlOpen(NLushort port, NLenum type);
NLboolean nlListen(NLsocket socket);
// The next pending connection as a new socket, or NL_INVALID with
// NL_NO_PENDING (nothing waiting, or a transient failure of the system such as
// an aborted connection or no descriptor free), NL_NOT_LISTEN or
// NL_SYSTEM_ERROR.
NLsocket nlAcceptConnection(NLsocket socket);
// Connects and waits for the connection to complete (at most 10 s).
NLboolean nlConnect(NLsocket socket, const NLaddress* address);
// Closes the socket; NL_INVALID does nothing.
NLboolean nlClose(NLsocket socket);
// Packets: one whole packet, 0 while none is complete, NL_INVALID on error.
// Streams: the bytes available (blocking sockets wait for some), 0 when none,
// NL_INVALID on error or end of stream.
NLint nlRead(NLsocket socket, void* buffer, NLint nbytes);
// Packets: nbytes when the whole frame was sent or queued, else NL_INVALID.
// Streams: the bytes sent (all of them on a blocking socket).
NLint nlWrite(NLsocket socket, const void* buffer, NLint nbytes);

NLboolean nlGetLocalAddr(NLsocket socket, NLaddress* address);
NLboolean nlGetRemoteAddr(NLsocket socket, NLaddress* address);
// Every IPv4 address of this machine's interfaces that are up, the loopback
// address only when there is no other; the array lives until the next call on
// the same thread. Null with count 0 when there is none.
NLaddress* nlGetAllLocalAddr(NLint* count);
// Parses "a.b.c.d" or "a.b.c.d:port".
NLboolean nlStringToAddr(const char* string, NLaddress* address);
// Writes "a.b.c.d:port" into string (at least 22 bytes) and returns it.
char* nlAddrToString(const NLaddress* address, char* string);
NLboolean nlSetAddrPort(NLaddress* address, NLushort port);
NLushort nlGetPortFromAddr(const NLaddress* address);
// Resolves a host name or address text (an optional ":port" is kept).
NLboolean nlGetAddrFromName(const char* name, NLaddress* address);

NLint nlGroupCreate();
NLboolean nlGroupDestroy(NLint group);
NLboolean nlGroupAddSocket(NLint group, NLsocket socket);
NLboolean nlGroupDeleteSocket(NLint group, NLsocket socket);
// Lists at most number sockets of the group that are ready to read: a packet
// socket with a whole packet or whose stream ended or failed (so that nlRead
// reports it), a stream socket with bytes or an end, a listening socket with
// a pending connection. Waits up to timeout ms (0: not at all, negative: no
// limit). The count, or NL_INVALID.
NLint nlPollGroup(NLint group, NLenum name, NLsocket* sockets, NLint number, NLint timeout);

// Threads and mutexes.
typedef void* (*HThreadFunc)(void* data);
typedef pthread_t HThreadID;
typedef pthread_mutex_t HTmutex;

// Starts func(data) on a new thread; true with its id in *id. A thread made
// not joinable cannot be joined.
NLboolean htThreadCreate(HThreadFunc func, void* data, NLboolean joinable, HThreadID* id);
NLboolean htThreadJoin(HThreadID id, void** status);
NLboolean htMutexInit(HTmutex* mutex);
NLboolean htMutexLock(HTmutex* mutex);
NLboolean htMutexUnlock(HTmutex* mutex);
NLboolean htMutexDestroy(HTmutex* mutex);
