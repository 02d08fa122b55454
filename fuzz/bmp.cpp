// Feeds arbitrary bytes to the BMP reader: it must refuse or decode them
// without touching memory it does not own.
#include <cstddef>
#include <cstdint>

#include "media/image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    __VELTRIC__::OPENGL_IMAGE img;
    if (img.LoadBMPFromMemory(data, size, 0x8000FF)) {
        // A decoded picture is fully addressable.
        volatile std::uint8_t sum = 0;
        const std::size_t bytes = static_cast<std::size_t>(img.width) * img.height * 4;
        for (std::size_t i = 0; i < bytes; i += 61) sum = sum + img.pixels[i];
        (void)sum;
    }
    return 0;
}
