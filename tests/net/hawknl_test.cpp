// The network-library layer against plain POSIX peers on 127.0.0.1.
#include "net/hawknl.h"
#include "tests/net/net_test_util.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <vector>

using namespace nettest;

namespace {

class Layer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(nlInit());
        ASSERT_TRUE(nlSelectNetwork(NL_IP));
    }
    void TearDown() override
    {
        for (int fd : raw_)
            close(fd);
        nlShutdown();
    }

    // A listening packet socket of the layer and its port.
    NLsocket Listen(int* port, NLenum type = NL_RELIABLE_PACKETS)
    {
        NLsocket l = nlOpen(0, type);
        EXPECT_NE(l, NL_INVALID);
        EXPECT_TRUE(nlListen(l));
        NLaddress a{};
        EXPECT_TRUE(nlGetLocalAddr(l, &a));
        *port = a.port;
        return l;
    }

    NLsocket Accept(NLsocket l)
    {
        NLsocket c = NL_INVALID;
        WaitUntil([&] { return (c = nlAcceptConnection(l)) != NL_INVALID; });
        EXPECT_NE(c, NL_INVALID);
        return c;
    }

    // A raw peer connected to an accepted layer socket.
    NLsocket AcceptedPair(int* rawFd, NLenum type = NL_RELIABLE_PACKETS)
    {
        int port;
        NLsocket l = Listen(&port, type);
        *rawFd = RawConnect(port);
        raw_.push_back(*rawFd);
        return Accept(l);
    }

    // Reads until a packet arrives or the socket fails; the nlRead result.
    static NLint ReadPacket(NLsocket s, std::string* out, int ms = 30000)
    {
        char buf[NL_MAX_PACKET_LENGTH];
        NLint r = 0;
        WaitUntil([&] { return (r = nlRead(s, buf, sizeof buf)) != 0; }, ms);
        if (r > 0)
            out->assign(buf, static_cast<size_t>(r));
        return r;
    }

    std::vector<int> raw_;
};

TEST_F(Layer, PacketsArriveWholeWhetherSplitOrCoalesced)
{
    int fd;
    NLsocket s = AcceptedPair(&fd);
    std::string a = Frame("first"), b = Frame(std::string(3000, 'b')), c = Frame("c");

    // Byte by byte: nothing is returned before a packet is complete.
    for (size_t i = 0; i + 1 < a.size(); ++i) {
        ASSERT_TRUE(SendAll(fd, &a[i], 1));
        usleep(500);
        char buf[64];
        ASSERT_EQ(nlRead(s, buf, sizeof buf), 0) << "at byte " << i;
    }
    ASSERT_TRUE(SendAll(fd, &a.back(), 1));
    std::string got;
    ASSERT_EQ(ReadPacket(s, &got), 5);
    EXPECT_EQ(got, "first");

    // Three packets in one send come out one per read, in order.
    ASSERT_TRUE(SendAll(fd, b + c + a));
    ASSERT_EQ(ReadPacket(s, &got), 3000);
    EXPECT_EQ(got, std::string(3000, 'b'));
    ASSERT_EQ(ReadPacket(s, &got), 1);
    EXPECT_EQ(got, "c");
    ASSERT_EQ(ReadPacket(s, &got), 5);
    EXPECT_EQ(got, "first");
}

