// The network commands over the one network object pRTNet.
#include "net/net_cmds.h"

#include "net/rthawknetwork.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace __VELTRIC__ {

int __g_last_msg_sender = 0;

namespace {

using namespace netmsg;

// A number given where an integer is needed: its whole-number part, held to
// the range of an int.
int WholeInt(double d)
{
    if (!(d == d))
        return 0;
    if (d >= 2147483647.0)
        return 2147483647;
    if (d <= -2147483648.0)
        return -2147483647 - 1;
    return static_cast<int>(d);
}

// As DGStr::Natural, held at the ends of the int range: atoi of a longer id
// would wrap in the 64-bit build and saturate in the 32-bit one.
int TextInt(const DGStr& s) { return s.Natural(); }

DGStr IntText(long long v)
{
    char b[24];
    std::snprintf(b, sizeof b, "%lld", v);
    return DGStr(b);
}

DGStr Text(const std::string& s)
{
    DGStr r;
    r.Append(s.data(), static_cast<std::uint32_t>(s.size()));
    return r;
}

// A query of type with a 4-byte number as payload (or none); true with the
// answer in m.
bool Query(std::uint8_t type, const std::uint32_t* value, NetMessage& m)
{
    if (!pRTNet)
        return false;
    std::uint8_t payload[4];
    if (value)
        NetPutU32(payload, *value);
    NetMessageSet(m, type, kServer, kServer, value ? payload : nullptr, value ? 4 : 0);
    return pRTNet->QueryInformation(m) == 1;
}

} // namespace

double NETHOSTGAME(double, const DGStr&, const DGStr&, const DGStr& port)
{
    if (!pRTNet)
        return 0;
    int p = TextInt(port);
    NLushort use = p >= 1 ? static_cast<NLushort>(p & 0xFFFF) : static_cast<NLushort>(kDefaultPort);
    return pRTNet->Host(use);
}

double NETJOINGAME(double, const DGStr&, const DGStr& address, const DGStr& port)
{
    if (!pRTNet)
        return 0;
    double p = std::atof(port.c_str());
    NLushort use = static_cast<NLushort>(kDefaultPort);
    if (p > 0 && std::isfinite(p))
        use = static_cast<NLushort>(static_cast<unsigned>(std::fmod(std::trunc(p), 65536.0)));
    return pRTNet->Join(use, address.c_str());
}

DGStr NETCREATEPLAYER_Str(const DGStr& name)
{
    if (!pRTNet)
        return DGStr("-1");
    return IntText(pRTNet->CreatePlayer(name.c_str()));
}

double NETDESTROYPLAYER(const DGStr& id)
{
    int v = TextInt(id);
    if (v >= 0 && pRTNet)
        pRTNet->SendToServer(kDestroyPlayer, kServer, v);
    return 1;
}

double NETSENDMSG(const DGStr& from, const DGStr& to, const DGStr& text)
{
    if (!pRTNet)
        return 0;
    int target = TextInt(to);
    if (target == 0)
        target = kAllPlayers;
    std::uint32_t len = text.Len() > static_cast<std::uint32_t>(kMaxPayload) ? kMaxPayload : text.Len();
    return pRTNet->SendToServer(kUserMessage, target, TextInt(from), text.c_str(), len);
}

DGStr NETGETMSG_Str(const DGStr& id)
{
    NetMessage m;
    if (!pRTNet || !pRTNet->GetMessage(TextInt(id), m))
        return DGStr();
    __g_last_msg_sender = m.sender;
    return Text(NetMessageText(m));
}

DGStr NETGETSENDER_Str() { return IntText(__g_last_msg_sender); }

DGStr NETPLAYERNAME_Str(const DGStr& id)
{
    std::uint32_t v = static_cast<std::uint32_t>(TextInt(id));
    NetMessage m;
    if (!Query(kQueryName, &v, m))
        return DGStr("NO_DATA");
    return Text(NetMessageText(m));
}

DGStr NETGETPLAYERID_Str(double index)
{
    std::uint32_t v = static_cast<std::uint32_t>(WholeInt(index));
    NetMessage m;
    if (!Query(kQueryId, &v, m))
        return DGStr("0");
    return IntText(static_cast<std::int32_t>(NetPayloadU32(m)));
}

double NETNUMPLAYERS()
{
    NetMessage m;
    if (!Query(kQueryCount, nullptr, m))
        return 0;
    return NetPayloadU32(m);
}

DGStr NETGETIP_Str()
{
    if (!pRTNet)
        return DGStr();
    char text[4096];
    if (pRTNet->GetLocalAddresses(text, sizeof text) == 0)
        return DGStr();
    return DGStr(text);
}

} // namespace __VELTRIC__
