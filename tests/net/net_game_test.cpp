// Network games through the NET commands: a host alone, no game, join
// failures, waits for answers that cannot come, a hostile client on the
// wire, and two processes.
#include "net/net_cmds.h"
#include "net/rthawknetwork.h"
#include "tests/net/fake_host.h"
#include "tests/net/net_test_util.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/wait.h>

using namespace __VELTRIC__;
using namespace nettest;

namespace {

DGStr Str(const std::string& s) { return DGStr(s.c_str()); }
std::string S(const DGStr& d) { return std::string(d.c_str(), d.Len()); }

class Game : public ::testing::Test {
protected:
    void SetUp() override
    {
        pRTNet = new RTHawkNetwork;
        port_ = FreePort();
    }
    void TearDown() override
    {
        pRTNet->ShutDown();
        delete pRTNet;
        pRTNet = nullptr;
    }
    void Host()
    {
        ASSERT_EQ(NETHOSTGAME(0, "", "", Str(std::to_string(port_))), 1);
    }
    // Waits for a message of the player; "" after the time.
    static std::string NextMessage(const char* id, int ms = 30000)
    {
        std::string got;
        WaitUntil([&] { return !(got = S(NETGETMSG_Str(id))).empty(); }, ms);
        return got;
    }
    int port_ = 0;
};

TEST_F(Game, HostAloneCountsNamesAndListsItsPlayers)
{
    Host();
    EXPECT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    EXPECT_EQ(S(NETCREATEPLAYER_Str("bob")), "102");
    EXPECT_EQ(NETNUMPLAYERS(), 2) << "the hidden query player is not counted";
    EXPECT_EQ(S(NETGETPLAYERID_Str(0)), "101");
    EXPECT_EQ(S(NETGETPLAYERID_Str(1)), "102");
    EXPECT_EQ(S(NETGETPLAYERID_Str(5)), "0");
    EXPECT_EQ(S(NETPLAYERNAME_Str("102")), "bob");
    EXPECT_EQ(S(NETPLAYERNAME_Str("999")), "NO_DATA");
    EXPECT_EQ(S(NETCREATEPLAYER_Str("")), "104") << "an empty name is a visible player";
    EXPECT_EQ(NETNUMPLAYERS(), 3);
    // A new game starts the ids again.
    Host();
    EXPECT_EQ(S(NETCREATEPLAYER_Str("again")), "101");
}

TEST_F(Game, WithoutAGameEveryCommandGivesItsDefaultAtOnce)
{
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(S(NETCREATEPLAYER_Str("x")), "-1");
    EXPECT_EQ(NETSENDMSG("101", "0", "hi"), 0);
    EXPECT_EQ(NETNUMPLAYERS(), 0);
    EXPECT_EQ(S(NETGETPLAYERID_Str(0)), "0");
    EXPECT_EQ(S(NETPLAYERNAME_Str("101")), "NO_DATA");
    EXPECT_EQ(NETDESTROYPLAYER("-1"), 1);
    EXPECT_EQ(NETDESTROYPLAYER("101"), 1);
    EXPECT_EQ(S(NETGETMSG_Str("101")), "");
    EXPECT_LT(ElapsedMs(start), 500) << "no worker: nothing to wait for";
}

TEST_F(Game, MessagesBetweenPlayersOfOneProgram)
{
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    ASSERT_EQ(S(NETCREATEPLAYER_Str("bob")), "102");

    EXPECT_EQ(NETSENDMSG("101", "102", "hello bob"), 1);
    EXPECT_EQ(NextMessage("102"), "hello bob");
    EXPECT_EQ(S(NETGETSENDER_Str()), "101");

    // To all: every other player, never back to the sender. An empty or
    // non-numeric "to" means all as well.
    for (const char* to : {"0", "", "all"}) {
        SCOPED_TRACE(to);
        EXPECT_EQ(NETSENDMSG("101", to, "to all"), 1);
        EXPECT_EQ(NextMessage("102"), "to all");
    }
    EXPECT_EQ(NETSENDMSG("102", "102", "marker"), 1);
    EXPECT_EQ(NextMessage("102"), "marker");
    EXPECT_EQ(S(NETGETMSG_Str("101")), "") << "the broadcasts never came back to their sender";

    // An id beyond the int range names nobody, in every build: 2^32 + 102
    // must not wrap round to bob (as atoi did in the 64-bit build).
    EXPECT_EQ(NETSENDMSG("101", "4294967398", "wrapped"), 1);
    EXPECT_EQ(NETSENDMSG("102", "102", "marker"), 1);
    EXPECT_EQ(NextMessage("102"), "marker");

    // Texts of the limits: empty, exactly 1,024 bytes, longer (cut).
    __g_last_msg_sender = 0;
    EXPECT_EQ(NETSENDMSG("101", "102", ""), 1);
    EXPECT_TRUE(WaitUntil([] { return S(NETGETMSG_Str("102")).empty() && __g_last_msg_sender == 101; }));
    std::string full(1024, 'f');
    EXPECT_EQ(NETSENDMSG("101", "102", Str(full)), 1);
    EXPECT_EQ(NextMessage("102"), full);
    EXPECT_EQ(NETSENDMSG("101", "102", Str(std::string(1500, 'g'))), 1);
    EXPECT_EQ(NextMessage("102"), std::string(1024, 'g'));

    // Id texts beyond the int range are held to it and name no player, on
    // every build: cut to 32 bits, 2^32 + 102 and -2^32 + 102 would be 102
    // and a 20-digit text -1 (all). The marker behind the kept message on
    // the same way through the host tells that everything sent before it
    // has arrived.
    for (const char* id : {"4294967398", "-4294967194", "99999999999999999999"}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(NETSENDMSG("101", id, "astray"), 1);
        EXPECT_EQ(NETSENDMSG("102", id, "astray"), 1);
        EXPECT_EQ(NETSENDMSG("101", "102", "kept"), 1);
        EXPECT_EQ(NETSENDMSG("102", "101", "marker"), 1);
        EXPECT_EQ(NextMessage("101"), "marker");
        EXPECT_EQ(S(NETGETMSG_Str(id)), "") << "no player has that id";
        EXPECT_EQ(NextMessage("102"), "kept");
    }

    // No such local player: "" and the last sender stays.
    EXPECT_EQ(S(NETGETMSG_Str("555")), "");
    EXPECT_EQ(S(NETGETSENDER_Str()), "101");

    EXPECT_EQ(NETDESTROYPLAYER("102"), 1);
    EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }));
}

