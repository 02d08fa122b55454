// The HTTP download: one GET over a plain TCP stream, the response header
// skipped, the body written to a file.
#include "net/webget.h"

#include "net/rthawknetwork.h"
#include "runtime/filesystem.h"

#include <cmath>
#include <cstdio>

namespace __VELTRIC__ {

int __g_WebGetIdleTimeoutMs = 30000;

namespace {

// The response header ends with an empty line: two line feeds with nothing
// but carriage returns between them (CR LF CR LF, or LF LF).
class HeaderSkip {
public:
    // Returns the offset in data where the body starts (n: not in this read).
    int Feed(const char* data, int n)
    {
        for (int i = 0; i < n && !m_done; ++i) {
            if (data[i] == '\n') {
                if (++m_lineFeeds == 2) {
                    m_done = true;
                    return i + 1;
                }
            } else if (data[i] != '\r') {
                m_lineFeeds = 0;
            }
        }
        return m_done ? 0 : n;
    }
    bool Done() const { return m_done; }

private:
    int m_lineFeeds = 0;
    bool m_done = false;
};

} // namespace

int RTHawkNetwork::WGet(const char* host, const char* path, int port, const char* file)
{
    host = host ? host : "";
    path = path ? path : "";
    file = file ? file : "";
    // Without a start of our own there is nothing to end: a running game's
    // count must not be lowered.
    if (!nlInit())
        return 0;
    nlSelectNetwork(NL_IP);
    nlEnable(NL_SOCKET_STATS);
    nlEnable(NL_BLOCKING_IO);

    NLsocket sock = NL_INVALID;
    NLint group = NL_INVALID;
    // The body goes to a temporary file that replaces the old one at the
    // end: a disc that fills up keeps the old file instead of a cut one.
    FileReplacement out;
    bool opened = false;
    bool wrote = true;
    int result = 0;
    do {
        NLaddress a{};
        if (!nlGetAddrFromName(host, &a) || !nlSetAddrPort(&a, static_cast<NLushort>(port)))
            break;
        sock = nlOpen(0, NL_RELIABLE);
        if (sock == NL_INVALID || !nlConnect(sock, &a))
            break;
        // Blocking I/O only for the socket just opened: later game sockets
        // must stay non-blocking.
        nlDisable(NL_BLOCKING_IO);
        char request[4096];
        int n = std::snprintf(request, sizeof request,
                              "GET %s HTTP/1.0\r\nHost:%s\r\nAccept: */*\r\nUser-Agent: Veltric game\r\n\r\n",
                              path, host);
        if (n < 0 || n >= static_cast<int>(sizeof request))
            break; // does not fit: fail before the file is touched
        opened = out.Begin(file);
        if (nlWrite(sock, request, n) == NL_INVALID)
            break;
        group = nlGroupCreate();
        if (group == NL_INVALID || !nlGroupAddSocket(group, sock))
            break;
        HeaderSkip header;
        char buf[4096];
        for (;;) {
            NLsocket ready;
            if (nlPollGroup(group, NL_READ_STATUS, &ready, 1, __g_WebGetIdleTimeoutMs) <= 0)
                break; // nothing for too long: the server is gone quiet
            int r = nlRead(sock, buf, 4095);
            if (r < 0) {
                result = nlGetError() == NL_MESSAGE_END ? 1 : 0;
                break;
            }
            int body = header.Done() ? 0 : header.Feed(buf, r);
            if (body < r && opened)
                wrote = wrote && std::fwrite(buf + body, 1, static_cast<std::size_t>(r - body),
                                             out.File()) == static_cast<std::size_t>(r - body);
        }
    } while (false);

    // What arrived stays also when the transfer broke off, as it always has;
    // only a failed write keeps the old file.
    if (opened)
        out.Commit(wrote);
    if (group != NL_INVALID)
        nlGroupDestroy(group);
    nlClose(sock);
    nlDisable(NL_BLOCKING_IO);
    nlShutdown();
    return result;
}

double NETWEBGET(const DGStr& server, const DGStr& path, double port, const DGStr& file)
{
    int p = 0;
    if (port == port && std::fabs(port) < 2147483647.0)
        p = static_cast<int>(port);
    return RTHawkNetwork::WGet(server.c_str(), path.c_str(), p, file.c_str());
}

} // namespace __VELTRIC__
