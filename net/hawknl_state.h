#pragma once
// Internal to the network-library layer: the socket records, the handle table
// and the per-thread error, shared by its source files.
#include "net/hawknl.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

namespace nlimpl {

// One open socket. The descriptor is closed by the destructor, that is when
// the last thread working on the socket lets go of it, so a socket closed by
// one thread while another reads it never frees a descriptor under that read.
struct Socket {
    int fd = -1;
    NLenum type = NL_RELIABLE_PACKETS;
    bool listening = false;
    bool blocking = false;

    // Input side (guarded by readLock): bytes received and not yet taken,
    // from inStart on; readError is sticky once the stream ended or failed.
    std::mutex readLock;
    std::vector<std::uint8_t> in;
    std::size_t inStart = 0;
    int readError = 0;

    // Output side (guarded by writeLock): whole frames the system has not
    // taken yet, from outSent on; writeError is sticky once a send failed.
    std::mutex writeLock;
    std::vector<std::uint8_t> out;
    std::size_t outSent = 0;
    int writeError = 0;

    ~Socket();
};

using SocketPtr = std::shared_ptr<Socket>;

struct State {
    std::mutex lock; // guards everything below
    int initCount = 0;
    bool blockingOption = false;
    bool statsOption = false;
    NLsocket nextHandle = 1; // never reset: handles are never reused
    std::unordered_map<NLsocket, SocketPtr> sockets;
    NLint nextGroup = 1;
    std::unordered_map<NLint, std::vector<NLsocket>> groups;
};

State& GlobalState();
void SetError(int error);

// The socket of a handle, or null with NL_INVALID_SOCKET.
SocketPtr Find(NLsocket handle);

// Sends what is queued on a non-blocking socket as far as the system takes
// it. Caller holds writeLock.
void FlushQueuedLocked(Socket& s);
// The same, taking writeLock itself.
void FlushQueued(Socket& s);

// Packet sockets, caller holds readLock. True when a whole packet is
// buffered (zero-length packets are skipped) or when the stream ended or
// failed, so that a read reports it. A stream out of step is failed here.
bool PacketReadyLocked(Socket& s);
// Receives what the system holds (waiting for it on a blocking socket when
// wait is set) into the input buffer. Bytes received, 0 when none; an end or
// failure sets readError and gives -1.
int FillInputLocked(Socket& s, bool wait);

// Maps errno of a failed send/recv on a connected socket to an error number.
int StreamErrno(int err);

} // namespace nlimpl
