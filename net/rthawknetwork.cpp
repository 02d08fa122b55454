// RTHawkNetwork: the reset, hosting and joining, player creation, queries,
// mail, the shut-down and the worker thread.
#include "net/rthawknetwork.h"

#include <chrono>
#include <cstring>
#include <ctime>

namespace __VELTRIC__ {

RTHawkNetwork* pRTNet = nullptr;

using namespace netmsg;

namespace {

class Lock {
public:
    explicit Lock(HTmutex& m) : m_m(m) { htMutexLock(&m_m); }
    ~Lock() { htMutexUnlock(&m_m); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    HTmutex& m_m;
};

void SleepNs(long ns)
{
    timespec t{0, ns};
    nanosleep(&t, nullptr);
}

// The server connection may bring in a burst; a pass takes at most this many
// messages from it so that the rest of the pass still runs under a flood.
constexpr int kMaxServerReadsPerPass = 4096;
constexpr int kMaxReady = 100;
// Whole packets taken from one ready client per pass: enough that the nap
// between passes does not cap a client's message rate, few enough that one
// busy client cannot hold up the others.
constexpr int kMaxClientReadsPerPass = 32;
// The nap between passes: short while messages flow, longer once a run of
// passes found nothing to do, so that an idle game costs little processor.
constexpr long kWorkerPassSleepNs = 10000;
constexpr long kWorkerIdleSleepNs = 500000;
constexpr int kPassesBeforeIdle = 1000;

} // namespace

void NetAnswerWait::Answered(double ms)
{
    m_recent[m_next] = ms;
    m_next = (m_next + 1) % kSamples;
    if (m_count < kSamples)
        ++m_count;
}

int NetAnswerWait::BoundMs(int allowanceMs) const
{
    if (m_count == 0)
        return allowanceMs;
    double slowest = 0;
    for (int i = 0; i < m_count; ++i)
        slowest = m_recent[i] > slowest ? m_recent[i] : slowest;
    double bound = slowest * kMultiple;
    if (bound < kFloorMs)
        bound = kFloorMs;
    return bound < allowanceMs ? static_cast<int>(bound + 0.5) : allowanceMs;
}

RTHawkNetwork::RTHawkNetwork() { htMutexInit(&m_mutex); }

bool RTHawkNetwork::ConnectionLost(int error)
{
    // A stream that lost its framing is as good as lost.
    return error == NL_MESSAGE_END || error == NL_SOCK_DISCONNECT || error == NL_PACKET_SYNC;
}

RTHawkNetwork::~RTHawkNetwork()
{
    if (!m_shutDown)
        ShutDown();
}

bool RTHawkNetwork::SendRule(NLsocket socket, const NetPacket& p)
{
    std::uint8_t bytes[kMaxMessageBytes];
    int n = NetPacketEncode(p, bytes);
    // The layer sends a whole packet or nothing, so a failed write can be
    // repeated without doubling a part of it.
    if (nlWrite(socket, bytes, n) == n)
        return true;
    return nlWrite(socket, bytes, n) == n;
}

int RTHawkNetwork::SendToServer(std::uint8_t type, std::int32_t target, std::int32_t sender,
                                const void* payload, std::uint32_t length)
{
    NetMessage m;
    NetMessageSet(m, type, target, sender, payload, length);
    return SendRule(m_serverSocket.load(), NetPacketFrom(m, NL_INVALID)) ? 1 : 0;
}

template <class Done> bool RTHawkNetwork::WaitFor(Done done, int waitMs)
{
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::milliseconds(waitMs);
    bool expired = false;
    std::uint64_t passesAtDeadline = 0;
    for (;;) {
        auto now = Clock::now();
        {
            Lock g(m_mutex);
            if (done())
                return true;
            // Nothing more can arrive: answer the caller at once.
            if (!m_running || m_serverLost)
                return false;
            // Time in which the worker did not run is not counted: the wait
            // ends only once two whole passes begun after the deadline (one
            // to route a query on the host, one to read the answer) brought
            // nothing, so a busy machine does not turn a slow pass into a
            // missing answer.
            if (expired && m_passes >= passesAtDeadline + 3)
                return false;
            if (!expired && now >= deadline) {
                expired = true;
                passesAtDeadline = m_passes;
            }
        }
        // Short naps while an answer is likely close, then ~1 ms ones.
        SleepNs(now - start < std::chrono::milliseconds(2) ? 50000 : 1000000);
    }
}

bool RTHawkNetwork::Running()
{
    Lock g(m_mutex);
    return m_running;
}

bool RTHawkNetwork::Connected()
{
    Lock g(m_mutex);
    return m_running && !m_serverLost;
}

void RTHawkNetwork::CloseSockets()
{
    NLsocket l = m_listenSocket.exchange(NL_INVALID);
    NLsocket s = m_serverSocket.exchange(NL_INVALID);
    if (l != NL_INVALID)
        nlClose(l);
    if (s != NL_INVALID)
        nlClose(s);
}

void RTHawkNetwork::Stop()
{
    {
        Lock g(m_mutex);
        m_stop = true;
    }
    // The worker is joinable: once joined, nothing of it touches the object.
    if (m_threadLive) {
        htThreadJoin(m_thread, nullptr);
        m_threadLive = false;
    }
    CloseSockets();
}

bool RTHawkNetwork::Init(NLenum network, NLenum socketType)
{
    Stop();
    {
        Lock g(m_mutex);
        m_client.local.clear();
        m_client.answers.clear();
        m_client.awaitType = 0;
        m_client.fencesSent = m_client.fencesAnswered = m_client.awaitFence = 0;
        m_server.registered.clear();
        m_server.nextId = kFirstPlayerId;
        m_serverLost = false;
        m_answerWait.Reset();
        m_lateFence = 0;
    }
    m_network = network;
    m_socketType = socketType;
    m_ownQueryId = -1;
    // Restarting the library closes every socket of the previous game,
    // accepted client connections included.
    if (m_libraryStarted) {
        nlShutdown();
        m_libraryStarted = false;
    }
    if (!nlInit())
        return false;
    m_libraryStarted = true;
    nlSelectNetwork(network);
    return true;
}

bool RTHawkNetwork::StartWorker()
{
    // Marked running before the thread exists, so that a reset or shut-down
    // right after the start waits for it instead of freeing it under it.
    {
        Lock g(m_mutex);
        m_stop = false;
        m_running = true;
        m_serverLost = false;
    }
    if (!htThreadCreate(&RTHawkNetwork::mainLoop, this, NL_TRUE, &m_thread)) {
        Lock g(m_mutex);
        m_running = false;
        m_stop = true;
        return false;
    }
    m_threadLive = true;
    return true;
}

int RTHawkNetwork::Host(NLushort port)
{
    if (!Init(NL_IP, NL_RELIABLE_PACKETS))
        return 0;
    NLsocket listenSocket = nlOpen(port, m_socketType);
    if (listenSocket == NL_INVALID)
        return 0;
    if (!nlListen(listenSocket)) {
        nlClose(listenSocket);
        return 0;
    }
    NLsocket server = nlOpen(0, m_socketType);
    if (server == NL_INVALID) {
        nlClose(listenSocket);
        return 0;
    }
    NLaddress a{};
    nlGetLocalAddr(server, &a);
    nlSetAddrPort(&a, port);
    if (!nlConnect(server, &a)) {
        nlClose(server);
        nlClose(listenSocket);
        return 0;
    }
    m_listenSocket = listenSocket;
    m_serverSocket = server;
    m_host = true;
    if (!StartWorker()) {
        CloseSockets();
        return 0;
    }
    return 1;
}

int RTHawkNetwork::Join(NLushort port, const char* address)
{
    if (!Init(NL_IP, NL_RELIABLE_PACKETS))
        return 0;
    NLsocket server = nlOpen(0, m_socketType);
    if (server == NL_INVALID)
        return 0;
    NLaddress a{};
    bool ok = address && *address ? nlStringToAddr(address, &a) : nlGetLocalAddr(server, &a);
    if (!ok) {
        nlClose(server);
        return 0;
    }
    nlSetAddrPort(&a, port);
    if (!nlConnect(server, &a)) {
        nlClose(server);
        return 0;
    }
    m_serverSocket = server;
    m_host = false;
    if (!StartWorker()) {
        CloseSockets();
        return 0;
    }
    Message hello;
    NetMessageSet(hello, kQueryHello, kServer, kServer);
    if (QueryInformation(hello, kJoinWaitMs))
        return 1;
    Stop();
    return 0;
}

int RTHawkNetwork::CreatePlayer(const char* name)
{
    NetPlayer* entry;
    const auto asked = std::chrono::steady_clock::now();
    {
        Lock g(m_mutex);
        // Without a worker nothing would ever send the request, and without
        // a connection no id would come back.
        if (!m_running || m_serverLost)
            return -1;
        NetPlayer p;
        p.rec.socket = -1;
        p.rec.id = kIdRequested;
        p.rec.hidden = name ? 0 : 1;
        p.rec.hostMarker = 0;
        NetSetName(p.rec, name);
        m_client.local.push_back(std::move(p));
        // Only the worker removes entries, and only ones marked given up or
        // abandoned, which this entry is not while we wait.
        entry = &m_client.local.back();
    }
    WaitFor([&] { return entry->rec.id >= 0; }, kCreateWaitMs);
    Lock g(m_mutex);
    if (entry->rec.id >= 0) {
        m_answerWait.Answered(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - asked).count());
        return entry->rec.id;
    }
    // Given up. A request not yet sent is dropped; one already sent will
    // still get an id, which the entry absorbs and gives back.
    entry->abandoned = true;
    if (entry->rec.id == kIdRequested)
        entry->rec.id = kIdGivenUp;
    return -1;
}

int RTHawkNetwork::QueryInformation(Message& m) { return QueryInformation(m, kQueryWaitMs); }

int RTHawkNetwork::QueryInformation(Message& m, int waitMs)
{
    using Clock = std::chrono::steady_clock;
    if (!Connected())
        return 0;
    if (m_ownQueryId < 0) {
        int id = CreatePlayer(nullptr);
        if (id < 0)
            return 0;
        m_ownQueryId = id;
    }
    m.sender = m_ownQueryId;
    m.target = kServer;
    std::memcpy(m.magic, "VLTN", 4);
    // Every query but the hello itself is followed by a hello, its fence
    // (NetClient): the fence's answer tells that the host has nothing for the
    // query, so a name query for an unknown id ends after one round trip.
    const bool fenced = m.type != kQueryHello;
    Message fence;
    NetMessageSet(fence, kQueryHello, kServer, m_ownQueryId);
    int bound;
    {
        Lock g(m_mutex);
        m_client.answers.clear();
        m_client.awaitType = m.type;
        m_client.awaitId = m_ownQueryId;
        m_client.awaitFence = fenced ? ++m_client.fencesSent : 0;
        bound = m_answerWait.BoundMs(waitMs);
    }
    const NLsocket server = m_serverSocket.load();
    const auto sent = Clock::now();
    const bool queryOut = SendRule(server, NetPacketFrom(m, NL_INVALID));
    if (!queryOut || (fenced && !SendRule(server, NetPacketFrom(fence, NL_INVALID)))) {
        // A fence that never went out is not counted, or every later query
        // would wait for its answer. Only fences that went out can have been
        // answered meanwhile, so the count of answers stays within it.
        Lock g(m_mutex);
        if (fenced) {
            --m_client.fencesSent;
            m_client.awaitFence = 0;
        }
        if (!queryOut) {
            // Nothing went out, so nothing can come back.
            m_client.awaitType = 0;
            return 0;
        }
    }
    bool answered = WaitFor([&] { return !m_client.answers.empty(); }, bound);
    Lock g(m_mutex);
    m_client.awaitType = 0;
    if (!answered || m_client.answers.empty()) {
        // The oldest given-up fence is kept: the fences come back in order,
        // so it is the first to show how long the host now takes.
        if (m_lateFence == 0 && m_client.awaitFence != 0 && m_client.fencesAnswered < m_client.awaitFence) {
            m_lateFence = m_client.awaitFence;
            m_lateSince = sent;
        }
        return 0;
    }
    m_answerWait.Answered(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
    NetPacket a = std::move(m_client.answers.front());
    m_client.answers.pop_front();
    if (a.type != m.type)
        return 0; // the fence came back first: the host has no answer
    NetPacketTo(a, m);
    return 1;
}

int RTHawkNetwork::GetMessage(int id, Message& m)
{
    Lock g(m_mutex);
    for (NetPlayer& p : m_client.local) {
        if (p.abandoned || p.rec.id != id)
            continue;
        if (p.mailbox.empty())
            return 0;
        NetPacketTo(p.mailbox.front(), m);
        p.mailbox.pop_front();
        return 1;
    }
    return 0;
}

int RTHawkNetwork::GetLocalAddresses(char* text, int capacity)
{
    Init(NL_IP, NL_RELIABLE_PACKETS);
    if (!text || capacity <= 0)
        return 0;
    text[0] = 0;
    // The interface list needs no socket: a port held by another program
    // must not hide this machine's addresses.
    NLint count = 0;
    NLaddress* all = nlGetAllLocalAddr(&count);
    int len = 0;
    int written = 0;
    for (NLint i = 0; i < count; ++i) {
        char one[NL_MAX_STRING_LENGTH];
        NLaddress a = all[i];
        nlSetAddrPort(&a, static_cast<NLushort>(kDefaultPort));
        nlAddrToString(&a, one);
        int n = static_cast<int>(std::strlen(one));
        bool last = i + 1 == count;
        if (len + n + (last ? 0 : 1) + 1 > capacity)
            break;
        std::memcpy(text + len, one, static_cast<std::size_t>(n));
        len += n;
        if (!last)
            text[len++] = '|';
        text[len] = 0;
        ++written;
        // Room for one more address is kept free, as the text is built.
        if (len + 32 > capacity)
            break;
    }
    return written;
}

void RTHawkNetwork::ShutDown()
{
    if (m_shutDown)
        return;
    std::vector<std::int32_t> ids;
    {
        Lock g(m_mutex);
        for (const NetPlayer& p : m_client.local)
            if (p.rec.id >= 0 && !p.abandoned)
                ids.push_back(p.rec.id);
    }
    NLsocket server = m_serverSocket.load();
    if (server != NL_INVALID)
        for (std::int32_t id : ids)
            SendToServer(kDestroyPlayer, kServer, id);
    Stop();
    if (m_libraryStarted) {
        nlShutdown();
        m_libraryStarted = false;
    }
    htMutexDestroy(&m_mutex);
    m_shutDown = true;
}

void* RTHawkNetwork::mainLoop(void* data)
{
    static_cast<RTHawkNetwork*>(data)->Run();
    return nullptr;
}

bool RTHawkNetwork::SendCreations(NLsocket server)
{
    std::vector<std::pair<NetPlayer*, NetPacket>> requests;
    {
        Lock g(m_mutex);
        m_client.local.remove_if([](const NetPlayer& p) { return p.rec.id == kIdGivenUp; });
        for (NetPlayer& p : m_client.local) {
            if (p.rec.id != kIdRequested)
                continue;
            std::uint8_t rec[kRecordBytes];
            NetRecordEncode(p.rec, rec);
            NetMessage m;
            NetMessageSet(m, kCreatePlayer, kServer, kServer, rec, kRecordBytes);
            requests.emplace_back(&p, NetPacketFrom(m, NL_INVALID));
        }
    }
    if (requests.empty())
        return false;
    for (auto& r : requests)
        SendRule(server, r.second);
    Lock g(m_mutex);
    for (auto& r : requests) {
        // The request is out: whether or not the creator gave up meanwhile,
        // an id is on its way and this entry, in its place in the list, is
        // the one to take it.
        NetPlayer* p = r.first;
        if (p->rec.id == kIdRequested || p->rec.id == kIdGivenUp)
            p->rec.id = kIdAwaited;
    }
    return true;
}

void RTHawkNetwork::Run()
{
    NLint group = nlGroupCreate();
    std::vector<NLsocket> clients;
    std::vector<NetOutgoing> out;
    std::uint8_t buf[kMaxMessageBytes];
    NetMessage msg;
    bool acceptFailed = false;
    bool serverLost = false;
    int quietPasses = 0;

    for (;;) {
        {
            Lock g(m_mutex);
            if (m_stop)
                break;
            ++m_passes;
        }
        const NLsocket server = m_serverSocket.load();
        const NLsocket listenSocket = m_listenSocket.load();

        bool busy = SendCreations(server);

        for (int i = 0; i < kMaxServerReadsPerPass && !serverLost; ++i) {
            int n = nlRead(server, buf, sizeof buf);
            if (n < 0 && ConnectionLost(nlGetError())) {
                // No answer, id or mail can come any more: the commands are
                // told at once instead of spending their waits.
                serverLost = true;
                Lock g(m_mutex);
                m_serverLost = true;
                break;
            }
            if (n < kHeaderBytes || !NetMessageDecode(buf, n, msg))
                break;
            Lock g(m_mutex);
            m_incoming.push_back(NetPacketFrom(msg, server));
            busy = true;
        }

        if (listenSocket != NL_INVALID) {
            NLsocket c = nlAcceptConnection(listenSocket);
            if (c != NL_INVALID) {
                nlGroupAddSocket(group, c);
                clients.push_back(c);
                busy = true;
            } else {
                int e = nlGetError();
                if (e == NL_SYSTEM_ERROR || e == NL_NOT_LISTEN) {
                    acceptFailed = true;
                    break;
                }
            }
            NLsocket ready[kMaxReady];
            int k = nlPollGroup(group, NL_READ_STATUS, ready, kMaxReady, 0);
            busy = busy || k > 0;
            for (int i = 0; i < k; ++i) {
                int n = 0;
                for (int j = 0; j < kMaxClientReadsPerPass; ++j) {
                    n = nlRead(ready[i], buf, sizeof buf);
                    if (n <= 0)
                        break;
                    if (NetMessageDecode(buf, n, msg)) {
                        Lock g(m_mutex);
                        m_incoming.push_back(NetPacketFrom(msg, ready[i]));
                    }
                }
                if (n >= 0)
                    continue;
                // The error only means something after a failed read.
                if (!ConnectionLost(nlGetError()))
                    continue;
                nlGroupDeleteSocket(group, ready[i]);
                nlClose(ready[i]);
                for (auto it = clients.begin(); it != clients.end(); ++it) {
                    if (*it == ready[i]) {
                        clients.erase(it);
                        break;
                    }
                }
                Lock g(m_mutex);
                NetServerDropConnection(m_server, ready[i]);
            }
        }

        {
            Lock g(m_mutex);
            for (const NetPacket& p : m_incoming)
                NetHandleIncoming(m_client, listenSocket != NL_INVALID ? &m_server : nullptr, p, server, out);
            m_incoming.clear();
            if (m_lateFence != 0 && m_client.fencesAnswered >= m_lateFence) {
                m_answerWait.Answered(
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - m_lateSince).count());
                m_lateFence = 0;
            }
        }
        busy = busy || !out.empty();
        for (const NetOutgoing& o : out)
            SendRule(o.socket, o.packet);
        out.clear();

        // A client without its server has nothing left to do; the host goes
        // on serving the other programs.
        if (serverLost && listenSocket == NL_INVALID)
            break;

        quietPasses = busy ? 0 : quietPasses + 1;
        SleepNs(quietPasses >= kPassesBeforeIdle ? kWorkerIdleSleepNs : kWorkerPassSleepNs);
    }

    if (acceptFailed || serverLost)
        CloseSockets();
    for (NLsocket c : clients)
        nlClose(c);
    nlGroupDestroy(group);
    Lock g(m_mutex);
    m_running = false;
    m_stop = true;
}

} // namespace __VELTRIC__
