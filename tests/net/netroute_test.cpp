// The server's routing and answers and a client's delivery, without sockets.
#include "net/netroute.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace __VELTRIC__;
using namespace __VELTRIC__::netmsg;

namespace {

NetPacket Packet(uint8_t type, int32_t target, int32_t sender, std::string payload = {}, NLsocket from = 0)
{
    NetPacket p;
    p.type = type;
    p.target = target;
    p.sender = sender;
    p.payload = std::move(payload);
    p.from = from;
    return p;
}

std::string U32(uint32_t v)
{
    uint8_t b[4];
    NetPutU32(b, v);
    return std::string(reinterpret_cast<char*>(b), 4);
}

std::string Record(const char* name, bool hidden)
{
    NetPlayerRecord r;
    r.hidden = hidden ? 1 : 0;
    NetSetName(r, name);
    uint8_t b[kRecordBytes];
    NetRecordEncode(r, b);
    return std::string(reinterpret_cast<char*>(b), kRecordBytes);
}

uint32_t U32Of(const NetPacket& p) { return NetGetU32(reinterpret_cast<const uint8_t*>(p.payload.data())); }

// A server with players created over two connections: alice (101) and the
// hidden query player (102) on connection 11, bob (103) and carol (104) on 12.
class Server : public ::testing::Test {
protected:
    void SetUp() override
    {
        Create("alice", false, 11);
        Create("", true, 11);
        Create("bob", false, 12);
        Create("carol", false, 12);
        out.clear();
    }
    void Create(const char* name, bool hidden, NLsocket from)
    {
        ASSERT_TRUE(NetServerRoute(server, Packet(kCreatePlayer, 0, 0, Record(name, hidden), from), out));
    }
    NetServer server;
    std::vector<NetOutgoing> out;
};

TEST_F(Server, CreationGivesIdsInOrderAndAnswersOnTheArrivingConnection)
{
    NetServer s;
    std::vector<NetOutgoing> o;
    ASSERT_TRUE(NetServerRoute(s, Packet(kCreatePlayer, 0, 0, Record("x", false), 21), o));
    ASSERT_TRUE(NetServerRoute(s, Packet(kCreatePlayer, 0, 0, Record("y", false), 22), o));
    ASSERT_EQ(o.size(), 2u);
    EXPECT_EQ(o[0].socket, 21);
    EXPECT_EQ(o[0].packet.type, kPlayerCreated);
    EXPECT_EQ(o[0].packet.target, 101);
    EXPECT_EQ(o[0].packet.sender, 0);
    EXPECT_EQ(o[1].socket, 22);
    EXPECT_EQ(o[1].packet.target, 102);
    EXPECT_EQ(s.registered.back().rec.socket, 22) << "the connection, not the sender's own number";

    // A record of the wrong size creates nothing.
    o.clear();
    EXPECT_FALSE(NetServerRoute(s, Packet(kCreatePlayer, 0, 0, Record("z", false).substr(0, 151), 21), o));
    EXPECT_FALSE(NetServerRoute(s, Packet(kCreatePlayer, 0, 0, Record("z", false) + "!", 21), o));
    EXPECT_TRUE(o.empty());
    EXPECT_EQ(s.registered.size(), 2u);
}

TEST_F(Server, BroadcastReachesEveryVisiblePlayerButTheSender)
{
    ASSERT_TRUE(NetServerRoute(server, Packet(kUserMessage, kAllPlayers, 103, "hi", 12), out));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].packet.target, 101);
    EXPECT_EQ(out[0].socket, 11);
    EXPECT_EQ(out[1].packet.target, 104) << "the sender's other player on the same connection";
    EXPECT_EQ(out[1].socket, 12);
    for (const NetOutgoing& o : out) {
        EXPECT_EQ(o.packet.sender, 103);
        EXPECT_EQ(o.packet.payload, "hi");
    }
}

