#pragma once
// NETWEBGET: one HTTP/1.0 GET whose body is stored in a local file. The work
// is RTHawkNetwork::WGet, on the calling thread.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// Downloads path from server:port into file: 1 when the server ended the
// transfer by closing the connection, else 0.
double NETWEBGET(const DGStr& server, const DGStr& path, double port, const DGStr& file);

// How long a download waits for the server's next bytes before it fails, in
// milliseconds (30 s; tests shorten it).
extern int __g_WebGetIdleTimeoutMs;

} // namespace __VELTRIC__
