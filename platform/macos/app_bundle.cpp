#include "platform/macos/app_bundle.h"

#include <cstring>

namespace __VELTRIC__ {

std::size_t CutAtAppBundle(char* path)
{
    static const char kMark[] = ".app/";
    const std::size_t markLen = sizeof kMark - 1;
    char* last = nullptr;
    for (char* p = std::strstr(path, kMark); p; p = std::strstr(p + 1, kMark))
        last = p;
    if (last) last[markLen - 1] = '\0';
    return std::strlen(path);
}

} // namespace __VELTRIC__
