// The network-library layer: initialisation, options, errors and the socket
// calls (open, listen, accept, connect, close, read, write).
#include "net/hawknl_state.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nlimpl {

namespace {

thread_local int t_error = NL_NO_ERROR;

constexpr int kFrameHeader = 4;
constexpr std::size_t kReadChunk = 65536;
constexpr int kConnectTimeoutMs = 10000;

void SetNonBlocking(int fd, bool on)
{
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0)
        return;
    fcntl(fd, F_SETFL, on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK));
}

void SetNoDelay(const Socket& s)
{
    // Game packets are small and answered at once: waiting to coalesce them
    // only adds latency.
    if (s.type == NL_RELIABLE_PACKETS) {
        int one = 1;
        setsockopt(s.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
}

NLsocket Register(SocketPtr s)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    NLsocket h = st.nextHandle++;
    st.sockets.emplace(h, std::move(s));
    return h;
}

// Blocks until the whole buffer is sent; false with the error set.
bool SendAllBlocking(Socket& s, const std::uint8_t* p, std::size_t n)
{
    while (n > 0) {
        ssize_t r = send(s.fd, p, n, MSG_NOSIGNAL);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK) {
                pollfd pfd{s.fd, POLLOUT, 0};
                poll(&pfd, 1, 100);
                continue;
            }
            s.writeError = StreamErrno(errno);
            SetError(s.writeError);
            return false;
        }
        p += r;
        n -= static_cast<std::size_t>(r);
    }
    return true;
}

void CompactInput(Socket& s)
{
    if (s.inStart == s.in.size()) {
        s.in.clear();
        s.inStart = 0;
    } else if (s.inStart > kReadChunk) {
        s.in.erase(s.in.begin(), s.in.begin() + static_cast<std::ptrdiff_t>(s.inStart));
        s.inStart = 0;
    }
}

// Takes one whole packet into buffer: its length, 0 when none is complete,
// -1 with the error set (a packet too long for the buffer is dropped).
NLint TakePacketLocked(Socket& s, std::uint8_t* buffer, NLint nbytes)
{
    if (!PacketReadyLocked(s) || s.in.size() - s.inStart < static_cast<std::size_t>(kFrameHeader))
        return 0;
    const std::uint8_t* f = s.in.data() + s.inStart;
    NLint len = (f[2] << 8) | f[3];
    if (s.in.size() - s.inStart < static_cast<std::size_t>(kFrameHeader + len))
        return 0;
    s.inStart += kFrameHeader + static_cast<std::size_t>(len);
    if (len > nbytes) {
        CompactInput(s);
        SetError(NL_BUFFER_SIZE);
        return -1;
    }
    std::memcpy(buffer, f + kFrameHeader, static_cast<std::size_t>(len));
    CompactInput(s);
    return len;
}

// A packet stream that lost its framing: nothing after this point can be
// trusted, so the buffered bytes are dropped and the connection is shut down;
// every later read fails with NL_PACKET_SYNC and the socket stays ready so
// that its owner reads that error and lets the connection go.
void LoseFraming(Socket& s)
{
    s.in.clear();
    s.inStart = 0;
    s.readError = NL_PACKET_SYNC;
    shutdown(s.fd, SHUT_RDWR);
}

} // namespace

Socket::~Socket()
{
    if (fd >= 0)
        ::close(fd);
}

State& GlobalState()
{
    static State* state = new State; // lives to the very end of the process
    return *state;
}

void SetError(int error) { t_error = error; }

SocketPtr Find(NLsocket handle)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    auto it = st.sockets.find(handle);
    if (it == st.sockets.end()) {
        t_error = NL_INVALID_SOCKET;
        return nullptr;
    }
    return it->second;
}

int StreamErrno(int err)
{
    switch (err) {
    case ECONNRESET:
    case EPIPE:
    case ETIMEDOUT:
    case ENOTCONN:
    case ECONNABORTED:
    case EHOSTUNREACH:
    case ENETUNREACH:
    case ENETRESET:
        return NL_SOCK_DISCONNECT;
    default:
        return NL_SYSTEM_ERROR;
    }
}

void FlushQueuedLocked(Socket& s)
{
    while (s.outSent < s.out.size() && s.writeError == 0) {
        ssize_t r = send(s.fd, s.out.data() + s.outSent, s.out.size() - s.outSent,
                         MSG_NOSIGNAL | MSG_DONTWAIT);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return;
            s.writeError = StreamErrno(errno);
            break;
        }
        s.outSent += static_cast<std::size_t>(r);
    }
    s.out.clear();
    s.outSent = 0;
}

