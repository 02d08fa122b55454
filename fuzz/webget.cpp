// Fuzzes the HTTP download's reading of the server's answer. A server thread
// on 127.0.0.1 takes the request and sends the input as its whole answer,
// then closes; the download must end with success, and the file it saved
// must hold exactly what follows the end of the header, found here by a
// second, separately written reading of the rule: the header ends at the
// first pair of line feeds with nothing but carriage returns between them.
// Every wait of the server is bounded, so a run never hangs.
#include "net/rthawknetwork.h"
#include "net/webget.h"
#include "fuzz/read_whole.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace __VELTRIC__;

namespace {

constexpr int kWaitMs = 5000;

int g_listener = -1;
int g_port = 0;
std::string g_dir;
std::string g_file;

bool WaitFor(int fd, short events)
{
    pollfd p{fd, events, 0};
    int r;
    do {
        r = poll(&p, 1, kWaitMs);
    } while (r < 0 && errno == EINTR);
    return r > 0;
}

// One connection: the request is read to its empty line, the answer sent
// whole, the sending side closed, and the client's own close awaited so that
// the end is an orderly one and never a reset.
void Serve(const std::uint8_t* answer, std::size_t size)
{
    if (!WaitFor(g_listener, POLLIN))
        return;
    int c = accept(g_listener, nullptr, nullptr);
    if (c < 0)
        return;
    std::string request;
    char buf[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        if (!WaitFor(c, POLLIN))
            break;
        ssize_t r = recv(c, buf, sizeof buf, 0);
        if (r <= 0)
            break;
        request.append(buf, static_cast<std::size_t>(r));
    }
    if (request.compare(0, 10, "GET /fuzz ") != 0)
        std::abort();
    std::size_t sent = 0;
    while (sent < size) {
        if (!WaitFor(c, POLLOUT))
            break;
        ssize_t r = send(c, answer + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            continue;
        if (r <= 0)
            break;
        sent += static_cast<std::size_t>(r);
    }
    shutdown(c, SHUT_WR);
    while (WaitFor(c, POLLIN) && recv(c, buf, sizeof buf, 0) > 0) {
    }
    close(c);
}

// Where the body starts: after the second of two line feeds that have only
// carriage returns between them; npos when the answer has no such pair.
std::size_t BodyStart(const std::uint8_t* data, std::size_t size)
{
    std::size_t previousLineFeed = std::string::npos;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] != '\n')
            continue;
        if (previousLineFeed != std::string::npos) {
            std::size_t k = previousLineFeed + 1;
            while (k < i && data[k] == '\r')
                ++k;
            if (k == i)
                return i + 1;
        }
        previousLineFeed = i;
    }
    return std::string::npos;
}

void CleanUp()
{
    std::remove(g_file.c_str());
    rmdir(g_dir.c_str());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The download prints a line per file it opens; thousands of runs a
    // second of that would drown the fuzzer's own report (on stderr).
    int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        std::fflush(stdout);
        dup2(devNull, STDOUT_FILENO);
        close(devNull);
    }
    char tmpl[] = "/tmp/veltric-fuzz-webget-XXXXXX";
    if (!mkdtemp(tmpl))
        std::abort();
    g_dir = tmpl;
    g_file = g_dir + "/body.bin";
    std::atexit(CleanUp);

    g_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (g_listener < 0 || bind(g_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        listen(g_listener, 16) != 0 || getsockname(g_listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        std::abort();
    g_port = ntohs(a.sin_port);
    // A download that stalls ends after this long instead of the default.
    __g_WebGetIdleTimeoutMs = kWaitMs;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::thread server(Serve, data, size);
    int result = RTHawkNetwork::WGet("127.0.0.1", "/fuzz", g_port, g_file.c_str());
    server.join();

    // The server ended the answer by closing: that is a success.
    if (result != 1)
        std::abort();
    bool exists = false;
    std::string saved = fuzzsupport::ReadWhole(g_file, &exists);
    if (!exists)
        std::abort();
    std::size_t body = BodyStart(data, size);
    std::string expected;
    if (body != std::string::npos)
        expected.assign(reinterpret_cast<const char*>(data) + body, size - body);
    if (saved != expected)
        std::abort();
    return 0;
}
