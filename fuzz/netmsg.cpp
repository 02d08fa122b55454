// Fuzzes the message check, the server's routing and a client's delivery:
// the input is a series of packets as the worker would read them, each
// tagged with the connection it came over. Every message the game sends in
// answer must itself be a valid message.
#include "net/netmsg.h"
#include "net/netroute.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace __VELTRIC__;

namespace {

constexpr NLsocket kServerSocket = 1;

void Check(const std::vector<NetOutgoing>& out)
{
    for (const NetOutgoing& o : out) {
        std::uint8_t bytes[netmsg::kMaxMessageBytes];
        int n = NetPacketEncode(o.packet, bytes);
        NetMessage m;
        if (!NetMessageDecode(bytes, n, m) || NetPacketFrom(m, o.socket).payload != o.packet.payload)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    NetServer server;
    NetClient client;
    // Local entries in every state a real program has.
    for (std::int32_t id : {101, netmsg::kIdRequested, netmsg::kIdAwaited, netmsg::kIdAwaited, 102}) {
        NetPlayer p;
        p.rec.id = id;
        p.abandoned = client.local.size() == 2;
        client.local.push_back(std::move(p));
    }
    client.awaitType = netmsg::kQueryCount;
    client.awaitId = 102;

    std::vector<NetOutgoing> out;
    // Each packet: one byte for the connection, two for the length, the bytes.
    while (size >= 3) {
        NLsocket from = 1 + data[0] % 4;
        std::size_t n = (static_cast<std::size_t>(data[1]) << 8) | data[2];
        data += 3;
        size -= 3;
        if (n > size)
            n = size;
        NetMessage m;
        std::memset(&m, 0xA5, sizeof m);
        if (NetMessageDecode(data, static_cast<int>(n), m)) {
            if (m.payload[m.length] != 0 || NetMessageText(m).size() > m.length)
                std::abort();
            NetHandleIncoming(client, &server, NetPacketFrom(m, from), kServerSocket, out);
            Check(out);
            out.clear();
        }
        NetPlayerRecord r;
        if (NetRecordDecode(data, static_cast<std::uint32_t>(n), r) && !std::memchr(r.name, 0, sizeof r.name))
            std::abort();
        data += n;
        size -= n;
        if (data[-1] == 0xEE)
            NetServerDropConnection(server, from);
    }
    return 0;
}