void FlushQueued(Socket& s)
{
    std::lock_guard<std::mutex> g(s.writeLock);
    if (!s.out.empty())
        FlushQueuedLocked(s);
}

bool PacketReadyLocked(Socket& s)
{
    for (;;) {
        std::size_t avail = s.in.size() - s.inStart;
        const std::uint8_t* f = s.in.data() + s.inStart;
        // Each header byte is checked as soon as it arrives: a peer that
        // sends one wrong byte and then waits is caught at once.
        if ((avail >= 1 && f[0] != 'N') || (avail >= 2 && f[1] != 'L')) {
            LoseFraming(s);
            return true;
        }
        if (avail < static_cast<std::size_t>(kFrameHeader))
            return s.readError != 0;
        std::size_t len = (static_cast<std::size_t>(f[2]) << 8) | f[3];
        if (len > NL_MAX_PACKET_LENGTH) {
            // No writer produces such a frame; waiting for its bytes would
            // leave the socket silent for ever.
            LoseFraming(s);
            return true;
        }
        if (len == 0) {
            s.inStart += kFrameHeader;
            CompactInput(s);
            continue;
        }
        return avail >= kFrameHeader + len || s.readError != 0;
    }
}

int FillInputLocked(Socket& s, bool wait)
{
    if (s.readError)
        return -1;
    for (;;) {
        std::size_t used = s.in.size();
        s.in.resize(used + kReadChunk);
        ssize_t r = recv(s.fd, s.in.data() + used, kReadChunk, wait ? 0 : MSG_DONTWAIT);
        s.in.resize(used + (r > 0 ? static_cast<std::size_t>(r) : 0));
        if (r > 0)
            return static_cast<int>(r);
        if (r == 0) {
            s.readError = NL_MESSAGE_END;
            return -1;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        s.readError = StreamErrno(errno);
        return -1;
    }
}

} // namespace nlimpl

using namespace nlimpl;

NLboolean nlInit()
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    if (st.initCount == 0) {
        // A fresh start must not inherit the blocking mode some earlier user
        // switched on and forgot.
        st.blockingOption = false;
        st.statsOption = false;
    }
    ++st.initCount;
    return NL_TRUE;
}

void nlShutdown()
{
    State& st = GlobalState();
    std::vector<SocketPtr> closing;
    {
        std::lock_guard<std::mutex> g(st.lock);
        if (st.initCount == 0)
            return;
        if (--st.initCount > 0)
            return;
        for (auto& kv : st.sockets)
            closing.push_back(kv.second);
        st.sockets.clear();
        st.groups.clear();
    }
    for (auto& s : closing) {
        FlushQueued(*s);
        shutdown(s->fd, SHUT_RDWR);
    }
}

NLboolean nlSelectNetwork(NLenum network)
{
    if (network != NL_IP) {
        SetError(NL_INVALID_ENUM);
        return NL_FALSE;
    }
    return NL_TRUE;
}

static NLboolean SetOption(NLenum name, bool on)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    switch (name) {
    case NL_BLOCKING_IO:
        st.blockingOption = on;
        return NL_TRUE;
    case NL_SOCKET_STATS:
        st.statsOption = on;
        return NL_TRUE;
    default:
        SetError(NL_INVALID_ENUM);
        return NL_FALSE;
    }
}

NLboolean nlEnable(NLenum name) { return SetOption(name, true); }
NLboolean nlDisable(NLenum name) { return SetOption(name, false); }

NLboolean nlGetBoolean(NLenum name)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    switch (name) {
    case NL_BLOCKING_IO:
        return st.blockingOption ? NL_TRUE : NL_FALSE;
    case NL_SOCKET_STATS:
        return st.statsOption ? NL_TRUE : NL_FALSE;
    default:
        SetError(NL_INVALID_ENUM);
        return NL_FALSE;
    }
}

NLint nlGetError() { return t_error; }

NLsocket nlOpen(NLushort port, NLenum type)
{
    if (type != NL_RELIABLE && type != NL_RELIABLE_PACKETS) {
        SetError(NL_INVALID_ENUM);
        return NL_INVALID;
    }
    bool blocking;
    {
        State& st = GlobalState();
        std::lock_guard<std::mutex> g(st.lock);
        if (st.initCount == 0) {
            SetError(NL_NO_NETWORK);
            return NL_INVALID;
        }
        blocking = st.blockingOption;
    }
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (blocking ? 0 : SOCK_NONBLOCK), 0);
    if (fd < 0) {
        SetError(NL_SYSTEM_ERROR);
        return NL_INVALID;
    }
    auto s = std::make_shared<Socket>();
    s->fd = fd;
    s->type = type;
    s->blocking = blocking;
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = htons(port);
    if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        SetError(errno == EADDRINUSE || errno == EACCES ? NL_INVALID_PORT : NL_SYSTEM_ERROR);
        return NL_INVALID; // s closes the descriptor
    }
    return Register(std::move(s));
}