TEST_F(Server, TargetedMessagesGoToTheirPlayersConnectionOrNowhere)
{
    ASSERT_TRUE(NetServerRoute(server, Packet(kUserMessage, 104, 101, "to carol", 11), out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].socket, 12);
    EXPECT_EQ(out[0].packet.target, 104);
    out.clear();
    EXPECT_TRUE(NetServerRoute(server, Packet(kUserMessage, 999, 101, "lost", 11), out));
    EXPECT_TRUE(out.empty());
    // Other types addressed to a player are not the server's business.
    EXPECT_FALSE(NetServerRoute(server, Packet(kPlayerCreated, 104, 0, "", 11), out));
    EXPECT_TRUE(out.empty());
}

TEST_F(Server, QueriesAnswerTheAskerOnItsConnection)
{
    struct Case {
        const char* name;
        uint8_t type;
        std::string payload;
        bool answered;
        std::string answer;
    };
    const Case cases[] = {
        {"count leaves out hidden players", kQueryCount, "", true, U32(3)},
        {"id of index 0", kQueryId, U32(0), true, U32(101)},
        {"id of index 1 skips the hidden one", kQueryId, U32(1), true, U32(103)},
        {"id beyond the players", kQueryId, U32(5), true, U32(0)},
        {"name", kQueryName, U32(104), true, "carol"},
        {"name of an unknown id", kQueryName, U32(555), false, ""},
        {"name of the hidden player is empty", kQueryName, U32(102), false, ""},
        {"hello", kQueryHello, "", true, U32(1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        out.clear();
        EXPECT_TRUE(NetServerRoute(server, Packet(c.type, 0, 102, c.payload, 11), out));
        ASSERT_EQ(out.size(), c.answered ? 1u : 0u);
        if (!c.answered)
            continue;
        EXPECT_EQ(out[0].socket, 11);
        EXPECT_EQ(out[0].packet.type, c.type);
        EXPECT_EQ(out[0].packet.target, 102);
        EXPECT_EQ(out[0].packet.sender, 0);
        EXPECT_EQ(out[0].packet.payload, c.answer);
    }
}

TEST_F(Server, QueriesWithoutTheirNumberAreIgnored)
{
    for (uint8_t type : {kQueryId, kQueryName}) {
        for (std::string payload : {std::string(), std::string("abc")}) {
            out.clear();
            EXPECT_FALSE(NetServerRoute(server, Packet(type, 0, 102, payload, 11), out));
            EXPECT_TRUE(out.empty());
        }
    }
    // An asker that is not registered gets nothing.
    EXPECT_TRUE(NetServerRoute(server, Packet(kQueryCount, 0, 777, "", 11), out));
    EXPECT_TRUE(out.empty());
}

TEST_F(Server, DestroyAndLostConnectionsRemovePlayers)
{
    EXPECT_TRUE(NetServerRoute(server, Packet(kDestroyPlayer, 0, 103, "", 12), out));
    EXPECT_EQ(server.registered.size(), 3u);
    // Every player of a lost connection goes, not only its first.
    EXPECT_EQ(NetServerDropConnection(server, 11), 2);
    ASSERT_EQ(server.registered.size(), 1u);
    EXPECT_STREQ(server.registered.front().rec.name, "carol");
}

class Client : public ::testing::Test {
protected:
    NetPlayer& Add(int32_t id, bool abandoned = false)
    {
        NetPlayer p;
        p.rec.id = id;
        p.abandoned = abandoned;
        client.local.push_back(std::move(p));
        return client.local.back();
    }
    NetClient client;
    std::vector<NetOutgoing> out;
    const NLsocket server = 5;
};

TEST_F(Client, UserMessagesReachOnlyAssignedIds)
{
    NetPlayer& pending = Add(kIdRequested);
    NetPlayer& a = Add(101);
    NetPlayer& twin = Add(101);
    EXPECT_FALSE(NetDeliverUser(client.local, Packet(kUserMessage, kAllPlayers, 102, "b")));
    EXPECT_FALSE(NetDeliverUser(client.local, Packet(kUserMessage, 0, 102, "z")));
    EXPECT_FALSE(NetDeliverUser(client.local, Packet(kPlayerCreated, 101, 0, "")));
    EXPECT_TRUE(pending.mailbox.empty()) << "a player waiting for its id gets no broadcast";
    EXPECT_TRUE(NetDeliverUser(client.local, Packet(kUserMessage, 101, 102, "one")));
    ASSERT_EQ(a.mailbox.size(), 1u);
    EXPECT_EQ(a.mailbox.front().payload, "one");
    EXPECT_TRUE(twin.mailbox.empty()) << "only the first entry of an id";
}

TEST_F(Client, OnlyTheAwaitedAnswerIsTaken)
{
    client.awaitType = kQueryCount;
    client.awaitId = 103;
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryId, 103, 0, U32(101)), server, out)) << "other type";
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryCount, 999, 0, U32(9)), server, out)) << "other asker";
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryCount, 103, 101, U32(9)), server, out)) << "not the server";
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryCount, 103, 0, U32(2)), server, out));
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryCount, 103, 0, U32(7)), server, out)) << "a second one";
    ASSERT_EQ(client.answers.size(), 1u);
    EXPECT_EQ(U32Of(client.answers.front()), 2u);
    client.awaitType = 0;
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryCount, 103, 0, U32(7)), server, out)) << "none pending";
}

