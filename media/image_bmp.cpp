// The BMP reader: OS/2 (12-byte) and Windows (40-byte) headers, 1, 4, 8, 24
// and 32 bits per pixel, rows bottom-up or top-down, no run-length
// compression. Every size in the file is checked against the file itself
// before anything is allocated, so a hostile header fails the load instead
// of sizing a buffer.
#include <climits>
#include <cstring>
#include <vector>

#include "media/image.h"
#include "media/picture_io.h"

namespace __VELTRIC__ {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::size_t kFileHeader = 14;

struct BmpLayout {
    int width = 0;
    int height = 0;      // absolute value
    bool topdown = false;
    int bits = 0;
    std::size_t pixelOffset = 0;
    std::size_t rowSize = 0;
    std::uint8_t palette[256][3] = {}; // red, green, blue
    int entries = 0;
};

// Reads and checks the headers; false for anything this reader cannot
// decode exactly.
bool ParseHeaders(const std::uint8_t* d, std::size_t size, BmpLayout& L)
{
    if (size < kFileHeader + 4 || d[0] != 'B' || d[1] != 'M') return false;
    const std::size_t offset = U32(d + 10);
    const std::uint32_t hdr = U32(d + 14);
    long long w, h;
    std::uint32_t compression = 0;
    std::size_t entrySize;
    if (hdr == 12) {
        if (size < kFileHeader + 12) return false;
        w = U16(d + 18);
        h = U16(d + 20);
        L.bits = static_cast<int>(U16(d + 24));
        entrySize = 3;
    } else if (hdr == 40) {
        if (size < kFileHeader + 40) return false;
        w = static_cast<std::int32_t>(U32(d + 18));
        h = static_cast<std::int32_t>(U32(d + 22));
        L.bits = static_cast<int>(U16(d + 28));
        compression = U32(d + 30);
        entrySize = 4;
    } else {
        return false;
    }
    // 0 is plain RGB; 3 (bit fields) stores the same bytes for 32 bits.
    // Run-length data would decode as garbage.
    if (compression != 0 && compression != 3) return false;
    if (L.bits != 1 && L.bits != 4 && L.bits != 8 && L.bits != 24 && L.bits != 32) return false;
    if (h == INT_MIN || h == 0 || w < 1) return false;
    L.topdown = h < 0;
    if (h < 0) h = -h;
    if (w > kMaxPictureSide || h > kMaxPictureSide) return false;
    L.width = static_cast<int>(w);
    L.height = static_cast<int>(h);

    const std::size_t headersEnd = kFileHeader + hdr;
    if (offset < headersEnd || offset > size) return false;
    L.pixelOffset = offset;
    L.rowSize = ((static_cast<std::size_t>(L.bits) * L.width + 31) / 32) * 4;
    const std::size_t dataBytes = L.rowSize * static_cast<std::size_t>(L.height);
    if (dataBytes > size - offset) return false;

    if (L.bits <= 8) {
        // The palette lies between the headers and the pixel data; it may
        // hold fewer entries than the bit depth allows.
        std::size_t avail = (offset - headersEnd) / entrySize;
        std::size_t most = std::size_t(1) << L.bits;
        L.entries = static_cast<int>(avail < most ? avail : most);
        const std::uint8_t* p = d + headersEnd;
        for (int i = 0; i < L.entries; ++i, p += entrySize) {
            L.palette[i][0] = p[2];
            L.palette[i][1] = p[1];
            L.palette[i][2] = p[0];
        }
    }
    return true;
}

} // namespace

std::uint8_t OPENGL_IMAGE::LoadBMPFromMemory(const std::uint8_t* data, std::size_t size,
                                             unsigned long colorkey)
{
    BmpLayout L;
    if (!data || !ParseHeaders(data, size, L) || !SetSize(L.width, L.height)) {
        Empty();
        return 0;
    }
    const bool keyed = colorkey != kNoColorKey;
    const std::uint32_t key = static_cast<std::uint32_t>(colorkey);
    const std::uint8_t* base = data + L.pixelOffset;
    for (int r = 0; r < height; ++r) {
        const int fileRow = L.topdown ? r : height - 1 - r;
        const std::uint8_t* src = base + L.rowSize * static_cast<std::size_t>(fileRow);
        std::uint8_t* dst = pixels + static_cast<std::size_t>(r) * width * 4;
        for (int c = 0; c < width; ++c, dst += 4) {
            std::uint32_t red, green, blue;
            if (L.bits <= 8) {
                int index;
                if (L.bits == 1)
                    index = (src[c >> 3] >> (7 - (c & 7))) & 1;
                else if (L.bits == 4)
                    index = (c & 1) ? (src[c >> 1] & 0x0F) : (src[c >> 1] >> 4);
                else
                    index = src[c];
                if (index >= L.entries) {
                    // A colour the file never defines: the picture cannot be
                    // shown as its author meant it.
                    Empty();
                    return 0;
                }
                red = L.palette[index][0];
                green = L.palette[index][1];
                blue = L.palette[index][2];
            } else {
                const std::uint8_t* px = src + static_cast<std::size_t>(c) * (L.bits / 8);
                blue = px[0];
                green = px[1];
                red = px[2];
            }
            if (keyed && (red | (green << 8) | (blue << 16)) == key) {
                dst[0] = dst[1] = dst[2] = dst[3] = 0;
            } else {
                dst[0] = static_cast<std::uint8_t>(red);
                dst[1] = static_cast<std::uint8_t>(green);
                dst[2] = static_cast<std::uint8_t>(blue);
                dst[3] = 255;
            }
        }
    }
    return 1;
}

std::uint8_t OPENGL_IMAGE::LoadImageBMP(const char* file, unsigned long colorkey)
{
    std::vector<std::uint8_t> bytes;
    if (!ReadPictureFile(file, bytes, "BM")) {
        Empty();
        return 0;
    }
    return LoadBMPFromMemory(bytes.data(), bytes.size(), colorkey);
}

} // namespace __VELTRIC__