TEST_F(Game, AddressListEndsTheGameAndIgnoresWhoHoldsTheDefaultPort)
{
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    // Another program on the default port must not hide the addresses.
    int blocker = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(26000);
    bind(blocker, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(blocker, 1);

    std::string ips = S(NETGETIP_Str());
    close(blocker);
    ASSERT_FALSE(ips.empty());
    size_t start = 0;
    for (;;) {
        size_t bar = ips.find('|', start);
        std::string one = ips.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        NLaddress parsed;
        EXPECT_TRUE(nlStringToAddr(one.c_str(), &parsed)) << one;
        if (bar == std::string::npos)
            break;
        start = bar + 1;
    }
    EXPECT_FALSE(pRTNet->Running());
    EXPECT_EQ(NETNUMPLAYERS(), 0);
}

TEST_F(Game, FailedJoinsReturnZeroInTimeAndLeaveNoWorker)
{
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(FreePort()))), 0) << "refused";
    EXPECT_EQ(NETJOINGAME(0, "", "not-an-address", Str(std::to_string(port_))), 0);
    EXPECT_LT(ElapsedMs(start), 1000);
    EXPECT_FALSE(pRTNet->Running());

    // A listener that accepts and never answers.
    int silentPort;
    int silent = RawListen(&silentPort);
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(silentPort))), 0);
    double took = ElapsedMs(start);
    EXPECT_GE(took, RTHawkNetwork::kCreateWaitMs * 0.9);
    EXPECT_LT(took, 4 * (RTHawkNetwork::kCreateWaitMs + RTHawkNetwork::kJoinWaitMs));
    EXPECT_FALSE(pRTNet->Running());
    close(silent);
}

