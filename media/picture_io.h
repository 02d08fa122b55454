#pragma once
// File access of the picture readers and writers: reading goes through the
// case-insensitive open of the runtime, writing replaces the file the way
// the file channels do.
#include <cstdint>
#include <cstdio>
#include <vector>

namespace __VELTRIC__ {

// The whole file in `out`; false when it cannot be opened or read, or when
// `magic` is given and the file does not start with it (checked before the
// rest is read, so a reader that does not fit gives up cheaply).
bool ReadPictureFile(const char* file, std::vector<std::uint8_t>& out, const char* magic = nullptr);

// Deletes any file of that name and opens it anew for binary writing
// (printing "can't write to file: ..." when that fails); null on failure.
std::FILE* CreatePictureFile(const char* file);

// Closes a file written with CreatePictureFile; true only when every write
// succeeded (`ok`) and the close did too, so a full disk is reported.
bool FinishPictureFile(std::FILE* f, bool ok);

} // namespace __VELTRIC__
