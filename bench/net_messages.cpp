// Network game throughput and latency between two processes on loopback:
// user messages per second from the host's player to a joined program's
// player (every message counted and checked on arrival, so a lost one stops
// the run), the round trip of a query from a joined program, and the frame
// rate of a 60 fps game loop that asks the host something every frame while
// the host is alive, gone, slow or silent.
#include "net/net_cmds.h"
#include "net/rthawknetwork.h"
#include "tests/net/fake_host.h"
#include "tests/net/net_test_util.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace __VELTRIC__;
using nettest::FreePort;
using nettest::ReadLine;
using nettest::SendLine;

namespace {

constexpr int kBatch = 10000;

struct Peer {
    pid_t pid = -1;
    int rd = -1, wr = -1;
};

// Forks a program that runs body(rd, wr) on its own network object.
Peer Fork(void (*body)(int, int))
{
    int down[2], up[2];
    Peer p;
    if (pipe(down) != 0 || pipe(up) != 0)
        return p;
    p.pid = fork();
    if (p.pid == 0) {
        close(down[1]);
        close(up[0]);
        pRTNet = new RTHawkNetwork;
        body(down[0], up[1]);
        pRTNet->ShutDown();
        delete pRTNet;
        _exit(0);
    }
    close(down[0]);
    close(up[1]);
    p.rd = up[0];
    p.wr = down[1];
    return p;
}

void Reap(Peer& p)
{
    SendLine(p.wr, "exit");
    int status;
    for (int i = 0; i < 200 && waitpid(p.pid, &status, WNOHANG) == 0; ++i)
        usleep(10000);
    kill(p.pid, SIGKILL);
    waitpid(p.pid, &status, 0);
    close(p.rd);
    close(p.wr);
}

// Joins, makes player "b" and acknowledges every batch of messages it gets,
// checking each one's sender and length.
void Receiver(int rd, int wr)
{
    std::string port = ReadLine(rd);
    size_t size = std::stoul(ReadLine(rd));
    if (NETJOINGAME(0, "", "127.0.0.1", DGStr(port.c_str())) != 1) {
        SendLine(wr, "join failed");
        return;
    }
    DGStr me = NETCREATEPLAYER_Str("b");
    SendLine(wr, me.c_str());
    long received = 0;
    for (;;) {
        DGStr m = NETGETMSG_Str(me);
        if (m.Len() == 0) {
            pollfd p{rd, POLLIN, 0};
            if (poll(&p, 1, 0) > 0)
                return; // "exit"
            std::this_thread::sleep_for(std::chrono::microseconds(20));
            continue;
        }
        if (m.Len() != size || __g_last_msg_sender != 101) {
            SendLine(wr, "corrupt");
            return;
        }
        if (++received % kBatch == 0)
            SendLine(wr, std::to_string(received));
    }
}

void BM_UserMessages(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0));
    Peer peer = Fork(Receiver);
    pRTNet = new RTHawkNetwork;
    int port = FreePort();
    NETHOSTGAME(0, "", "", DGStr(std::to_string(port).c_str()));
    DGStr a = NETCREATEPLAYER_Str("a");
    SendLine(peer.wr, std::to_string(port));
    SendLine(peer.wr, std::to_string(size));
    DGStr b(ReadLine(peer.rd).c_str());
    DGStr text(std::string(size, 'm').c_str());
    long sent = 0, retries = 0;
    for (auto _ : state) {
        for (int i = 0; i < kBatch; ++i) {
            // A refused write (the peer's queue is full) is sent again: no
            // message may be lost.
            while (NETSENDMSG(a, b, text) == 0) {
                ++retries;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
        sent += kBatch;
        std::string ack = ReadLine(peer.rd);
        if (ack != std::to_string(sent)) {
            state.SkipWithError(("receiver says " + ack + " after " + std::to_string(sent)).c_str());
            break;
        }
    }
    state.SetItemsProcessed(sent);
    state.counters["retries"] = static_cast<double>(retries);
    pRTNet->ShutDown();
    delete pRTNet;
    pRTNet = nullptr;
    Reap(peer);
}
BENCHMARK(BM_UserMessages)->Arg(1)->Arg(100)->Arg(1024)->Unit(benchmark::kMillisecond)->UseRealTime();

// Hosts a game with one player until told to stop.
void Host(int rd, int wr)
{
    std::string port = ReadLine(rd);
    NETHOSTGAME(0, "", "", DGStr(port.c_str()));
    NETCREATEPLAYER_Str("h");
    SendLine(wr, "ready");
    ReadLine(rd, 600000);
}

void BM_QueryRoundTrip(benchmark::State& state)
{
    Peer peer = Fork(Host);
    int port = FreePort();
    SendLine(peer.wr, std::to_string(port));
    ReadLine(peer.rd);
    pRTNet = new RTHawkNetwork;
    if (NETJOINGAME(0, "", "127.0.0.1", DGStr(std::to_string(port).c_str())) != 1)
        state.SkipWithError("join failed");
    long wrong = 0;
    for (auto _ : state) {
        if (NETNUMPLAYERS() != 1)
            ++wrong;
    }
    state.counters["wrong"] = static_cast<double>(wrong);
    pRTNet->ShutDown();
    delete pRTNet;
    pRTNet = nullptr;
    Reap(peer);
}
BENCHMARK(BM_QueryRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

enum class HostKind { Alive, AliveLeftId, Gone, Slow, Silent };

// A 60 fps loop of a joined program that asks for the player count and a
// player's name every frame and then waits for the next frame's start. One
// iteration is one frame; "fps" is the rate the loop kept.
void BM_QueryEveryFrame(benchmark::State& state)
{
    const auto kind = static_cast<HostKind>(state.range(0));
    Peer peer;
    std::unique_ptr<nettest::FakeHost> fake;
    int port = 0;
    if (kind == HostKind::Slow || kind == HostKind::Silent) {
        // Slow: every answer leaves 30 ms after its query came in.
        fake.reset(new nettest::FakeHost(kind == HostKind::Slow ? 30 : 0));
        port = fake->Port();
    } else {
        peer = Fork(Host);
        port = FreePort();
        SendLine(peer.wr, std::to_string(port));
        ReadLine(peer.rd);
    }
    pRTNet = new RTHawkNetwork;
    if (NETJOINGAME(0, "", "127.0.0.1", DGStr(std::to_string(port).c_str())) != 1)
        state.SkipWithError("join failed");
    DGStr me = NETCREATEPLAYER_Str("me");
    // The host's own player is 101; 999 was never given, as an id that left.
    DGStr ask = kind == HostKind::AliveLeftId ? DGStr("999") : fake ? me : DGStr("101");
    if (kind == HostKind::Gone) {
        kill(peer.pid, SIGKILL);
        waitpid(peer.pid, nullptr, 0);
        peer.pid = -1;
    }
    if (kind == HostKind::Silent)
        fake->Hold(true);

    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::microseconds(16667);
    long answered = 0, frames = 0;
    const auto start = Clock::now();
    auto next = start + period;
    for (auto _ : state) {
        double n = NETNUMPLAYERS();
        DGStr name = NETPLAYERNAME_Str(ask);
        answered += (n > 0) + (std::strcmp(name.c_str(), "NO_DATA") != 0);
        ++frames;
        auto now = Clock::now();
        if (now < next)
            std::this_thread::sleep_until(next);
        next = (now > next ? now : next) + period;
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.counters["fps"] = frames / seconds;
    state.counters["answered"] = static_cast<double>(answered) / (2.0 * static_cast<double>(frames));
    pRTNet->ShutDown();
    delete pRTNet;
    pRTNet = nullptr;
    if (peer.pid > 0) {
        Reap(peer);
    } else if (peer.pid == -1 && kind == HostKind::Gone) {
        close(peer.rd);
        close(peer.wr);
    }
}
BENCHMARK(BM_QueryEveryFrame)
    ->ArgName("host")
    ->Arg(static_cast<int>(HostKind::Alive))
    ->Arg(static_cast<int>(HostKind::AliveLeftId))
    ->Arg(static_cast<int>(HostKind::Gone))
    ->Arg(static_cast<int>(HostKind::Slow))
    ->Arg(static_cast<int>(HostKind::Silent))
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

BENCHMARK_MAIN();