TEST_F(Layer, WritesOfTwoThreadsOnOneSocketNeverInterleave)
{
    int port;
    NLsocket l = Listen(&port);
    int fd = RawConnect(port);
    raw_.push_back(fd);
    NLsocket s = Accept(l);
    constexpr int kPerThread = 3000;

    // The reader parses the stream while the writers run, so the queue
    // never has to refuse a frame.
    std::atomic<int> seenX{0}, seenY{0};
    std::atomic<bool> bad{false};
    std::thread reader([&] {
        std::string stream;
        char buf[65536];
        int frames = 0;
        while (frames < 2 * kPerThread) {
            ssize_t r = recv(fd, buf, sizeof buf, 0);
            if (r <= 0)
                break;
            stream.append(buf, static_cast<size_t>(r));
            size_t pos = 0;
            while (stream.size() - pos >= 4) {
                size_t len = (static_cast<uint8_t>(stream[pos + 2]) << 8) | static_cast<uint8_t>(stream[pos + 3]);
                if (stream.size() - pos < 4 + len)
                    break;
                std::string p = stream.substr(pos + 4, len);
                if (stream[pos] != 'N' || stream[pos + 1] != 'L' || p.empty() ||
                    p != std::string(len, p[0]))
                    bad = true;
                (p[0] == 'x' ? seenX : seenY)++;
                pos += 4 + len;
                ++frames;
            }
            stream.erase(0, pos);
        }
    });
    auto writer = [&](char tag) {
        for (int i = 0; i < kPerThread; ++i) {
            std::string p(static_cast<size_t>(1 + (i * 37) % 2000), tag);
            while (nlWrite(s, p.data(), static_cast<NLint>(p.size())) == NL_INVALID)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    std::thread w1(writer, 'x'), w2(writer, 'y');
    w1.join();
    w2.join();
    // What the system could not take at once goes out with later calls.
    WaitUntil([&] {
        char b[16];
        nlRead(s, b, sizeof b);
        return seenX + seenY == 2 * kPerThread;
    }, 10000);
    shutdown(fd, SHUT_RDWR);
    reader.join();
    EXPECT_FALSE(bad) << "a frame was torn or mixed with another";
    EXPECT_EQ(seenX, kPerThread);
    EXPECT_EQ(seenY, kPerThread);
}

TEST_F(Layer, EndsOfTheConnectionAreReportedByTheirErrors)
{
    enum End { Close, Reset, StayOpen };
    struct Case {
        const char* name;
        std::string before; // bytes the peer sends before its end
        End end;
        NLint error;
    };
    const Case cases[] = {
        {"orderly close", "", Close, NL_MESSAGE_END},
        {"vanishes mid-packet", std::string("NL\x00\x10" "abc", 7), Close, NL_MESSAGE_END},
        {"reset", "", Reset, NL_SOCK_DISCONNECT},
        {"framing lost", "XYZW-not-a-frame", StayOpen, NL_PACKET_SYNC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int fd;
        NLsocket s = AcceptedPair(&fd);
        ASSERT_TRUE(SendAll(fd, Frame("ok") + c.before));
        std::string got;
        ASSERT_EQ(ReadPacket(s, &got), 2) << "data before the end is still delivered";
        EXPECT_EQ(got, "ok");
        if (c.end != StayOpen) {
            if (c.end == Reset)
                CloseWithReset(fd);
            else
                close(fd);
            raw_.pop_back();
        }
        EXPECT_EQ(ReadPacket(s, &got), NL_INVALID);
        EXPECT_EQ(nlGetError(), c.error);
        // And it stays that way.
        char b[8];
        EXPECT_EQ(nlRead(s, b, sizeof b), NL_INVALID);
        EXPECT_EQ(nlGetError(), c.error);
        nlClose(s);
    }
}

// Bytes a raw peer reads within ms (fewer when the connection ends first).
std::string RecvUpTo(int fd, size_t n, int ms = 30000)
{
    std::string got;
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    char buf[65536];
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 50) <= 0)
            continue;
        ssize_t r = recv(fd, buf, std::min(sizeof buf, n - got.size()), 0);
        if (r <= 0)
            break;
        got.append(buf, static_cast<size_t>(r));
    }
    return got;
}