TEST_F(Game, CreationThatTimesOutDoesNotStealTheNextPlayersId)
{
    // A server that takes the request, answers only once the creator has
    // given up, then answers the next request at once.
    int port;
    int listener = RawListen(&port);
    std::atomic<bool> stop{false};
    std::atomic<bool> gaveUp{false};
    std::thread server([&] {
        int c = accept(listener, nullptr, nullptr);
        std::string in;
        int created = 0;
        int32_t nextId = 101;
        char buf[4096];
        while (!stop) {
            pollfd p{c, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            ssize_t r = recv(c, buf, sizeof buf, 0);
            if (r <= 0)
                break;
            in.append(buf, static_cast<size_t>(r));
            TakePackets(in, [&](const std::string& msg) {
                NetMessage m;
                if (!NetMessageDecode(reinterpret_cast<const uint8_t*>(msg.data()), static_cast<int>(msg.size()), m))
                    return;
                NetMessage reply;
                if (m.type == netmsg::kCreatePlayer) {
                    if (created++ == 1)
                        while (!gaveUp && !stop)
                            std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    NetMessageSet(reply, netmsg::kPlayerCreated, nextId++, 0);
                } else if (m.type == netmsg::kQueryHello) {
                    uint8_t one[4];
                    NetPutU32(one, 1);
                    NetMessageSet(reply, m.type, m.sender, 0, one, 4);
                } else {
                    return;
                }
                uint8_t bytes[netmsg::kMaxMessageBytes];
                int n = NetMessageEncode(reply, bytes);
                SendAll(c, Frame(std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(n))));
            });
        }
        close(c);
    });
    ASSERT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(port))), 1); // query player 101
    EXPECT_EQ(S(NETCREATEPLAYER_Str("slow")), "-1");
    gaveUp = true;
    EXPECT_EQ(S(NETCREATEPLAYER_Str("next")), "103") << "102 went to the abandoned request";
    stop = true;
    server.join();
    close(listener);
}

TEST_F(Game, ResetsAndShutDownsRightAfterAStartWaitForTheWorker)
{
    const std::string port = std::to_string(port_);
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(NETHOSTGAME(0, "", "", Str(port)), 1);
        if (i % 2)
            NETGETIP_Str(); // the reset, while the worker may not have run yet
        EXPECT_EQ(pRTNet->Running(), i % 2 == 0);
    }
    // Freed straight after a start: the worker must be gone first.
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(NETHOSTGAME(0, "", "", Str(port)), 1);
        pRTNet->ShutDown();
        delete pRTNet;
        pRTNet = new RTHawkNetwork;
    }
}

// ---- answers that cannot come ---------------------------------------------

TEST_F(Game, NameOfAPlayerThatLeftIsNoDataAfterOneRoundTrip)
{
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    ASSERT_EQ(S(NETCREATEPLAYER_Str("bob")), "102");
    NETDESTROYPLAYER("102");
    ASSERT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }));
    // The host sends nothing for an unknown id; its answer to the hello
    // behind the query tells so.
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) {
        for (const char* gone : {"102", "999"})
            EXPECT_EQ(S(NETPLAYERNAME_Str(gone)), "NO_DATA") << gone;
        EXPECT_EQ(S(NETPLAYERNAME_Str("101")), "alice") << "the answer after a missing one is its own";
    }
    EXPECT_LT(ElapsedMs(start), 40 * NetAnswerWait::kFloorMs / 2) << "no query waited for what cannot come";
}

TEST_F(Game, WhenTheHostIsGoneEveryCommandGivesItsDefaultAtOnce)
{
    for (bool killed : {true, false}) {
        SCOPED_TRACE(killed ? "the host's program was killed" : "the host closed the connection");
        std::unique_ptr<FakeHost> fake;
        pid_t pid = -1;
        int rd = -1, wr = -1;
        int port = port_;
        if (killed) {
            int down[2], up[2];
            ASSERT_EQ(pipe(down), 0);
            ASSERT_EQ(pipe(up), 0);
            pid = fork();
            if (pid == 0) {
                pRTNet = new RTHawkNetwork;
                if (NETHOSTGAME(0, "", "", Str(std::to_string(port))) == 1 && NETCREATEPLAYER_Str("h").Len() > 0)
                    SendLine(up[1], "ready");
                pause();
                _exit(0);
            }
            close(down[0]);
            close(up[1]);
            rd = up[0];
            wr = down[1];
            ASSERT_EQ(ReadLine(rd), "ready");
        } else {
            fake.reset(new FakeHost);
            port = fake->Port();
        }
        ASSERT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(port))), 1);
        std::string me = S(NETCREATEPLAYER_Str("me"));
        ASSERT_NE(me, "-1");
        ASSERT_EQ(S(NETPLAYERNAME_Str(Str(me))), "me");
        ASSERT_GT(NETNUMPLAYERS(), 0);

        if (killed) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            close(rd);
            close(wr);
        } else {
            fake->Vanish();
        }
        EXPECT_TRUE(WaitUntil([] { return !pRTNet->Running(); })) << "the worker ends with its connection";
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(NETNUMPLAYERS(), 0);
            EXPECT_EQ(S(NETPLAYERNAME_Str(Str(me))), "NO_DATA");
            EXPECT_EQ(S(NETGETPLAYERID_Str(0)), "0");
            EXPECT_EQ(S(NETCREATEPLAYER_Str("late")), "-1");
            EXPECT_EQ(NETSENDMSG(Str(me), "0", "anyone?"), 0) << "a send on a closed connection fails";
        }
        EXPECT_LT(ElapsedMs(start), 10 * RTHawkNetwork::kQueryWaitMs) << "no command waited for an answer";
    }
}

