#include "platform/linux/exe_path.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

namespace __VELTRIC__ {

namespace {

// The whole target of a link: readlink tells neither the length nor whether
// it cut the target, so the buffer grows until the target fits with room to
// spare. Empty when the link cannot be read.
std::string ReadLinkWhole(const char* linkName)
{
    for (std::size_t room = 1024; room <= (std::size_t(1) << 24); room *= 2) {
        std::vector<char> buf(room);
        const ssize_t n = readlink(linkName, buf.data(), room);
        if (n <= 0) return std::string();
        if (static_cast<std::size_t>(n) < room) return std::string(buf.data(), static_cast<std::size_t>(n));
    }
    return std::string();
}

} // namespace

std::string GetExePathFromLink(const char* linkName)
{
    std::puts("read link");
    std::string path = ReadLinkWhole(linkName);
    if (!path.empty()) {
        std::printf("exepath via /proc/ = %s\n", path.c_str());
        return path;
    }
    std::puts("exepath via /proc/ failed");

    const char* underscore = std::getenv("_");
    if (underscore) {
        // realpath allocates: no fixed local buffer to overflow.
        if (char* resolved = realpath(underscore, nullptr)) {
            path = resolved;
            std::free(resolved);
            std::printf("getenv(\"_\") returns: %s\n", path.c_str());
            return path;
        }
    }
    std::puts("exepath totally failed");
    return "./";
}

std::string __GetExePath()
{
    std::puts("get pid");
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%d/exe", static_cast<int>(getpid()));
    return GetExePathFromLink(link);
}

} // namespace __VELTRIC__
