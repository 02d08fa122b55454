// The network-library layer: IPv4 addresses, their text form, name lookup
// and this machine's own addresses.
#include "net/hawknl_state.h"

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <vector>

using namespace nlimpl;

namespace {

NLaddress FromSockaddr(const sockaddr_in& a)
{
    NLaddress r{};
    std::memcpy(r.ip, &a.sin_addr.s_addr, 4);
    r.port = ntohs(a.sin_port);
    r.valid = NL_TRUE;
    return r;
}

// Every IPv4 address of an interface that is up, non-loopback ones first.
std::vector<NLaddress> InterfaceAddresses()
{
    std::vector<NLaddress> other, loop;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (ifaddrs* i = list; i; i = i->ifa_next) {
            if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET || !(i->ifa_flags & IFF_UP))
                continue;
            NLaddress a = FromSockaddr(*reinterpret_cast<sockaddr_in*>(i->ifa_addr));
            a.port = 0;
            (i->ifa_flags & IFF_LOOPBACK ? loop : other).push_back(a);
        }
        freeifaddrs(list);
    }
    if (other.empty())
        return loop.empty() ? std::vector<NLaddress>{NLaddress{{127, 0, 0, 1}, 0, NL_TRUE}} : loop;
    return other;
}

// Splits "text:port"; false when a port is there and is not a number 0..65535.
bool SplitPort(const char* text, std::string& host, bool& hasPort, NLushort& port)
{
    const char* colon = std::strrchr(text, ':');
    hasPort = colon != nullptr;
    host.assign(text, colon ? static_cast<std::size_t>(colon - text) : std::strlen(text));
    port = 0;
    if (!colon)
        return true;
    const char* p = colon + 1;
    if (!*p)
        return false;
    unsigned long v = 0;
    for (; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + static_cast<unsigned long>(*p - '0');
        if (v > 65535)
            return false;
    }
    port = static_cast<NLushort>(v);
    return true;
}

// Asks the socket's descriptor for one of its ends (getsockname or
// getpeername); false with the error set when the out pointer is null, the
// socket is unknown or the call fails.
bool QuerySocketAddr(NLsocket socket, const NLaddress* address,
                     int (*query)(int, sockaddr*, socklen_t*), sockaddr_in& a)
{
    if (!address) {
        SetError(NL_NULL_POINTER);
        return false;
    }
    SocketPtr s = Find(socket);
    if (!s)
        return false;
    socklen_t len = sizeof a;
    if (query(s->fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
        SetError(NL_SYSTEM_ERROR);
        return false;
    }
    return true;
}

} // namespace

NLboolean nlGetLocalAddr(NLsocket socket, NLaddress* address)
{
    sockaddr_in a{};
    if (!QuerySocketAddr(socket, address, getsockname, a))
        return NL_FALSE;
    *address = FromSockaddr(a);
    if (a.sin_addr.s_addr == htonl(INADDR_ANY)) {
        NLaddress own = InterfaceAddresses().front();
        std::memcpy(address->ip, own.ip, 4);
    }
    return NL_TRUE;
}

NLboolean nlGetRemoteAddr(NLsocket socket, NLaddress* address)
{
    sockaddr_in a{};
    if (!QuerySocketAddr(socket, address, getpeername, a))
        return NL_FALSE;
    *address = FromSockaddr(a);
    return NL_TRUE;
}

NLaddress* nlGetAllLocalAddr(NLint* count)
{
    thread_local std::vector<NLaddress> result;
    result = InterfaceAddresses();
    if (count)
        *count = static_cast<NLint>(result.size());
    return result.empty() ? nullptr : result.data();
}

NLboolean nlStringToAddr(const char* string, NLaddress* address)
{
    if (!string || !address) {
        SetError(NL_NULL_POINTER);
        return NL_FALSE;
    }
    address->valid = NL_FALSE;
    std::string host;
    bool hasPort;
    NLushort port;
    in_addr ip{};
    if (!SplitPort(string, host, hasPort, port) || inet_pton(AF_INET, host.c_str(), &ip) != 1) {
        SetError(NL_BAD_ADDR);
        return NL_FALSE;
    }
    std::memcpy(address->ip, &ip.s_addr, 4);
    address->port = port;
    address->valid = NL_TRUE;
    return NL_TRUE;
}

char* nlAddrToString(const NLaddress* address, char* string)
{
    if (!address || !string) {
        SetError(NL_NULL_POINTER);
        return nullptr;
    }
    std::snprintf(string, 22, "%u.%u.%u.%u:%u", address->ip[0], address->ip[1], address->ip[2],
                  address->ip[3], static_cast<unsigned>(address->port));
    return string;
}

NLboolean nlSetAddrPort(NLaddress* address, NLushort port)
{
    if (!address) {
        SetError(NL_NULL_POINTER);
        return NL_FALSE;
    }
    address->port = port;
    return NL_TRUE;
}

NLushort nlGetPortFromAddr(const NLaddress* address)
{
    if (!address) {
        SetError(NL_NULL_POINTER);
        return 0;
    }
    return address->port;
}

NLboolean nlGetAddrFromName(const char* name, NLaddress* address)
{
    if (!name || !address) {
        SetError(NL_NULL_POINTER);
        return NL_FALSE;
    }
    address->valid = NL_FALSE;
    std::string host;
    bool hasPort;
    NLushort port;
    if (!SplitPort(name, host, hasPort, port) || host.empty()) {
        SetError(NL_BAD_ADDR);
        return NL_FALSE;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) != 0 || !res) {
        SetError(NL_BAD_ADDR);
        return NL_FALSE;
    }
    *address = FromSockaddr(*reinterpret_cast<sockaddr_in*>(res->ai_addr));
    address->port = port;
    freeaddrinfo(res);
    return NL_TRUE;
}