TEST_F(Game, AnAnswerThatCameTooLateIsNeverTakenForTheNextOne)
{
    FakeHost host;
    ASSERT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(host.Port()))), 1);
    ASSERT_EQ(S(NETCREATEPLAYER_Str("one")), "102"); // 101 is the hidden query player
    ASSERT_EQ(S(NETCREATEPLAYER_Str("two")), "103");
    struct Case {
        const char* what;
        std::function<std::string()> held; // asked while the host holds its answers
        std::string heldDefault;
        std::function<std::string()> next; // asked once they are on their way
        std::string expected;
    };
    const Case cases[] = {
        {"count", [&] { host.ReportCount(7); return std::to_string(static_cast<int>(NETNUMPLAYERS())); }, "0",
         [&] { host.ReportCount(3); return std::to_string(static_cast<int>(NETNUMPLAYERS())); }, "3"},
        {"name", [] { return S(NETPLAYERNAME_Str("102")); }, "NO_DATA", [] { return S(NETPLAYERNAME_Str("103")); },
         "two"},
        {"id", [] { return S(NETGETPLAYERID_Str(0)); }, "0", [] { return S(NETGETPLAYERID_Str(1)); }, "103"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.Hold(true);
        EXPECT_EQ(c.held(), c.heldDefault);
        host.Hold(false); // the held answer goes out before the next one
        // Asked again while a loaded machine keeps the stand-in from
        // answering in time; the held answer is never the result.
        std::string got;
        for (int i = 0; i < 10 && (got = c.next()) == c.heldDefault; ++i) {
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(Game, AHostThatSlowsDownIsGivenTheTimeItHasShownItNeeds)
{
    FakeHost host;
    ASSERT_EQ(NETJOINGAME(0, "", "127.0.0.1", Str(std::to_string(host.Port()))), 1);
    ASSERT_EQ(S(NETCREATEPLAYER_Str("me")), "102");
    ASSERT_EQ(NETNUMPLAYERS(), 1);
    // Slower than any round trip so far, within what a distant host may take.
    host.SetDelay(2 * NetAnswerWait::kFloorMs);
    // The first waits are too short; the answers that still come teach the
    // connection its new round trip.
    int tries = 0;
    while (tries < 6 && NETNUMPLAYERS() != 1)
        ++tries;
    EXPECT_LT(tries, 6);
    EXPECT_EQ(S(NETPLAYERNAME_Str("102")), "me");
    EXPECT_EQ(NETNUMPLAYERS(), 1);
}

TEST(NetAnswerWait, WaitsAMultipleOfTheSlowestRecentRoundTripWithinFloorAndAllowance)
{
    const int allowance = RTHawkNetwork::kQueryWaitMs;
    const struct {
        const char* what;
        std::vector<double> roundTrips;
        int bound;
    } cases[] = {
        {"nothing measured: the whole allowance", {}, allowance},
        {"loopback: the floor", {0.2, 0.4, 0.3}, NetAnswerWait::kFloorMs},
        {"a distant host", {20, 40, 30}, 40 * NetAnswerWait::kMultiple},
        {"a very distant host: the allowance", {20, 200}, allowance},
        {"an old slow trip is forgotten", {200, 1, 1, 1, 1, 1, 1, 1, 1}, NetAnswerWait::kFloorMs},
    };
    for (const auto& c : cases) {
        NetAnswerWait w;
        for (double ms : c.roundTrips)
            w.Answered(ms);
        EXPECT_EQ(w.BoundMs(allowance), c.bound) << c.what;
    }
}

// ---- a hostile client on the wire ------------------------------------------

std::string Wire(uint8_t type, uint32_t length, int32_t target, int32_t sender, const std::string& payload,
                 const char* magic = "VLTN")
{
    std::string h(17, '\0');
    std::memcpy(&h[0], magic, 4);
    h[4] = static_cast<char>(type);
    NetPutU32(reinterpret_cast<uint8_t*>(&h[5]), length);
    NetPutU32(reinterpret_cast<uint8_t*>(&h[9]), static_cast<uint32_t>(target));
    NetPutU32(reinterpret_cast<uint8_t*>(&h[13]), static_cast<uint32_t>(sender));
    return Frame(h + payload);
}

TEST_F(Game, HostKeepsServingAValidGameWhateverAClientSends)
{
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    ASSERT_EQ(NETNUMPLAYERS(), 1); // makes the host's query player, 102
    int evil = RawConnect(port_);
    ASSERT_GE(evil, 0);

    std::string record(152, '\0');
    std::memset(&record[10], 'n', 128); // a name with no terminator
    const std::string attacks[] = {
        Wire(3, 2, 101, 0, "hi", "XXXX"),                      // bad magic
        Frame("0123456789"),                                   // 10 bytes
        Wire(3, 5000, 101, 0, std::string(1024, 'o')),         // length 5,000
        Wire(3, 50, 101, 0, "short"),                          // 17 + length != n
        Wire(1, 152, 0, 0, record),                            // becomes player 103
        Wire(1, 100, 0, 0, std::string(100, 'r')),             // record of the wrong size
        Wire(3, 1024, 101, 103, std::string(1024, 'T')),       // a full text for alice
        Wire(101, 4, 102, 0, std::string("\xe7\x03\0\0", 4)),  // fake count answer
        Wire(2, 0, 150, 0, ""),                                // fake new id
        Wire(2, 0, -1, 0, ""),
        Wire(102, 0, 0, 103, ""),                              // id query without index
    };
    for (const std::string& a : attacks)
        ASSERT_TRUE(SendAll(evil, a));

    EXPECT_EQ(NextMessage("101"), std::string(1024, 'T'));
    EXPECT_EQ(S(NETGETSENDER_Str()), "103");
    EXPECT_EQ(NETNUMPLAYERS(), 2);
    EXPECT_EQ(S(NETPLAYERNAME_Str("103")), std::string(127, 'n'));
    EXPECT_EQ(S(NETCREATEPLAYER_Str("carol")), "104") << "the injected id was not taken";

    // A flood of packets, fake answers among them, while the host is asked.
    std::thread flood([&] {
        std::string burst;
        for (int i = 0; i < 100000; ++i) {
            burst += i % 10 == 0 ? Wire(101, 4, 102, 0, std::string("\x63\0\0\0", 4))
                                 : Wire(3, 3, 9999, 103, "zzz");
            if (burst.size() > 60000) {
                if (!SendAll(evil, burst))
                    return;
                burst.clear();
            }
        }
        SendAll(evil, burst);
    });
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(NETNUMPLAYERS(), 3);
        EXPECT_EQ(S(NETGETPLAYERID_Str(2)), "104");
    }
    flood.join();
    // Half a frame, then the client vanishes: its player goes.
    SendAll(evil, std::string("NL\x00\x30VLTN", 8));
    close(evil);
    EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 2; }, 60000));
    EXPECT_EQ(S(NETPLAYERNAME_Str("104")), "carol");
}

