// The network game's message format, written and read byte by byte.
#include "net/netmsg.h"

#include <cstring>

namespace __VELTRIC__ {

namespace {

const char kMagic[4] = {'V', 'L', 'T', 'N'};

// Offsets in the header and in the player record.
constexpr int kOffType = 4;
constexpr int kOffLength = 5;
constexpr int kOffTarget = 9;
constexpr int kOffSender = 13;
constexpr int kRecSocket = 0;
constexpr int kRecId = 4;
constexpr int kRecHidden = 8;
constexpr int kRecHostMarker = 9;
constexpr int kRecName = 10;

} // namespace

void NetPutU32(std::uint8_t* out, std::uint32_t v)
{
    out[0] = static_cast<std::uint8_t>(v);
    out[1] = static_cast<std::uint8_t>(v >> 8);
    out[2] = static_cast<std::uint8_t>(v >> 16);
    out[3] = static_cast<std::uint8_t>(v >> 24);
}

std::uint32_t NetGetU32(const std::uint8_t* in)
{
    return static_cast<std::uint32_t>(in[0]) | (static_cast<std::uint32_t>(in[1]) << 8) |
           (static_cast<std::uint32_t>(in[2]) << 16) | (static_cast<std::uint32_t>(in[3]) << 24);
}

void NetMessageSet(NetMessage& m, std::uint8_t type, std::int32_t target, std::int32_t sender,
                   const void* payload, std::uint32_t length)
{
    std::memcpy(m.magic, kMagic, 4);
    m.type = type;
    m.target = target;
    m.sender = sender;
    if (!payload)
        length = 0;
    if (length > static_cast<std::uint32_t>(netmsg::kMaxPayload))
        length = netmsg::kMaxPayload;
    m.length = length;
    if (length)
        std::memcpy(m.payload, payload, length);
    m.payload[length] = 0;
}

int NetMessageEncode(const NetMessage& m, std::uint8_t* out)
{
    std::uint32_t length = m.length;
    if (length > static_cast<std::uint32_t>(netmsg::kMaxPayload))
        length = netmsg::kMaxPayload;
    std::memcpy(out, kMagic, 4);
    out[kOffType] = m.type;
    NetPutU32(out + kOffLength, length);
    NetPutU32(out + kOffTarget, static_cast<std::uint32_t>(m.target));
    NetPutU32(out + kOffSender, static_cast<std::uint32_t>(m.sender));
    std::memcpy(out + netmsg::kHeaderBytes, m.payload, length);
    return netmsg::kHeaderBytes + static_cast<int>(length);
}

bool NetMessageDecode(const std::uint8_t* bytes, int n, NetMessage& m)
{
    if (!bytes || n < netmsg::kHeaderBytes || n > netmsg::kMaxMessageBytes ||
        std::memcmp(bytes, kMagic, 4) != 0)
        return false;
    std::uint32_t length = NetGetU32(bytes + kOffLength);
    // The length must account for exactly the bytes that arrived: a larger
    // one would pass stale buffer bytes on as payload.
    if (length > static_cast<std::uint32_t>(netmsg::kMaxPayload) ||
        static_cast<std::uint32_t>(n - netmsg::kHeaderBytes) != length)
        return false;
    std::memcpy(m.magic, kMagic, 4);
    m.type = bytes[kOffType];
    m.length = length;
    m.target = static_cast<std::int32_t>(NetGetU32(bytes + kOffTarget));
    m.sender = static_cast<std::int32_t>(NetGetU32(bytes + kOffSender));
    std::memcpy(m.payload, bytes + netmsg::kHeaderBytes, length);
    m.payload[length] = 0;
    return true;
}

std::string NetMessageText(const NetMessage& m)
{
    std::size_t n = m.length > static_cast<std::uint32_t>(netmsg::kMaxPayload) ? netmsg::kMaxPayload
                                                                                 : m.length;
    const void* nul = std::memchr(m.payload, 0, n);
    if (nul)
        n = static_cast<std::size_t>(static_cast<const char*>(nul) - m.payload);
    return std::string(m.payload, n);
}

std::uint32_t NetPayloadU32(const NetMessage& m)
{
    if (m.length < 4)
        return 0;
    return NetGetU32(reinterpret_cast<const std::uint8_t*>(m.payload));
}

void NetSetName(NetPlayerRecord& r, const char* name)
{
    std::size_t n = name ? strnlen(name, netmsg::kNameBytes - 1) : 0;
    std::memcpy(r.name, name ? name : "", n);
    std::memset(r.name + n, 0, netmsg::kNameBytes - n);
}

void NetRecordEncode(const NetPlayerRecord& r, std::uint8_t* out)
{
    std::memset(out, 0, netmsg::kRecordBytes);
    NetPutU32(out + kRecSocket, static_cast<std::uint32_t>(r.socket));
    NetPutU32(out + kRecId, static_cast<std::uint32_t>(r.id));
    out[kRecHidden] = r.hidden;
    out[kRecHostMarker] = r.hostMarker;
    std::size_t n = strnlen(r.name, netmsg::kNameBytes - 1);
    std::memcpy(out + kRecName, r.name, n);
    // Bytes 138..151 (padding and the sender's mailbox header) stay zero.
}

bool NetRecordDecode(const std::uint8_t* in, std::uint32_t length, NetPlayerRecord& r)
{
    if (length != static_cast<std::uint32_t>(netmsg::kRecordBytes))
        return false;
    r.socket = static_cast<std::int32_t>(NetGetU32(in + kRecSocket));
    r.id = static_cast<std::int32_t>(NetGetU32(in + kRecId));
    r.hidden = in[kRecHidden];
    r.hostMarker = in[kRecHostMarker];
    std::size_t n = strnlen(reinterpret_cast<const char*>(in + kRecName), netmsg::kNameBytes - 1);
    std::memcpy(r.name, in + kRecName, n);
    std::memset(r.name + n, 0, netmsg::kNameBytes - n);
    return true;
}

} // namespace __VELTRIC__