TEST_F(Client, FencesTellStaleAnswersAndMissingOnesApart)
{
    client.awaitId = 103;
    // A count query was given up before its answer and its fence (1) came;
    // the pending count query is followed by fence 2.
    client.fencesSent = 2;
    client.awaitType = kQueryCount;
    client.awaitFence = 2;
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryCount, 103, 0, U32(7)), server, out))
        << "came before fence 1: the given-up query's answer";
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryHello, 103, 0, U32(1)), server, out));
    EXPECT_TRUE(client.answers.empty()) << "fence 1 ends nothing that is waited for";
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryCount, 103, 0, U32(3)), server, out));
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryHello, 103, 0, U32(1)), server, out));
    ASSERT_EQ(client.answers.size(), 1u);
    EXPECT_EQ(U32Of(client.answers.front()), 3u);
    EXPECT_EQ(client.fencesAnswered, 2u);

    // A name query the host has no answer for: its fence stands in.
    client.answers.clear();
    client.fencesSent = 3;
    client.awaitType = kQueryName;
    client.awaitFence = 3;
    EXPECT_FALSE(NetClientHandle(client, Packet(kQueryHello, 999, 0, U32(1)), server, out)) << "other asker";
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryHello, 103, 0, U32(1)), server, out));
    ASSERT_EQ(client.answers.size(), 1u);
    EXPECT_EQ(client.answers.front().type, kQueryHello);
    EXPECT_EQ(client.awaitType, 0);

    // With every fence answered a hello is an ordinary answer (the join's).
    client.answers.clear();
    client.awaitType = kQueryHello;
    client.awaitFence = 0;
    EXPECT_TRUE(NetClientHandle(client, Packet(kQueryHello, 103, 0, U32(1)), server, out));
    EXPECT_EQ(client.answers.size(), 1u);
    EXPECT_EQ(client.fencesAnswered, 3u) << "never more answered than sent";
}

TEST_F(Client, NewIdsGoToWaitingEntriesAndAbandonedOnesAreGivenBack)
{
    NetPlayer& given = Add(101);
    Add(kIdAwaited, true); // its creator gave up after the request went out
    NetPlayer& waiting = Add(kIdAwaited);
    for (int32_t bad : {-1, -2, -3, 0, 100}) {
        EXPECT_FALSE(NetClientHandle(client, Packet(kPlayerCreated, bad, 0), server, out)) << bad;
    }
    EXPECT_EQ(given.rec.id, 101);

    EXPECT_TRUE(NetClientHandle(client, Packet(kPlayerCreated, 105, 0), server, out));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].socket, server);
    EXPECT_EQ(out[0].packet.type, kDestroyPlayer);
    EXPECT_EQ(out[0].packet.sender, 105);
    EXPECT_EQ(out[0].packet.target, 0);
    EXPECT_EQ(client.local.size(), 2u);
    EXPECT_EQ(waiting.rec.id, kIdAwaited) << "the late id is not passed on to the next player";

    EXPECT_TRUE(NetClientHandle(client, Packet(kPlayerCreated, 106, 0), server, out));
    EXPECT_EQ(waiting.rec.id, 106);
    EXPECT_FALSE(NetClientHandle(client, Packet(kPlayerCreated, 107, 0), server, out)) << "nobody waits";
}

} // namespace
