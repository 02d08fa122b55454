#pragma once
// File access of the picture writers: the new picture replaces the file only
// once it is whole (see FileReplacement). (The readers open through
// RTFileSystem.)
#include <cstdint>
#include <cstdio>
#include <vector>

namespace __VELTRIC__ {

// Opens the stream a new picture for file is written to (printing "can't
// write to file: ..." when there is none); null on failure. Every call is
// matched by one FinishPictureFile.
std::FILE* CreatePictureFile(const char* file);

// Ends a write begun with CreatePictureFile: with ok (every write succeeded)
// the picture replaces the file when the flush and the close succeed too;
// otherwise the old file stays. True when the new picture is in place.
bool FinishPictureFile(std::FILE* f, bool ok);

} // namespace __VELTRIC__