TEST_F(Layer, BrokenFrameHeaderLosesTheConnection)
{
    struct Case {
        const char* name;
        std::string bytes; // what the peer sends after one good packet
    };
    const Case cases[] = {
        {"announces one byte over the limit", std::string("NL\x40\x01", 4) + std::string(100, 'o')},
        {"announces the largest length, all sent", std::string("NL\xff\xff", 4) + std::string(65535, 'o')},
        {"wrong magic", std::string("XL\x00\x01z", 5)},
        {"second magic byte wrong", std::string("NX\x00\x01z", 5)},
        {"one wrong byte, then silence", "Q"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int fd;
        NLsocket s = AcceptedPair(&fd);
        NLint g = nlGroupCreate();
        ASSERT_TRUE(nlGroupAddSocket(g, s));
        ASSERT_TRUE(SendAll(fd, Frame("ok") + c.bytes));
        NLsocket ready[2];
        std::string got;
        ASSERT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 2, 30000), 1);
        ASSERT_EQ(ReadPacket(s, &got, 30000), 2) << "the packet before the break is delivered";
        EXPECT_EQ(got, "ok");

        // The break makes the socket ready (never silent), and every read it
        // is ready for reports the lost framing (never ready with nothing).
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 2, 30000), 1);
            char buf[NL_MAX_PACKET_LENGTH];
            EXPECT_EQ(nlRead(s, buf, sizeof buf), NL_INVALID);
            EXPECT_EQ(nlGetError(), NL_PACKET_SYNC);
        }
        EXPECT_TRUE(PeerSeesEnd(fd)) << "the connection is shut down";
        EXPECT_EQ(nlWrite(s, "x", 1), NL_INVALID);
        nlClose(s);
        EXPECT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 2, 0), 0);
        nlGroupDestroy(g);
    }
}

TEST_F(Layer, SmallestAndLargestPacketsPassBothWays)
{
    int fd;
    NLsocket s = AcceptedPair(&fd);
    for (size_t n : {size_t{1}, size_t{NL_MAX_PACKET_LENGTH}}) {
        SCOPED_TRACE(n);
        std::string payload(n, '\0');
        for (size_t i = 0; i < n; ++i)
            payload[i] = static_cast<char>(i * 7 + 1);

        ASSERT_TRUE(SendAll(fd, Frame(payload)));
        std::string got;
        ASSERT_EQ(ReadPacket(s, &got, 30000), static_cast<NLint>(n));
        EXPECT_TRUE(got == payload);

        ASSERT_EQ(nlWrite(s, payload.data(), static_cast<NLint>(n)), static_cast<NLint>(n));
        std::string wire = RecvUpTo(fd, n + 4);
        ASSERT_EQ(wire.size(), n + 4);
        EXPECT_TRUE(wire == Frame(payload)) << "'N', 'L', then the length big-endian, then the bytes";
    }
}

TEST_F(Layer, WritingToAVanishedPeerFailsWithoutSignal)
{
    int fd;
    NLsocket s = AcceptedPair(&fd);
    CloseWithReset(fd);
    raw_.clear();
    // Without MSG_NOSIGNAL the second write would kill the process.
    std::string p(1000, 'z');
    bool failed = WaitUntil([&] { return nlWrite(s, p.data(), 1000) == NL_INVALID; });
    EXPECT_TRUE(failed);
    EXPECT_EQ(nlGetError(), NL_SOCK_DISCONNECT);
}

TEST_F(Layer, PacketSizesOutsideTheLimitsFailCleanly)
{
    int fd;
    NLsocket s = AcceptedPair(&fd);
    std::string big(NL_MAX_PACKET_LENGTH + 1, 'q');
    EXPECT_EQ(nlWrite(s, big.data(), static_cast<NLint>(big.size())), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_PACKET_SIZE);

    // A packet longer than the reader's buffer is dropped whole; the next one
    // is intact.
    ASSERT_TRUE(SendAll(fd, Frame(std::string(100, 'L')) + Frame("next")));
    char small[10];
    NLint r = 0;
    WaitUntil([&] { return (r = nlRead(s, small, sizeof small)) != 0; });
    EXPECT_EQ(r, NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_BUFFER_SIZE);
    std::string got;
    EXPECT_EQ(ReadPacket(s, &got), 4);
    EXPECT_EQ(got, "next");
}

