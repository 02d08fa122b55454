#pragma once
// What the network game does with a message once it has arrived: the
// server's routing and answers, and a client's delivery of user messages,
// answers and new ids. Pure list work with no socket: the callers hold the
// game's mutex while these run and send what they hand back afterwards.
#include "net/hawknl.h"
#include "net/netmsg.h"

#include <cstdint>
#include <deque>
#include <list>
#include <string>
#include <vector>

namespace __VELTRIC__ {

// A message kept in a list, tagged with the connection it came over.
struct NetPacket {
    std::uint8_t type = 0;
    std::int32_t target = 0;
    std::int32_t sender = 0;
    std::string payload;
    NLsocket from = NL_INVALID;
};

NetPacket NetPacketFrom(const NetMessage& m, NLsocket from);
void NetPacketTo(const NetPacket& p, NetMessage& m);
// The wire bytes of p (room for kMaxMessageBytes); returns how many.
int NetPacketEncode(const NetPacket& p, std::uint8_t* out);

// A player entry: the record and its mailbox.
struct NetPlayer {
    NetPlayerRecord rec;
    // A local entry whose creation timed out after its request was sent:
    // hidden from the commands until its id arrives, then destroyed.
    bool abandoned = false;
    std::deque<NetPacket> mailbox;
};
using NetPlayerList = std::list<NetPlayer>;

// A message to send on a connection.
struct NetOutgoing {
    NLsocket socket;
    NetPacket packet;
};

// The server side: players registered with it and the id counter.
struct NetServer {
    NetPlayerList registered;
    std::int32_t nextId = netmsg::kFirstPlayerId;
};

// Routes or answers one message that came from a client connection (m.from).
// True when the message took a routing step (forwarded, answered, acted on or
// dropped as undeliverable) and leaves the incoming list; false when the
// server does nothing with it.
bool NetServerRoute(NetServer& server, const NetPacket& m, std::vector<NetOutgoing>& out);

// Removes every registered player that came over the connection; returns how
// many.
int NetServerDropConnection(NetServer& server, NLsocket connection);

// The client side: the program's own players and the answer it waits for.
struct NetClient {
    NetPlayerList local;
    std::deque<NetPacket> answers;
    std::uint8_t awaitType = 0;             // type of the pending query, 0 when none
    std::int32_t awaitId = netmsg::kServer; // the id its answer is addressed to
    // Fences: hello queries sent right behind other queries. A host answers
    // the queries of one connection in order and always answers a hello, so
    // once the fence behind a query is answered no answer to that query can
    // come any more (a name query for an unknown id gets none), and an answer
    // that arrives before the fence behind the previous query belongs to an
    // earlier, given-up query.
    std::uint64_t fencesSent = 0;
    std::uint64_t fencesAnswered = 0;
    std::uint64_t awaitFence = 0;           // the fence behind the pending query, 0 when none
};

// A user message for one of this program's players goes to its mailbox.
// Only real player ids match: a broadcast (-1) or any other target below 1
// reaches no entry, above all none that is still waiting for its id. True
// when delivered.
bool NetDeliverUser(NetPlayerList& local, const NetPacket& m);

// A message that came from the server connection with sender 0: an answer
// to the pending query (same type, addressed to the asking id and, for a
// fenced query, after the previous fence's answer) goes to the answer list;
// a fence's answer is counted, and the one behind the pending query goes to
// the answer list in place of the answer that will not come; a new id (type 2, target 101 or more) goes to the first entry
// waiting for one, and for an abandoned entry a destroy message is queued on
// server and the entry dropped. True when the message was used.
bool NetClientHandle(NetClient& client, const NetPacket& m, NLsocket server,
                     std::vector<NetOutgoing>& out);

// One message of a pass of the worker: delivered to a local mailbox when it
// is a user message for one of the program's players; else, when it came
// from the server connection, taken as an answer or a new id; else, on the
// host, routed as a client's message. Answers and ids are believed only from
// the server connection, and only clients' messages are routed.
void NetHandleIncoming(NetClient& client, NetServer* hosting, const NetPacket& m, NLsocket server,
                       std::vector<NetOutgoing>& out);

} // namespace __VELTRIC__
