// File access of the picture readers and writers.
#include "media/picture_io.h"

#include <cstdio>
#include <cstring>

#include "runtime/filesystem.h"

namespace __VELTRIC__ {

std::FILE* CreatePictureFile(const char* file)
{
    if (!file || !*file) {
        std::printf("can't write to file: %s\n", file ? file : "");
        return nullptr;
    }
    std::remove(file);
    std::FILE* f = fopen_case(file, "wb");
    if (!f) f = std::fopen(file, "wb");
    if (!f) std::printf("can't write to file: %s\n", file);
    return f;
}

bool FinishPictureFile(std::FILE* f, bool ok)
{
    if (!f) return false;
    if (std::fflush(f) != 0) ok = false;
    if (std::fclose(f) != 0) ok = false;
    return ok;
}

} // namespace __VELTRIC__