TEST_F(Game, ClientWhoseStreamLosesItsFramingLeavesLikeALostOne)
{
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("alice")), "101");
    ASSERT_EQ(NETNUMPLAYERS(), 1);
    const std::pair<const char*, std::string> breaks[] = {
        {"header announces more than the largest packet", std::string("NL\x40\x01", 4) + std::string(64, 'o')},
        {"header without its magic", std::string("XY\x00\x05hello", 9)},
    };
    std::string record(152, '\0');
    std::memcpy(&record[10], "raw", 3);
    for (const auto& b : breaks) {
        SCOPED_TRACE(b.first);
        int raw = RawConnect(port_);
        ASSERT_GE(raw, 0);
        ASSERT_TRUE(SendAll(raw, Wire(1, 152, 0, 0, record)));
        ASSERT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 2; }, 30000));
        // The connection stays open: only the broken stream tells the host.
        ASSERT_TRUE(SendAll(raw, b.second));
        EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }, 30000)) << "its player is dropped";
        EXPECT_TRUE(PeerSeesEnd(raw)) << "and its connection closed";
        close(raw);
    }
    EXPECT_EQ(S(NETPLAYERNAME_Str("101")), "alice");
}

// ---- two processes -------------------------------------------------------

// A line-based channel between the test and a forked peer.
struct Channel {
    int rd = -1, wr = -1;
    void Send(const std::string& line) const { SendLine(wr, line); }
    std::string Receive(int ms = 30000) const { return ReadLine(rd, ms); }
};

