// OPENGL_IMAGE storage and the 2x scaler.
#include <cstdlib>
#include <cstring>

#include "media/image.h"

namespace __VELTRIC__ {

OPENGL_IMAGE::~OPENGL_IMAGE() { std::free(pixels); }

void OPENGL_IMAGE::Empty()
{
    std::free(pixels);
    pixels = nullptr;
    width = height = capacity = 0;
}

bool OPENGL_IMAGE::SetSize(int w, int h)
{
    if (w < 1 || h < 1 || w > kMaxPictureSide || h > kMaxPictureSide) {
        Empty();
        return false;
    }
    // At most 16384 * 16384 * 4 = 2^30 bytes: fits the int capacity.
    const std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4;
    if (bytes > static_cast<std::size_t>(capacity)) {
        std::free(pixels);
        pixels = static_cast<std::uint8_t*>(std::malloc(bytes));
        if (!pixels) {
            width = height = capacity = 0;
            return false;
        }
        capacity = static_cast<int>(bytes);
    }
    width = w;
    height = h;
    return true;
}

bool OPENGL_IMAGE::ScaleX2()
{
    if (!pixels || width < 1 || height < 1) return true;
    if (width * 2 > kMaxPictureSide || height * 2 > kMaxPictureSide) return false;
    const int w2 = width * 2, h2 = height * 2;
    const std::size_t bytes = static_cast<std::size_t>(w2) * h2 * 4;
    auto* out = static_cast<std::uint8_t*>(std::malloc(bytes));
    if (!out) return false;
    for (int r = 0; r < h2; ++r) {
        const std::uint32_t* src =
            reinterpret_cast<const std::uint32_t*>(pixels) + static_cast<std::size_t>(r / 2) * width;
        std::uint32_t* dst = reinterpret_cast<std::uint32_t*>(out) + static_cast<std::size_t>(r) * w2;
        for (int c = 0; c < w2; ++c) dst[c] = src[c / 2];
    }
    std::free(pixels);
    pixels = out;
    width = w2;
    height = h2;
    capacity = static_cast<int>(bytes);
    return true;
}

} // namespace __VELTRIC__
