#pragma once
// The Mac OS X program's own location. The text rule (cutting a path inside
// an application bundle back to the bundle) is plain code, built and tested
// everywhere; the system calls exist only in the Mac build.
#include <cstddef>

namespace __VELTRIC__ {

// When path contains ".app/", cuts it right after the last ".app" (the slash
// and everything behind it go), so that a program inside a bundle is located
// at the bundle directory. Other paths stay as they are. Returns the length.
std::size_t CutAtAppBundle(char* path);

#ifdef __APPLE__
// Fills out (size bytes) with the resolved path of the executable, cut at
// its bundle; the empty text when the system cannot tell.
void MacExecutableLocation(char* out, std::size_t size);

// Loads the Cocoa application environment SDL's window needs.
void MacApplicationLoad();
#endif

} // namespace __VELTRIC__
