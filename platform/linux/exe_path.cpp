#include "platform/linux/exe_path.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace __VELTRIC__ {

void GetExePathFromLink(char* out, const char* linkName)
{
    out[0] = '\0';
    std::puts("read link");
    // One byte stays free for the terminator; a read that fills the whole
    // room may have been cut by readlink, and a cut path would send start-up
    // into the wrong directory, so it counts as a failure.
    ssize_t n = readlink(linkName, out, kExePathBuffer - 1);
    if (n > 0 && static_cast<std::size_t>(n) < kExePathBuffer - 1) {
        out[n] = '\0';
        std::printf("exepath via /proc/ = %s\n", out);
        return;
    }
    out[0] = '\0';
    std::puts("exepath via /proc/ failed");

    const char* underscore = std::getenv("_");
    if (underscore) {
        // realpath allocates: no fixed local buffer to overflow.
        char* resolved = realpath(underscore, nullptr);
        if (resolved) {
            std::size_t len = std::strlen(resolved);
            if (len < kExePathBuffer) {
                std::printf("getenv(\"_\") returns: %s\n", resolved);
                std::memcpy(out, resolved, len + 1);
                std::free(resolved);
                return;
            }
            std::free(resolved);
        }
    }
    std::puts("exepath totally failed");
    std::strcpy(out, "./");
}

void __GetExePath(char* out)
{
    out[0] = '\0';
    std::puts("get pid");
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%d/exe", static_cast<int>(getpid()));
    GetExePathFromLink(out, link);
}

} // namespace __VELTRIC__