TEST_F(Layer, PeerThatReadsNothingGetsWholeFramesOrRefusals)
{
    int fd;
    NLsocket s = AcceptedPair(&fd);
    const std::string p(1000, 'w');
    int accepted = 0;
    auto start = std::chrono::steady_clock::now();
    while (nlWrite(s, p.data(), 1000) == 1000)
        ++accepted;
    EXPECT_EQ(nlGetError(), NL_QUEUE_FULL);
    EXPECT_LT(ElapsedMs(start), 5000) << "a full peer must not block the writer";

    // Every frame accepted arrives whole once the peer reads again.
    std::atomic<int> frames{0};
    std::thread reader([&] {
        std::string stream;
        char buf[65536];
        while (frames < accepted) {
            ssize_t r = recv(fd, buf, sizeof buf, 0);
            if (r <= 0)
                break;
            stream.append(buf, static_cast<size_t>(r));
            while (stream.size() >= 1004) {
                if (stream.compare(0, 4, std::string("NL\x03\xe8", 4)) != 0 ||
                    stream.compare(4, 1000, p) != 0)
                    return;
                stream.erase(0, 1004);
                ++frames;
            }
        }
    });
    WaitUntil([&] {
        char b[4];
        nlRead(s, b, sizeof b); // gives the queue its turn
        return frames == accepted;
    }, 10000);
    shutdown(fd, SHUT_RDWR);
    reader.join();
    EXPECT_EQ(frames, accepted);
}

TEST_F(Layer, PollListsOnlySocketsWithAWholePacketOrAnEnd)
{
    int port;
    NLsocket l = Listen(&port);
    int fa = RawConnect(port), fb = RawConnect(port);
    raw_ = {fa, fb};
    NLsocket a = Accept(l), b = Accept(l);
    NLint g = nlGroupCreate();
    ASSERT_TRUE(nlGroupAddSocket(g, a));
    ASSERT_TRUE(nlGroupAddSocket(g, b));
    NLsocket ready[4];

    EXPECT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 4, 0), 0);
    std::string half = Frame("hello");
    ASSERT_TRUE(SendAll(fa, half.substr(0, 5)));
    EXPECT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 4, 100), 0) << "half a packet is not ready";
    ASSERT_TRUE(SendAll(fa, half.substr(5)));
    ASSERT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 4, 30000), 1);
    EXPECT_EQ(ready[0], a);

    close(fb);
    raw_ = {fa};
    ASSERT_TRUE(WaitUntil([&] { return nlPollGroup(g, NL_READ_STATUS, ready, 4, 10) == 2; }))
        << "a peer's end makes its socket ready, so that the read reports it";

    // A waiting poll returns as soon as a packet completes.
    nlGroupDeleteSocket(g, b);
    std::string got;
    ReadPacket(a, &got);
    std::thread later([&] {
        usleep(50000);
        SendAll(fa, Frame("late"));
    });
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(nlPollGroup(g, NL_READ_STATUS, ready, 4, 30000), 1);
    EXPECT_LT(ElapsedMs(start), 20000) << "the poll waited out its whole time";
    later.join();
    EXPECT_EQ(nlPollGroup(99999, NL_READ_STATUS, ready, 4, 0), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_INVALID_GROUP);
}

TEST_F(Layer, AcceptReportsNothingPendingAndNotListening)
{
    int port;
    NLsocket l = Listen(&port);
    EXPECT_EQ(nlAcceptConnection(l), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_NO_PENDING);
    NLsocket plain = nlOpen(0, NL_RELIABLE_PACKETS);
    EXPECT_EQ(nlAcceptConnection(plain), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_NOT_LISTEN);
}