NLboolean nlListen(NLsocket socket)
{
    SocketPtr s = Find(socket);
    if (!s)
        return NL_FALSE;
    if (listen(s->fd, SOMAXCONN) != 0) {
        SetError(NL_SYSTEM_ERROR);
        return NL_FALSE;
    }
    s->listening = true;
    return NL_TRUE;
}

NLsocket nlAcceptConnection(NLsocket socket)
{
    SocketPtr s = Find(socket);
    if (!s)
        return NL_INVALID;
    if (!s->listening) {
        SetError(NL_NOT_LISTEN);
        return NL_INVALID;
    }
    int fd;
    for (;;) {
        // Accepted sockets are non-blocking whatever the option says: the
        // game's worker polls them and must never wait in a read.
        fd = accept4(s->fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0)
            break;
        switch (errno) {
        case EINTR:
        case EAGAIN:
#if EAGAIN != EWOULDBLOCK
        case EWOULDBLOCK:
#endif
        case ECONNABORTED:
        case EMFILE:
        case ENFILE:
        case ENOBUFS:
        case ENOMEM:
        case EPROTO:
            // Nothing usable pending now; the listener itself is fine.
            SetError(NL_NO_PENDING);
            return NL_INVALID;
        case EINVAL:
            SetError(NL_NOT_LISTEN);
            return NL_INVALID;
        default:
            SetError(NL_SYSTEM_ERROR);
            return NL_INVALID;
        }
    }
    auto c = std::make_shared<Socket>();
    c->fd = fd;
    c->type = s->type;
    c->blocking = false;
    SetNoDelay(*c);
    return Register(std::move(c));
}

