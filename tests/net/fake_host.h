#pragma once
// A stand-in game host on 127.0.0.1 for tests and benchmarks that need a
// host the engine cannot be made into: one that answers late, holds its
// answers back or vanishes. It speaks the wire format over a plain socket:
// creations get ids from 101, the count and id queries are answered from its
// list of named players, a name query only for an id it knows, the hello
// query always. Every answer leaves delayMs after its query arrived, in the
// order the queries came, unless held.
#include "net/netmsg.h"
#include "tests/net/net_test_util.h"

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace nettest {

class FakeHost {
public:
    explicit FakeHost(int delayMs = 0) : delayMs_(delayMs)
    {
        listener_ = RawListen(&port_);
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeHost()
    {
        stop_ = true;
        thread_.join();
        close(listener_);
    }
    FakeHost(const FakeHost&) = delete;
    FakeHost& operator=(const FakeHost&) = delete;

    int Port() const { return port_; }
    // While held, answers wait; released, they go out in order.
    void Hold(bool on) { held_ = on; }
    // Answers to queries that arrive from now on leave ms after them.
    void SetDelay(int ms) { delayMs_ = ms; }
    // The host's end closes its connection, as a program that ends does.
    void Vanish() { vanish_ = true; }
    // The count the host reports, whatever players it registered.
    void ReportCount(int n) { count_ = n; }

private:
    using Clock = std::chrono::steady_clock;
    struct Pending {
        Clock::time_point due;
        std::string frame;
    };

    void Reply(std::deque<Pending>& out, std::uint8_t type, std::int32_t target, const void* payload,
               std::uint32_t length)
    {
        __VELTRIC__::NetMessage m;
        __VELTRIC__::NetMessageSet(m, type, target, 0, payload, length);
        std::uint8_t bytes[__VELTRIC__::netmsg::kMaxMessageBytes];
        int n = __VELTRIC__::NetMessageEncode(m, bytes);
        out.push_back({Clock::now() + std::chrono::milliseconds(delayMs_.load()),
                       Frame(std::string(reinterpret_cast<char*>(bytes), static_cast<size_t>(n)))});
    }

    void Handle(const __VELTRIC__::NetMessage& m, std::deque<Pending>& out)
    {
        using namespace __VELTRIC__::netmsg;
        std::uint8_t four[4];
        std::int32_t asked = static_cast<std::int32_t>(__VELTRIC__::NetPayloadU32(m));
        switch (m.type) {
        case kCreatePlayer: {
            __VELTRIC__::NetPlayerRecord r;
            __VELTRIC__::NetRecordDecode(reinterpret_cast<const std::uint8_t*>(m.payload), m.length, r);
            std::int32_t id = nextId_++;
            if (!r.hidden)
                players_.emplace_back(id, r.name);
            Reply(out, kPlayerCreated, id, nullptr, 0);
            return;
        }
        case kQueryCount:
        {
            int count = count_;
            __VELTRIC__::NetPutU32(four, static_cast<std::uint32_t>(count >= 0 ? count : static_cast<int>(players_.size())));
            Reply(out, m.type, m.sender, four, 4);
            return;
        }
        case kQueryId:
            __VELTRIC__::NetPutU32(four, asked >= 0 && static_cast<size_t>(asked) < players_.size()
                                             ? static_cast<std::uint32_t>(players_[static_cast<size_t>(asked)].first)
                                             : 0);
            Reply(out, m.type, m.sender, four, 4);
            return;
        case kQueryName:
            for (const auto& p : players_)
                if (p.first == asked && !p.second.empty())
                    Reply(out, m.type, m.sender, p.second.data(), static_cast<std::uint32_t>(p.second.size()));
            return;
        case kQueryHello:
            __VELTRIC__::NetPutU32(four, 1);
            Reply(out, m.type, m.sender, four, 4);
            return;
        default:
            return;
        }
    }

    void Serve()
    {
        int c = -1;
        while (!stop_ && c < 0) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 10) > 0)
                c = accept(listener_, nullptr, nullptr);
        }
        std::string in;
        std::deque<Pending> out;
        char buf[4096];
        while (!stop_ && !vanish_) {
            auto now = Clock::now();
            while (!held_ && !out.empty() && out.front().due <= now) {
                SendAll(c, out.front().frame);
                out.pop_front();
            }
            pollfd p{c, POLLIN, 0};
            if (poll(&p, 1, 1) <= 0)
                continue;
            ssize_t r = recv(c, buf, sizeof buf, 0);
            if (r <= 0)
                break;
            in.append(buf, static_cast<size_t>(r));
            TakePackets(in, [&](const std::string& payload) {
                __VELTRIC__::NetMessage m;
                if (__VELTRIC__::NetMessageDecode(reinterpret_cast<const std::uint8_t*>(payload.data()),
                                                  static_cast<int>(payload.size()), m))
                    Handle(m, out);
            });
        }
        if (c >= 0)
            close(c);
    }

    std::atomic<int> delayMs_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<bool> held_{false};
    std::atomic<bool> vanish_{false};
    std::atomic<int> count_{-1};
    std::int32_t nextId_ = 101;
    std::vector<std::pair<std::int32_t, std::string>> players_;
    std::thread thread_;
};

} // namespace nettest
