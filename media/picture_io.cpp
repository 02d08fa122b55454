// File access of the picture readers and writers.
#include "media/picture_io.h"

#include <cstdio>

#include "runtime/filesystem.h"

namespace __VELTRIC__ {

bool ReadPictureFile(const char* file, std::vector<std::uint8_t>& out)
{
    out.clear();
    if (!file || !*file) return false;
    RTFileSystem rec;
    if (!rec.OpenIn(file)) return false;
    bool ok = rec.size >= 0;
    if (ok) {
        out.resize(static_cast<std::size_t>(rec.size));
        ok = out.empty() || std::fread(out.data(), 1, out.size(), rec.file) == out.size();
    }
    rec.Close();
    if (!ok) out.clear();
    return ok;
}

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