NLboolean nlConnect(NLsocket socket, const NLaddress* address)
{
    if (!address) {
        SetError(NL_NULL_POINTER);
        return NL_FALSE;
    }
    if (!address->valid) {
        SetError(NL_BAD_ADDR);
        return NL_FALSE;
    }
    SocketPtr s = Find(socket);
    if (!s)
        return NL_FALSE;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    std::memcpy(&a.sin_addr.s_addr, address->ip, 4);
    a.sin_port = htons(address->port);
    // Connect without blocking, then wait a bounded time: an unreachable host
    // must not hold the caller for the system's minutes-long time-out.
    SetNonBlocking(s->fd, true);
    int r;
    do {
        r = connect(s->fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    } while (r != 0 && errno == EINTR);
    int err = r == 0 ? 0 : errno;
    if (err == EINPROGRESS) {
        pollfd pfd{s->fd, POLLOUT, 0};
        int pr;
        do {
            pr = poll(&pfd, 1, kConnectTimeoutMs);
        } while (pr < 0 && errno == EINTR);
        if (pr == 0) {
            err = ETIMEDOUT;
        } else {
            socklen_t len = sizeof err;
            if (getsockopt(s->fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                err = errno;
        }
    }
    if (s->blocking)
        SetNonBlocking(s->fd, false);
    if (err != 0) {
        SetError(err == ECONNREFUSED ? NL_CON_REFUSED : err == ETIMEDOUT ? NL_CON_PENDING
                                                                          : NL_SYSTEM_ERROR);
        return NL_FALSE;
    }
    SetNoDelay(*s);
    return NL_TRUE;
}

NLboolean nlClose(NLsocket socket)
{
    if (socket == NL_INVALID)
        return NL_FALSE;
    State& st = GlobalState();
    SocketPtr s;
    {
        std::lock_guard<std::mutex> g(st.lock);
        auto it = st.sockets.find(socket);
        if (it == st.sockets.end()) {
            SetError(NL_INVALID_SOCKET);
            return NL_FALSE;
        }
        s = std::move(it->second);
        st.sockets.erase(it);
        for (auto& kv : st.groups) {
            auto& v = kv.second;
            for (auto i = v.begin(); i != v.end(); ++i) {
                if (*i == socket) {
                    v.erase(i);
                    break;
                }
            }
        }
    }
    FlushQueued(*s);
    // Wakes a thread that waits on this socket; the descriptor itself closes
    // when that thread lets go of the record.
    shutdown(s->fd, SHUT_RDWR);
    return NL_TRUE;
}

// The checks a read and a write share: a buffer, a size not below zero and a
// known socket that is not a listener; null with the error set otherwise.
static SocketPtr FindForTransfer(NLsocket socket, const void* buffer, NLint nbytes)
{
    if (!buffer) {
        SetError(NL_NULL_POINTER);
        return nullptr;
    }
    if (nbytes < 0) {
        SetError(NL_BUFFER_SIZE);
        return nullptr;
    }
    SocketPtr s = Find(socket);
    if (!s)
        return nullptr;
    if (s->listening) {
        SetError(NL_WRONG_TYPE);
        return nullptr;
    }
    return s;
}

NLint nlRead(NLsocket socket, void* buffer, NLint nbytes)
{
    SocketPtr s = FindForTransfer(socket, buffer, nbytes);
    if (!s)
        return NL_INVALID;
    FlushQueued(*s);
    std::lock_guard<std::mutex> g(s->readLock);
    auto* out = static_cast<std::uint8_t*>(buffer);
    if (s->type == NL_RELIABLE_PACKETS) {
        for (;;) {
            NLint r = TakePacketLocked(*s, out, nbytes);
            if (r != 0)
                return r;
            if (s->readError) {
                SetError(s->readError);
                return NL_INVALID;
            }
            if (FillInputLocked(*s, s->blocking) == 0)
                return 0;
        }
    }
    if (s->readError) {
        SetError(s->readError);
        return NL_INVALID;
    }
    for (;;) {
        ssize_t r = recv(s->fd, out, static_cast<std::size_t>(nbytes), s->blocking ? 0 : MSG_DONTWAIT);
        if (r > 0)
            return static_cast<NLint>(r);
        if (r == 0) {
            if (nbytes == 0)
                return 0;
            s->readError = NL_MESSAGE_END;
        } else if (errno == EINTR) {
            continue;
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return 0;
        } else {
            s->readError = StreamErrno(errno);
        }
        SetError(s->readError);
        return NL_INVALID;
    }
}

NLint nlWrite(NLsocket socket, const void* buffer, NLint nbytes)
{
    SocketPtr s = FindForTransfer(socket, buffer, nbytes);
    if (!s)
        return NL_INVALID;
    if (nbytes == 0)
        return 0;
    const auto* data = static_cast<const std::uint8_t*>(buffer);
    std::lock_guard<std::mutex> g(s->writeLock);
    if (s->writeError) {
        SetError(s->writeError);
        return NL_INVALID;
    }
    if (s->type != NL_RELIABLE_PACKETS) {
        if (s->blocking)
            return SendAllBlocking(*s, data, static_cast<std::size_t>(nbytes)) ? nbytes : NL_INVALID;
        for (;;) {
            ssize_t r = send(s->fd, data, static_cast<std::size_t>(nbytes), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r >= 0)
                return static_cast<NLint>(r);
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                return 0;
            s->writeError = StreamErrno(errno);
            SetError(s->writeError);
            return NL_INVALID;
        }
    }
    if (nbytes > NL_MAX_PACKET_LENGTH) {
        SetError(NL_PACKET_SIZE);
        return NL_INVALID;
    }
    std::uint8_t frame[kFrameHeader + NL_MAX_PACKET_LENGTH];
    frame[0] = 'N';
    frame[1] = 'L';
    frame[2] = static_cast<std::uint8_t>(nbytes >> 8);
    frame[3] = static_cast<std::uint8_t>(nbytes);
    std::memcpy(frame + kFrameHeader, data, static_cast<std::size_t>(nbytes));
    std::size_t total = kFrameHeader + static_cast<std::size_t>(nbytes);
    if (s->blocking) {
        if (!s->out.empty() && !SendAllBlocking(*s, s->out.data() + s->outSent, s->out.size() - s->outSent))
            return NL_INVALID;
        s->out.clear();
        s->outSent = 0;
        return SendAllBlocking(*s, frame, total) ? nbytes : NL_INVALID;
    }
    FlushQueuedLocked(*s);
    if (s->writeError) {
        SetError(s->writeError);
        return NL_INVALID;
    }
    std::size_t sent = 0;
    if (s->out.empty()) {
        while (sent < total) {
            ssize_t r = send(s->fd, frame + sent, total - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK)
                    break;
                s->writeError = StreamErrno(errno);
                SetError(s->writeError);
                return NL_INVALID;
            }
            sent += static_cast<std::size_t>(r);
        }
        if (sent == total)
            return nbytes;
    } else if (s->out.size() - s->outSent + total > NL_MAX_QUEUED_BYTES) {
        // The peer takes nothing: refuse the whole frame rather than wait.
        SetError(NL_QUEUE_FULL);
        return NL_INVALID;
    }
    // A frame begun on the wire must be finished, so its rest is always queued.
    s->out.insert(s->out.end(), frame + sent, frame + total);
    return nbytes;
}
