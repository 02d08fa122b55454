// The Mac OS X system calls of start-up; nothing here in other builds.
#ifdef __APPLE__
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mach-o/dyld.h>

#include "platform/macos/app_bundle.h"

extern "C" bool NSApplicationLoad(void); // Cocoa, declared here to stay a .cpp file

namespace __VELTRIC__ {

void MacExecutableLocation(char* out, std::size_t size)
{
    out[0] = '\0';
    char raw[1024];
    std::uint32_t rawSize = sizeof raw;
    if (_NSGetExecutablePath(raw, &rawSize) != 0) return;
    char* resolved = realpath(raw, nullptr);
    if (!resolved) return;
    std::size_t len = std::strlen(resolved);
    if (len < size) {
        std::memcpy(out, resolved, len + 1);
        CutAtAppBundle(out);
    }
    std::free(resolved);
}

void MacApplicationLoad() { NSApplicationLoad(); }

} // namespace __VELTRIC__
#endif
