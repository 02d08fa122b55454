// The server's routing and answers and a client's delivery of messages.
#include "net/netroute.h"

#include <cstring>
#include <limits>

namespace __VELTRIC__ {

using namespace netmsg;

namespace {

NetPacket Make(std::uint8_t type, std::int32_t target, std::int32_t sender, std::string payload = {})
{
    NetPacket p;
    p.type = type;
    p.target = target;
    p.sender = sender;
    p.payload = std::move(payload);
    return p;
}

std::string U32Payload(std::uint32_t v)
{
    std::uint8_t b[4];
    NetPutU32(b, v);
    return std::string(reinterpret_cast<char*>(b), 4);
}

std::uint32_t PayloadU32(const NetPacket& m)
{
    return NetGetU32(reinterpret_cast<const std::uint8_t*>(m.payload.data()));
}

const NetPlayer* FindRegistered(const NetServer& s, std::int32_t id)
{
    for (const NetPlayer& p : s.registered)
        if (p.rec.id == id)
            return &p;
    return nullptr;
}

bool Answer(NetServer& server, const NetPacket& q, std::vector<NetOutgoing>& out)
{
    std::string payload;
    switch (q.type) {
    case kQueryCount: {
        std::uint32_t n = 0;
        for (const NetPlayer& p : server.registered)
            n += p.rec.hidden ? 0 : 1;
        payload = U32Payload(n);
        break;
    }
    case kQueryId: {
        if (q.payload.size() < 4)
            return false;
        std::uint32_t index = PayloadU32(q);
        std::int32_t id = 0;
        for (const NetPlayer& p : server.registered) {
            if (p.rec.hidden)
                continue;
            if (index == 0) {
                id = p.rec.id;
                break;
            }
            --index;
        }
        payload = U32Payload(static_cast<std::uint32_t>(id));
        break;
    }
    case kQueryName: {
        if (q.payload.size() < 4)
            return false;
        const NetPlayer* p = FindRegistered(server, static_cast<std::int32_t>(PayloadU32(q)));
        if (!p || !p->rec.name[0])
            return true; // no answer at all: the asker times out
        payload.assign(p->rec.name, strnlen(p->rec.name, kNameBytes - 1));
        break;
    }
    case kQueryHello:
        payload = U32Payload(1);
        break;
    default:
        return false;
    }
    const NetPlayer* asker = FindRegistered(server, q.sender);
    if (asker)
        out.push_back({asker->rec.socket, Make(q.type, q.sender, kServer, std::move(payload))});
    return true;
}

} // namespace

NetPacket NetPacketFrom(const NetMessage& m, NLsocket from)
{
    NetPacket p = Make(m.type, m.target, m.sender);
    std::uint32_t n = m.length > static_cast<std::uint32_t>(kMaxPayload) ? kMaxPayload : m.length;
    p.payload.assign(m.payload, n);
    p.from = from;
    return p;
}

void NetPacketTo(const NetPacket& p, NetMessage& m)
{
    NetMessageSet(m, p.type, p.target, p.sender, p.payload.data(),
                  static_cast<std::uint32_t>(p.payload.size()));
}

int NetPacketEncode(const NetPacket& p, std::uint8_t* out)
{
    NetMessage m;
    NetPacketTo(p, m);
    return NetMessageEncode(m, out);
}

bool NetServerRoute(NetServer& server, const NetPacket& m, std::vector<NetOutgoing>& out)
{
    if (m.type == kUserMessage) {
        if (m.target == kAllPlayers) {
            for (const NetPlayer& p : server.registered) {
                if (p.rec.hidden || p.rec.id == m.sender)
                    continue;
                NetPacket copy = m;
                copy.target = p.rec.id;
                out.push_back({p.rec.socket, std::move(copy)});
            }
        } else if (const NetPlayer* p = FindRegistered(server, m.target)) {
            out.push_back({p->rec.socket, m});
        }
        return true;
    }
    if (m.target != kServer)
        return false;
    switch (m.type) {
    case kCreatePlayer: {
        NetPlayer p;
        if (!NetRecordDecode(reinterpret_cast<const std::uint8_t*>(m.payload.data()),
                             static_cast<std::uint32_t>(m.payload.size()), p.rec))
            return false;
        if (server.nextId == std::numeric_limits<std::int32_t>::max())
            return true; // ids used up: no wrap into the reserved ones
        p.rec.socket = m.from;
        p.rec.hostMarker = 0;
        p.rec.id = server.nextId++;
        server.registered.push_back(std::move(p));
        out.push_back({m.from, Make(kPlayerCreated, server.registered.back().rec.id, kServer)});
        return true;
    }
    case kDestroyPlayer:
        server.registered.remove_if([&](const NetPlayer& p) { return p.rec.id == m.sender; });
        return true;
    default:
        return Answer(server, m, out);
    }
}

int NetServerDropConnection(NetServer& server, NLsocket connection)
{
    int n = 0;
    server.registered.remove_if([&](const NetPlayer& p) {
        bool drop = p.rec.socket == connection;
        n += drop ? 1 : 0;
        return drop;
    });
    return n;
}

bool NetDeliverUser(NetPlayerList& local, const NetPacket& m)
{
    if (m.type != kUserMessage || m.target < 1)
        return false;
    for (NetPlayer& p : local) {
        if (p.rec.id == m.target && !p.abandoned) {
            p.mailbox.push_back(m);
            return true;
        }
    }
    return false;
}

bool NetClientHandle(NetClient& client, const NetPacket& m, NLsocket server, std::vector<NetOutgoing>& out)
{
    if (m.sender != kServer)
        return false;
    if (m.type > 99) {
        if (m.target != client.awaitId)
            return false; // foreign
        if (m.type == kQueryHello && client.fencesAnswered != client.fencesSent) {
            // Counted even when nobody waits: the fence of a given-up query
            // still marks where the later answers begin.
            ++client.fencesAnswered;
            if (client.awaitType != 0 && client.fencesAnswered == client.awaitFence) {
                client.answers.push_back(m);
                client.awaitType = 0;
            }
            return true;
        }
        if (client.awaitType == 0 || m.type != client.awaitType)
            return false; // late: never the answer to another query
        if (client.awaitFence != 0 && client.fencesAnswered + 1 != client.awaitFence)
            return false; // sent before an earlier fence: an earlier query's answer
        client.answers.push_back(m);
        client.awaitType = 0;
        return true;
    }
    if (m.type != kPlayerCreated || m.target < kFirstPlayerId)
        return false;
    for (auto it = client.local.begin(); it != client.local.end(); ++it) {
        if (it->rec.id != kIdAwaited)
            continue;
        if (it->abandoned) {
            // Nobody waits for this player any more: give the id back.
            out.push_back({server, Make(kDestroyPlayer, kServer, m.target)});
            client.local.erase(it);
        } else {
            it->rec.id = m.target;
        }
        return true;
    }
    return false;
}

void NetHandleIncoming(NetClient& client, NetServer* hosting, const NetPacket& m, NLsocket server,
                       std::vector<NetOutgoing>& out)
{
    if (NetDeliverUser(client.local, m))
        return;
    if (m.from == server)
        NetClientHandle(client, m, server, out);
    else if (hosting)
        NetServerRoute(*hosting, m, out);
}

} // namespace __VELTRIC__
