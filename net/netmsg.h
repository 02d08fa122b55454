#pragma once
// The network game's message format: a 17-byte header (magic "VLTN", type,
// payload length, target, sender; numbers little-endian) and up to 1,024
// payload bytes, one message per packet; and the 152-byte player record that
// a create message carries. Messages are written and read field by field, so
// the bytes are the same on every host.
#include <cstdint>
#include <string>

namespace __VELTRIC__ {

namespace netmsg {

constexpr int kHeaderBytes = 17;
constexpr int kMaxPayload = 1024;
constexpr int kMaxMessageBytes = kHeaderBytes + kMaxPayload; // 1,041
constexpr int kRecordBytes = 152;
constexpr int kNameBytes = 128;
constexpr int kDefaultPort = 26000;
constexpr std::int32_t kFirstPlayerId = 101;

// Targets and senders with a meaning of their own.
constexpr std::int32_t kAllPlayers = -1;
constexpr std::int32_t kServer = 0;

// Message types.
constexpr std::uint8_t kCreatePlayer = 1;
constexpr std::uint8_t kPlayerCreated = 2;
constexpr std::uint8_t kUserMessage = 3;
constexpr std::uint8_t kDestroyPlayer = 4;
constexpr std::uint8_t kQueryCount = 101;  // 'e'
constexpr std::uint8_t kQueryId = 102;     // 'f'
constexpr std::uint8_t kQueryName = 103;   // 'g'
constexpr std::uint8_t kQueryHello = 104;  // 'h'

// Ids of local player entries before the server gave one.
constexpr std::int32_t kIdRequested = -1; // creation asked for, not yet sent
constexpr std::int32_t kIdGivenUp = -2;   // dropped by the worker's next pass
constexpr std::int32_t kIdAwaited = -3;   // creation sent, id awaited

} // namespace netmsg

// One message as a record. The payload keeps one byte more than it can
// carry, which holds a 0 behind the text of a received message.
struct NetMessage {
    char magic[4];
    std::uint8_t type;
    std::uint32_t length;
    std::int32_t target;
    std::int32_t sender;
    char payload[netmsg::kMaxPayload + 1];
};

// The player record of a create message (its in-memory fields; the mailbox
// is kept beside it and goes on the wire as zeros).
struct NetPlayerRecord {
    std::int32_t socket = -1;
    std::int32_t id = netmsg::kIdRequested;
    std::uint8_t hidden = 0;
    std::uint8_t hostMarker = 0;
    char name[netmsg::kNameBytes] = {};
};

// Fills a message: magic, type, target, sender and the payload (cut to
// 1,024 bytes), with a 0 behind the payload.
void NetMessageSet(NetMessage& m, std::uint8_t type, std::int32_t target, std::int32_t sender,
                   const void* payload = nullptr, std::uint32_t length = 0);

// Writes the 17 + length bytes of m into out (room for kMaxMessageBytes);
// returns how many. A length above 1,024 is written as 1,024.
int NetMessageEncode(const NetMessage& m, std::uint8_t* out);

// Reads a message from the n bytes of one packet. True only when the bytes
// are a whole message: at least 17, the magic, a length of at most 1,024 and
// exactly 17 + length bytes in all. The payload gets a 0 behind it.
bool NetMessageDecode(const std::uint8_t* bytes, int n, NetMessage& m);

// The text of a payload: its first min(length, 1,024) bytes up to the first 0.
std::string NetMessageText(const NetMessage& m);

// The 4-byte number of a query or answer payload (little-endian); 0 when the
// payload is shorter than 4 bytes.
std::uint32_t NetPayloadU32(const NetMessage& m);
void NetPutU32(std::uint8_t* out, std::uint32_t v);
std::uint32_t NetGetU32(const std::uint8_t* in);

// Writes the 152 bytes of a record; the name is cut to 127 bytes and
// terminated, the padding and the mailbox header are zeros.
void NetRecordEncode(const NetPlayerRecord& r, std::uint8_t* out);
// Reads a record from a create message's payload: false unless the length is
// exactly 152. The name is always terminated within its 128 bytes.
bool NetRecordDecode(const std::uint8_t* in, std::uint32_t length, NetPlayerRecord& r);

// Copies a name into a record's field: at most 127 bytes and a terminator.
void NetSetName(NetPlayerRecord& r, const char* name);

} // namespace __VELTRIC__
