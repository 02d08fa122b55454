// Fuzzes the archive reader: trailer, index and member decoding, on an
// archive held in memory. The members asked for are "a.bin" and the name
// of the first index entry (whatever it holds).
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "runtime/compression.h"
#include "runtime/shoebox_format.h"

using namespace __VELTRIC__;

namespace {

void Lookup(std::FILE* f, long long size, const char* wanted)
{
    shoebox::Member m;
    char header[4];
    if (shoebox::FindMember(f, size, wanted, m, header) != shoebox::Lookup::Found) return;
    if (m.start < 0 || m.start > size || m.packedField < 4 || m.packedField > size - m.start) __builtin_trap();
    RTCompression dec;
    if (shoebox::ReadMember(f, m, dec)) {
        // Touch every byte reported: the decoder must have written them.
        volatile unsigned sum = 0;
        for (std::uint32_t i = 0; i < dec.OutputLength(); ++i) sum = sum + dec.Output()[i];
        (void)sum;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    std::FILE* f = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (!f) return 0;
    Lookup(f, static_cast<long long>(size), "a.bin");

    // The first entry's own name, when the index position points inside.
    if (size >= 8) {
        std::int32_t pos;
        std::memcpy(&pos, data + size - 4, 4);
        long long at = pos < 0 ? static_cast<long long>(size) + pos : pos;
        if (at >= 0 && at + 1 < static_cast<long long>(size)) {
            std::size_t len = data[at];
            if (len > 0 && at + 1 + static_cast<long long>(len) <= static_cast<long long>(size)) {
                char name[256];
                std::memcpy(name, data + at + 1, len);
                name[len] = '\0';
                Lookup(f, static_cast<long long>(size), name);
            }
        }
    }
    std::fclose(f);
    return 0;
}