TEST_F(Layer, HandlesAreNeverReusedAndCloseOfInvalidIsHarmless)
{
    NLsocket a = nlOpen(0, NL_RELIABLE_PACKETS);
    ASSERT_TRUE(nlClose(a));
    NLsocket b = nlOpen(0, NL_RELIABLE_PACKETS);
    EXPECT_NE(a, b);
    char buf[4];
    EXPECT_EQ(nlWrite(a, buf, 4), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_INVALID_SOCKET);
    EXPECT_FALSE(nlClose(NL_INVALID));
    EXPECT_FALSE(nlClose(a));
}

TEST_F(Layer, InitAndShutdownCount)
{
    ASSERT_TRUE(nlInit()); // count 2
    NLsocket s = nlOpen(0, NL_RELIABLE_PACKETS);
    ASSERT_NE(s, NL_INVALID);
    nlShutdown(); // count 1: the socket stays
    NLaddress a;
    EXPECT_TRUE(nlGetLocalAddr(s, &a));
    nlShutdown(); // count 0: every socket closed
    EXPECT_FALSE(nlGetLocalAddr(s, &a));
    EXPECT_EQ(nlGetError(), NL_INVALID_SOCKET);
    EXPECT_EQ(nlOpen(0, NL_RELIABLE_PACKETS), NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_NO_NETWORK);
    nlShutdown(); // below 0 it stays at 0
    ASSERT_TRUE(nlInit()); // for TearDown
}

TEST_F(Layer, BlockingOptionIsResetByAFreshStartAndSkipsAcceptedSockets)
{
    nlEnable(NL_BLOCKING_IO);
    int port;
    NLsocket l = Listen(&port);
    int fd = RawConnect(port);
    raw_.push_back(fd);
    NLsocket c = Accept(l);
    char buf[16];
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(nlRead(c, buf, sizeof buf), 0) << "accepted sockets never block";
    EXPECT_LT(ElapsedMs(start), 1000);

    nlShutdown();
    ASSERT_TRUE(nlInit());
    EXPECT_FALSE(nlGetBoolean(NL_BLOCKING_IO));
}

TEST_F(Layer, StreamSocketsCarryBytesUnframed)
{
    int fd;
    NLsocket s = AcceptedPair(&fd, NL_RELIABLE);
    ASSERT_TRUE(SendAll(fd, "GET / x"));
    char buf[64];
    NLint r = 0;
    WaitUntil([&] { return (r = nlRead(s, buf, sizeof buf)) != 0; });
    EXPECT_EQ(std::string(buf, static_cast<size_t>(r > 0 ? r : 0)), "GET / x");
    EXPECT_EQ(nlWrite(s, "abc", 3), 3);
    char back[3];
    ASSERT_EQ(recv(fd, back, 3, MSG_WAITALL), 3);
    EXPECT_EQ(std::string(back, 3), "abc");
    close(fd);
    raw_.clear();
    WaitUntil([&] { return (r = nlRead(s, buf, sizeof buf)) != 0; });
    EXPECT_EQ(r, NL_INVALID);
    EXPECT_EQ(nlGetError(), NL_MESSAGE_END);
}

TEST_F(Layer, ConnectToAClosedPortIsRefused)
{
    NLsocket s = nlOpen(0, NL_RELIABLE_PACKETS);
    NLaddress a;
    ASSERT_TRUE(nlStringToAddr(("127.0.0.1:" + std::to_string(FreePort())).c_str(), &a));
    EXPECT_FALSE(nlConnect(s, &a));
    EXPECT_EQ(nlGetError(), NL_CON_REFUSED);
}

