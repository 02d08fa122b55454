#pragma once
// Where the running program's file is on Linux: start-up points the data
// archives at it and changes into its directory.
#include <string>

namespace __VELTRIC__ {

// The absolute path of the executable, read whole from the process's /proc
// link whatever its length, else resolved from the variable "_" that shells
// set, else "./". Prints its progress on standard output.
std::string __GetExePath();

// The same with the name of the link given, so that a missing or unusual
// link can be tried; __GetExePath passes "/proc/<pid>/exe".
std::string GetExePathFromLink(const char* linkName);

} // namespace __VELTRIC__
