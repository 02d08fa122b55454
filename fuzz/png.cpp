// Feeds arbitrary bytes to the PNG reader: it must refuse or decode them,
// and recover for the next input whatever libpng reported.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "media/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Headers may ask for sides up to the reader's limit; keep the fuzzer
    // within its memory budget by skipping the few that ask for more than
    // 16 M pixels (a valid header holds the sides big-endian at 16..23).
    if (size >= 24) {
        const std::uint32_t w = (data[16] << 24) | (data[17] << 16) | (data[18] << 8) | data[19];
        const std::uint32_t h = (data[20] << 24) | (data[21] << 16) | (data[22] << 8) | data[23];
        if (static_cast<std::uint64_t>(w) * h > (1u << 24)) return 0;
    }
    static bool quiet = [] { return std::freopen("/dev/null", "w", stdout) != nullptr; }();
    (void)quiet;
    __VELTRIC__::OPENGL_IMAGE img;
    if (img.LoadPNGFromMemory(data, size, 0x8000FF)) {
        volatile std::uint8_t sum = 0;
        const std::size_t bytes = static_cast<std::size_t>(img.width) * img.height * 4;
        for (std::size_t i = 0; i < bytes; i += 61) sum = sum + img.pixels[i];
        (void)sum;
    }
    return 0;
}