TEST(LayerNumbers, ErrorNumbersAreTheOnesCallersCompareWith)
{
    struct Case {
        const char* name;
        NLint value;
        NLint expected;
    };
    const Case cases[] = {
        {"NL_NO_NETWORK", NL_NO_NETWORK, 256},
        {"NL_OUT_OF_MEMORY", NL_OUT_OF_MEMORY, 257},
        {"NL_INVALID_ENUM", NL_INVALID_ENUM, 258},
        {"NL_INVALID_SOCKET", NL_INVALID_SOCKET, 259},
        {"NL_INVALID_PORT", NL_INVALID_PORT, 260},
        {"NL_INVALID_TYPE", NL_INVALID_TYPE, 261},
        {"NL_SYSTEM_ERROR", NL_SYSTEM_ERROR, 262},
        {"NL_SOCK_DISCONNECT", NL_SOCK_DISCONNECT, 263},
        {"NL_NOT_LISTEN", NL_NOT_LISTEN, 264},
        {"NL_CON_REFUSED", NL_CON_REFUSED, 265},
        {"NL_NO_PENDING", NL_NO_PENDING, 266},
        {"NL_BAD_ADDR", NL_BAD_ADDR, 267},
        {"NL_MESSAGE_END", NL_MESSAGE_END, 268},
        {"NL_NULL_POINTER", NL_NULL_POINTER, 269},
        {"NL_INVALID_GROUP", NL_INVALID_GROUP, 270},
        {"NL_BUFFER_SIZE", NL_BUFFER_SIZE, 273},
        {"NL_PACKET_SIZE", NL_PACKET_SIZE, 274},
        {"NL_WRONG_TYPE", NL_WRONG_TYPE, 275},
        {"NL_CON_PENDING", NL_CON_PENDING, 276},
        {"NL_PACKET_SYNC", NL_PACKET_SYNC, 278},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, c.expected) << c.name;
    // The layer's own queue-full error lies outside the numbers the library
    // uses, so it can never be read as one of them.
    EXPECT_TRUE(NL_QUEUE_FULL < 256 || NL_QUEUE_FULL > 299) << NL_QUEUE_FULL;
    EXPECT_EQ(NL_MAX_PACKET_LENGTH, 16384);
}

TEST(LayerAddress, TextFormsParseAndPrint)
{
    struct Case {
        const char* text;
        bool ok;
        const char* printed;
    };
    const Case cases[] = {
        {"127.0.0.1:26000", true, "127.0.0.1:26000"},
        {"10.1.2.3", true, "10.1.2.3:0"},
        {"255.255.255.255:65535", true, "255.255.255.255:65535"},
        {"1.2.3.4:65536", false, ""},
        {"1.2.3.4:", false, ""},
        {"1.2.3.4:8x", false, ""},
        {"300.1.1.1", false, ""},
        {"localhost", false, ""},
        {"", false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NLaddress a{};
        EXPECT_EQ(nlStringToAddr(c.text, &a), c.ok ? NL_TRUE : NL_FALSE);
        EXPECT_EQ(a.valid, c.ok ? NL_TRUE : NL_FALSE);
        if (c.ok) {
            char s[NL_MAX_STRING_LENGTH];
            EXPECT_STREQ(nlAddrToString(&a, s), c.printed);
        }
    }
    NLaddress a{};
    ASSERT_TRUE(nlGetAddrFromName("localhost", &a));
    EXPECT_EQ(a.ip[0], 127);
    EXPECT_FALSE(nlGetAddrFromName("no-such-host.invalid", &a));
}

TEST(LayerThreads, JoinableThreadRunsAndJoins)
{
    static std::atomic<int> ran{0};
    HThreadID t;
    ASSERT_TRUE(htThreadCreate([](void* d) -> void* { ran = 1; return d; }, &ran, NL_TRUE, &t));
    void* status = nullptr;
    ASSERT_TRUE(htThreadJoin(t, &status));
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(status, &ran);
    HTmutex m;
    ASSERT_TRUE(htMutexInit(&m));
    EXPECT_TRUE(htMutexLock(&m));
    EXPECT_TRUE(htMutexUnlock(&m));
    EXPECT_TRUE(htMutexDestroy(&m));
}

} // namespace
