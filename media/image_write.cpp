// Pictures written from frame-buffer pixels (blue, green, red bytes): a
// 24-bit BMP, or an RGBA PNG when the name asks for one.
#include <cctype>
#include <cstring>
#include <vector>

#include "media/image.h"
#include "media/picture_io.h"

namespace __VELTRIC__ {

namespace {

bool EndsWithPng(const char* file)
{
    const std::size_t n = std::strlen(file);
    if (n <= 4) return false;
    const char* e = file + n - 4;
    return e[0] == '.' && std::tolower(static_cast<unsigned char>(e[1])) == 'p' &&
           std::tolower(static_cast<unsigned char>(e[2])) == 'n' &&
           std::tolower(static_cast<unsigned char>(e[3])) == 'g';
}

void Put16(std::uint8_t*& p, std::uint32_t v)
{
    *p++ = static_cast<std::uint8_t>(v);
    *p++ = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t*& p, std::uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p, v >> 16);
}

bool IsKey(const unsigned char* bgr, std::uint32_t key)
{
    return (bgr[0] | (bgr[1] << 8) | (static_cast<std::uint32_t>(bgr[2]) << 16)) == key;
}

// Source row that lands in output row `fromTop` counted from the top: the
// written picture has the source's top at its top either way.
const unsigned char* SourceRowFromTop(const unsigned char* pixels, int fromTop, int h, int stride,
                                      bool topdown)
{
    const int r = topdown ? fromTop : h - 1 - fromTop;
    return pixels + static_cast<std::size_t>(r) * stride * 3;
}

bool WritePng(const char* file, const unsigned char* pixels, int w, int h, int stride,
              bool topdown, std::uint32_t key)
{
    std::vector<unsigned char> out(static_cast<std::size_t>(w) * h * 4);
    for (int r = 0; r < h; ++r) {
        const unsigned char* src = SourceRowFromTop(pixels, r, h, stride, topdown);
        unsigned char* dst = out.data() + static_cast<std::size_t>(r) * w * 4;
        for (int c = 0; c < w; ++c, src += 3, dst += 4) {
            dst[0] = src[0];
            dst[1] = src[1];
            dst[2] = src[2];
            dst[3] = IsKey(src, key) ? 0 : 255;
        }
    }
    return rt_write_png(file, out.data(), w, h) == 1;
}

bool WriteBmp(const char* file, const unsigned char* pixels, int w, int h, int stride,
              bool topdown, std::uint32_t key)
{
    const std::size_t rowSize = (static_cast<std::size_t>(w) * 3 + 3) & ~std::size_t(3);
    const std::size_t dataSize = rowSize * h;
    std::vector<std::uint8_t> buf(54 + dataSize, 0);
    std::uint8_t* p = buf.data();
    *p++ = 'B';
    *p++ = 'M';
    Put32(p, static_cast<std::uint32_t>(54 + dataSize));
    Put16(p, 0);
    Put16(p, 0);
    Put32(p, 54);
    Put32(p, 40);
    Put32(p, static_cast<std::uint32_t>(w));
    Put32(p, static_cast<std::uint32_t>(h));
    Put16(p, 1);
    Put16(p, 24);
    Put32(p, 0);
    Put32(p, 0);
    Put32(p, 10000);
    Put32(p, 10000);
    Put32(p, 0);
    Put32(p, 0);
    for (int i = 0; i < h; ++i) {
        // File row i counts from the bottom of the picture.
        const unsigned char* src = SourceRowFromTop(pixels, h - 1 - i, h, stride, topdown);
        std::uint8_t* dst = buf.data() + 54 + rowSize * i;
        for (int c = 0; c < w; ++c, src += 3, dst += 3) {
            if (IsKey(src, key)) {
                dst[0] = 0x80;
                dst[1] = 0x00;
                dst[2] = 0xFF;
            } else {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
            }
        }
    }
    std::FILE* f = CreatePictureFile(file);
    if (!f) return false;
    const bool wrote = std::fwrite(buf.data(), 1, buf.size(), f) == buf.size();
    return FinishPictureFile(f, wrote);
}

} // namespace

bool WritePictureFile(const char* file, const unsigned char* pixels, int w, int h, int stride,
                      int rows, bool topdown, std::uint32_t key)
{
    if (!file || !pixels || w < 1 || h < 1 || stride < w || rows < h || w > kMaxPictureSide ||
        h > kMaxPictureSide) {
        return false;
    }
    if (EndsWithPng(file)) return WritePng(file, pixels, w, h, stride, topdown, key);
    return WriteBmp(file, pixels, w, h, stride, topdown, key);
}

} // namespace __VELTRIC__
