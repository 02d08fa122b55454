// The network-library layer: socket groups and polling them for input.
#include "net/hawknl_state.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <poll.h>
#include <sys/socket.h>

using namespace nlimpl;

namespace {

struct Member {
    NLsocket handle;
    SocketPtr socket;
    bool ready;
};

// Ready from what is already buffered or known, without a system call.
bool ReadyFromState(Socket& s)
{
    if (s.listening || s.type != NL_RELIABLE_PACKETS)
        return false;
    std::lock_guard<std::mutex> g(s.readLock);
    return PacketReadyLocked(s);
}

// After the system reported input on s: pulls it in and says whether the
// socket is now ready. Stream and listening sockets are ready at once.
bool ReadyAfterInput(Socket& s)
{
    if (s.listening || s.type != NL_RELIABLE_PACKETS)
        return true;
    std::lock_guard<std::mutex> g(s.readLock);
    FillInputLocked(s, false);
    return PacketReadyLocked(s);
}

// The group's socket list, or null with the error set; st.lock is held.
std::vector<NLsocket>* FindGroupLocked(State& st, NLint group)
{
    auto it = st.groups.find(group);
    if (it == st.groups.end()) {
        SetError(NL_INVALID_GROUP);
        return nullptr;
    }
    return &it->second;
}

} // namespace

NLint nlGroupCreate()
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    if (st.initCount == 0) {
        SetError(NL_NO_NETWORK);
        return NL_INVALID;
    }
    NLint id = st.nextGroup++;
    st.groups[id];
    return id;
}

NLboolean nlGroupDestroy(NLint group)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    if (st.groups.erase(group) == 0) {
        SetError(NL_INVALID_GROUP);
        return NL_FALSE;
    }
    return NL_TRUE;
}

NLboolean nlGroupAddSocket(NLint group, NLsocket socket)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    std::vector<NLsocket>* members = FindGroupLocked(st, group);
    if (!members)
        return NL_FALSE;
    if (st.sockets.find(socket) == st.sockets.end()) {
        SetError(NL_INVALID_SOCKET);
        return NL_FALSE;
    }
    auto& v = *members;
    if (std::find(v.begin(), v.end(), socket) == v.end())
        v.push_back(socket);
    return NL_TRUE;
}

NLboolean nlGroupDeleteSocket(NLint group, NLsocket socket)
{
    State& st = GlobalState();
    std::lock_guard<std::mutex> g(st.lock);
    std::vector<NLsocket>* members = FindGroupLocked(st, group);
    if (!members)
        return NL_FALSE;
    auto& v = *members;
    auto i = std::find(v.begin(), v.end(), socket);
    if (i == v.end()) {
        SetError(NL_INVALID_SOCKET);
        return NL_FALSE;
    }
    v.erase(i);
    return NL_TRUE;
}

NLint nlPollGroup(NLint group, NLenum name, NLsocket* sockets, NLint number, NLint timeout)
{
    if (name != NL_READ_STATUS) {
        SetError(NL_INVALID_ENUM);
        return NL_INVALID;
    }
    if (!sockets) {
        SetError(NL_NULL_POINTER);
        return NL_INVALID;
    }
    std::vector<Member> members;
    {
        State& st = GlobalState();
        std::lock_guard<std::mutex> g(st.lock);
        const std::vector<NLsocket>* handles = FindGroupLocked(st, group);
        if (!handles)
            return NL_INVALID;
        members.reserve(handles->size());
        for (NLsocket h : *handles) {
            auto s = st.sockets.find(h);
            if (s != st.sockets.end())
                members.push_back(Member{h, s->second, false});
        }
    }
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeout > 0 ? timeout : 0);
    std::vector<pollfd> fds;
    std::vector<std::size_t> index;
    bool first = true;
    for (;;) {
        NLint count = 0;
        fds.clear();
        index.clear();
        for (std::size_t i = 0; i < members.size(); ++i) {
            Member& m = members[i];
            FlushQueued(*m.socket);
            m.ready = ReadyFromState(*m.socket);
            if (m.ready) {
                ++count;
            } else {
                fds.push_back(pollfd{m.socket->fd, POLLIN, 0});
                index.push_back(i);
            }
        }
        int wait = 0;
        if (count == 0 && !first) {
            if (timeout < 0) {
                wait = -1;
            } else {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                if (left.count() <= 0)
                    return 0;
                wait = static_cast<int>(left.count());
            }
        }
        first = false;
        if (!fds.empty()) {
            int r = poll(fds.data(), fds.size(), wait);
            if (r < 0 && errno != EINTR) {
                SetError(NL_SYSTEM_ERROR);
                return NL_INVALID;
            }
            for (std::size_t k = 0; r > 0 && k < fds.size(); ++k) {
                if (fds[k].revents && ReadyAfterInput(*members[index[k]].socket)) {
                    members[index[k]].ready = true;
                    ++count;
                }
            }
        } else if (count == 0 && wait != 0) {
            // An empty group waits out its time-out like a quiet one.
            poll(nullptr, 0, wait);
        }
        if (count > 0 || (timeout == 0)) {
            NLint n = 0;
            for (const Member& m : members) {
                if (m.ready && n < number)
                    sockets[n++] = m.handle;
            }
            return n;
        }
        if (timeout >= 0 && Clock::now() >= deadline)
            return 0;
    }
}
