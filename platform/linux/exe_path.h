#pragma once
// Where the running program's file is on Linux: start-up points the data
// archives at it and changes into its directory.
#include <cstddef>

namespace __VELTRIC__ {

// Size of the caller's buffer for __GetExePath.
constexpr std::size_t kExePathBuffer = 1024;

// Fills out (kExePathBuffer bytes) with the absolute path of the executable,
// read from the process's /proc link, else resolved from the variable "_"
// that shells set, else "./". Prints its progress on standard output.
void __GetExePath(char* out);

// The same with the name of the link given, so that a missing or unusual
// link can be tried; __GetExePath passes "/proc/<pid>/exe".
void GetExePathFromLink(char* out, const char* linkName);

} // namespace __VELTRIC__