// Forks a peer that runs body with its channel, then ends as a program does.
pid_t Fork(Channel& parent, void (*body)(const Channel&))
{
    int down[2], up[2];
    if (pipe(down) != 0 || pipe(up) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        close(down[1]);
        close(up[0]);
        Channel c{down[0], up[1]};
        pRTNet = new RTHawkNetwork;
        body(c);
        pRTNet->ShutDown();
        delete pRTNet;
        _exit(0);
    }
    close(down[0]);
    close(up[1]);
    parent = Channel{up[0], down[1]};
    return pid;
}

void JoiningPeer(const Channel& c)
{
    std::string port = c.Receive();
    std::string hostPlayer = c.Receive();
    if (NETJOINGAME(0, "", "127.0.0.1", Str(port)) != 1) {
        c.Send("join failed");
        return;
    }
    std::string me = S(NETCREATEPLAYER_Str("b"));
    c.Send(me);
    NETSENDMSG(Str(me), Str(hostPlayer), "from b");
    std::string got;
    WaitUntil([&] { return !(got = S(NETGETMSG_Str(Str(me)))).empty(); }, 30000);
    c.Send(got + " sender " + S(NETGETSENDER_Str()));
    c.Receive(); // "exit"
}

void VanishingPeer(const Channel& c)
{
    std::string port = c.Receive();
    if (NETJOINGAME(0, "", "127.0.0.1", Str(port)) != 1) {
        c.Send("join failed");
        return;
    }
    NETCREATEPLAYER_Str("v1");
    NETCREATEPLAYER_Str("v2");
    c.Send("ready");
    pause(); // killed here
}

TEST_F(Game, TwoProgramsExchangeMessagesAndLeave)
{
    Channel peer;
    pid_t pid = Fork(peer, JoiningPeer);
    ASSERT_GT(pid, 0);
    Host();
    std::string a = S(NETCREATEPLAYER_Str("a"));
    ASSERT_EQ(a, "101");
    peer.Send(std::to_string(port_));
    peer.Send(a);
    std::string b = peer.Receive();
    ASSERT_EQ(b, "103") << "ids come from the host: 102 is the joiner's query player";

    EXPECT_EQ(NextMessage("101"), "from b");
    EXPECT_EQ(S(NETGETSENDER_Str()), b);
    EXPECT_EQ(NETNUMPLAYERS(), 2);
    EXPECT_EQ(S(NETPLAYERNAME_Str(Str(b))), "b");

    EXPECT_EQ(NETSENDMSG("101", "0", "hello all"), 1);
    EXPECT_EQ(peer.Receive(), "hello all sender 101");
    EXPECT_EQ(S(NETGETMSG_Str("101")), "") << "not back to the sender";

    peer.Send("exit");
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }, 30000)) << "the joiner's player left";
}

TEST_F(Game, AllPlayersOfAVanishedProgramLeave)
{
    Channel peer;
    pid_t pid = Fork(peer, VanishingPeer);
    ASSERT_GT(pid, 0);
    Host();
    ASSERT_EQ(S(NETCREATEPLAYER_Str("a")), "101");
    peer.Send(std::to_string(port_));
    ASSERT_EQ(peer.Receive(), "ready");
    EXPECT_EQ(NETNUMPLAYERS(), 3);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    EXPECT_TRUE(WaitUntil([] { return NETNUMPLAYERS() == 1; }, 30000));
}

} // namespace
