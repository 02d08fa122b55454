#pragma once
// RTHawkNetwork, the program's one network game connection, and its worker
// thread. The host opens a listening socket and joins its own game through a
// second connection to itself, so its players are served like remote ones.
// The worker (mainLoop) does all reading, routing and answering; the commands
// run on the main thread and wait, with bounded waits, for what the worker
// puts into the lists. Lists and the two flags are shared under one mutex;
// sends are made outside it (the socket layer serialises writes per socket).
#include "net/hawknl.h"
#include "net/netmsg.h"
#include "net/netroute.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

namespace __VELTRIC__ {

// How long a command waits for an answer from a connection that is still
// open. Before the connection brought any answer: the command's allowance.
// After: a multiple of the slowest of its recent round trips, so a nearby
// host that stays silent costs little while a distant one keeps the time it
// has shown it needs; never below a floor that absorbs the scheduling delays
// of a busy machine, never above the allowance.
class NetAnswerWait {
public:
    static constexpr int kSamples = 8;
    static constexpr int kMultiple = 8;
    static constexpr int kFloorMs = 100;

    void Reset() { m_count = m_next = 0; }
    // A round trip of ms: an answer seen that long after its request.
    void Answered(double ms);
    int BoundMs(int allowanceMs) const;

private:
    double m_recent[kSamples] = {};
    int m_count = 0;
    int m_next = 0;
};

class RTHawkNetwork {
public:
    typedef NetMessage Message;

    // Idle: no sockets, no players, the mutex ready, first player id 101.
    // The network library is not touched.
    RTHawkNetwork();
    // Runs ShutDown when it has not run yet, then frees the lists.
    ~RTHawkNetwork();

    // The reset: stops the worker, closes the sockets, drops every player,
    // ids from 101 again, and restarts the network library. True when the
    // library started.
    bool Init(NLenum network, NLenum socketType);
    // Asks the worker to end, waits until it has, closes both sockets.
    void Stop();
    // Hosts a game on the port: 1, or 0 when the port cannot be listened on
    // or the connection to itself fails.
    int Host(NLushort port);
    // Joins the game at address ("" for this machine) and port: 1 when the
    // server answered the hello query, else 0 with no worker left.
    int Join(NLushort port, const char* address);
    // Creates a player with the name (null: the hidden query player). The id
    // the server gave, or -1 when none came in time.
    int CreatePlayer(const char* name);
    // Sends the query in m (type, length and payload filled) and waits for
    // its answer, which replaces m: 1, or 0 without an answer.
    int QueryInformation(Message& m);
    // Takes the oldest message of the local player with that id into m: 1,
    // or 0 when there is none.
    int GetMessage(int id, Message& m);
    // Sends a message on the connection to the server by the sending rule: a
    // failed write is tried once more. 1 when it went out, else 0.
    int SendToServer(std::uint8_t type, std::int32_t target, std::int32_t sender,
                     const void* payload = nullptr, std::uint32_t length = 0);
    // Resets the game and writes this machine's addresses into text, each as
    // "a.b.c.d:port" and separated by "|". The count written.
    int GetLocalAddresses(char* text, int capacity);

    // The shut-down's network part: a destroy message for every local player
    // that has an id, the worker stopped, the library's count lowered, the
    // mutex destroyed. Runs once.
    void ShutDown();

    // Whether the worker runs (read under the mutex).
    bool Running();
    // Whether the worker runs and its connection to the server is open, so
    // that an answer can still come.
    bool Connected();

    // HTTP/1.0 download of path from host:port into file: 1 when the server
    // ended the transfer by closing the connection, else 0.
    static int WGet(const char* host, const char* path, int port, const char* file);

    // The worker thread's body; data is the object.
    static void* mainLoop(void* data);

    // Longest waits of the commands for the worker, in milliseconds: what a
    // creation or the join's hello may take, and what a query may take before
    // the connection has shown its round trip (NetAnswerWait).
    static constexpr int kCreateWaitMs = 1000;
    static constexpr int kJoinWaitMs = 1000;
    static constexpr int kQueryWaitMs = 500;

private:
    int QueryInformation(Message& m, int waitMs);
    bool StartWorker();
    void Run();
    bool SendCreations(NLsocket server); // true when a request went out
    void CloseSockets();
    static bool SendRule(NLsocket socket, const NetPacket& p);
    // Waits until done() holds (checked under the mutex), the worker stops,
    // the connection ends or waitMs of the worker's time pass; true when
    // done() held.
    template <class Done> bool WaitFor(Done done, int waitMs);
    static bool ConnectionLost(int error);

    NetServer m_server;            // registered players and the next id (host side)
    std::int32_t m_ownQueryId = -1;
    bool m_host = false;
    std::atomic<NLsocket> m_listenSocket{NL_INVALID};
    std::atomic<NLsocket> m_serverSocket{NL_INVALID};
    NetClient m_client;            // local players and answers
    NLenum m_network = NL_IP;
    NLenum m_socketType = NL_RELIABLE_PACKETS;
    bool m_stop = true;
    bool m_running = false;
    bool m_serverLost = false;     // the connection to the server ended (set by the worker)
    std::uint64_t m_passes = 0;    // passes the worker has begun
    NetAnswerWait m_answerWait;    // round trips of this connection
    // The fence of a query that gave up, and when it was sent: when
    // that fence is answered after all, the host was alive but slower than
    // the wait, and the round trip it took teaches m_answerWait.
    std::uint64_t m_lateFence = 0;
    std::chrono::steady_clock::time_point m_lateSince{};
    HTmutex m_mutex;
    std::vector<NetPacket> m_incoming;

    HThreadID m_thread{};
    bool m_threadLive = false;     // a started worker not yet joined (main thread only)
    bool m_libraryStarted = false; // this object holds one count of the library
    bool m_shutDown = false;
};

extern RTHawkNetwork* pRTNet;

} // namespace __VELTRIC__
