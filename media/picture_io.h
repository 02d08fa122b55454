#pragma once
// File access of the picture writers: writing replaces the file the way the
// file channels do. (The readers open through RTFileSystem.)
#include <cstdint>
#include <cstdio>
#include <vector>

namespace __VELTRIC__ {

// Deletes any file of that name and opens it anew for binary writing
// (printing "can't write to file: ..." when that fails); null on failure.
std::FILE* CreatePictureFile(const char* file);

// Closes a file written with CreatePictureFile; true only when every write
// succeeded (`ok`) and the close did too, so a full disk is reported.
bool FinishPictureFile(std::FILE* f, bool ok);

} // namespace __VELTRIC__
