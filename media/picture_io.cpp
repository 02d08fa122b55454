// File access of the picture readers and writers.
#include "media/picture_io.h"

#include <cstdio>
#include <cstring>

#include "runtime/filesystem.h"

namespace __VELTRIC__ {

bool ReadPictureFile(const char* file, std::vector<std::uint8_t>& out, const char* magic)
{
    out.clear();
    if (!file || !*file) return false;
    RTFileSystem rec;
    if (!rec.OpenIn(file)) return false;
    bool ok = rec.size >= 0;
    std::size_t head = 0;
    if (ok && magic) {
        head = std::strlen(magic);
        out.resize(head);
        ok = static_cast<std::size_t>(rec.size) >= head &&
             std::fread(out.data(), 1, head, rec.file) == head &&
             std::memcmp(out.data(), magic, head) == 0;
    }
    if (ok) {
        out.resize(static_cast<std::size_t>(rec.size));
        const std::size_t rest = out.size() - head;
        ok = rest == 0 || std::fread(out.data() + head, 1, rest, rec.file) == rest;
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
