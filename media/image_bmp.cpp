// The BMP reader: OS/2 (12-byte) and Windows (40-byte) headers, 1, 4, 8, 24
// and 32 bits per pixel, rows bottom-up or top-down, no run-length
// compression; 32-bit pixels with colour masks (bit fields) are decoded
// through their masks. Every size in the file is checked against the file
// itself before anything is allocated, so a hostile header fails the load
// instead of sizing a buffer.
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "media/image.h"
#include "runtime/filesystem.h"

namespace __VELTRIC__ {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

constexpr std::size_t kFileHeader = 14;
constexpr std::size_t kWindowsHeader = 40;
constexpr std::uint32_t kBitFields = 3;
// The red, green and blue masks that follow a Windows header with bit fields.
constexpr std::size_t kMaskBytes = 12;
// File header, the longest info header read and its masks: all a file must
// show before the reader knows how many bytes the picture needs.
constexpr std::size_t kHeadBytes = kFileHeader + kWindowsHeader + kMaskBytes;

// One colour channel of a 32-bit pixel: where its bits lie.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    // False for a mask this reader cannot decode (empty or with holes).
    bool Set(std::uint32_t m)
    {
        if (m == 0) return false;
        mask = m;
        shift = 0;
        while (!((m >> shift) & 1)) ++shift;
        const std::uint32_t run = m >> shift;
        if ((run & (run + 1)) != 0) return false; // not one run of ones
        bits = 0;
        while (bits < 32 && ((run >> bits) & 1)) ++bits;
        return true;
    }
    // The channel's value scaled to 0..255.
    std::uint32_t Of(std::uint32_t px) const
    {
        const std::uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        return v * 255 / ((1u << bits) - 1);
    }
};

struct BmpLayout {
    int width = 0;
    int height = 0;      // absolute value
    bool topdown = false;
    int bits = 0;
    std::size_t headersEnd = 0; // where a palette would start
    std::size_t entrySize = 0;  // bytes per palette entry
    std::size_t pixelOffset = 0;
    std::size_t rowSize = 0;
    Channel red, green, blue;   // 32-bit pixels only
    std::uint8_t palette[256][3] = {}; // red, green, blue
    int entries = 0;

    // The bytes from the start of the file to the end of the last row.
    std::size_t End() const { return pixelOffset + rowSize * static_cast<std::size_t>(height); }
};

// Reads and checks the headers (and the masks of a bit-field picture) from
// the first `avail` bytes of a file; false for anything this reader cannot
// decode exactly. Needs no more than kHeadBytes.
bool ParseInfo(const std::uint8_t* d, std::size_t avail, BmpLayout& L)
{
    if (avail < kFileHeader + 4 || d[0] != 'B' || d[1] != 'M') return false;
    const std::size_t offset = U32(d + 10);
    const std::uint32_t hdr = U32(d + 14);
    long long w, h;
    std::uint32_t compression = 0;
    if (hdr == 12) {
        if (avail < kFileHeader + 12) return false;
        w = U16(d + 18);
        h = U16(d + 20);
        L.bits = static_cast<int>(U16(d + 24));
        L.entrySize = 3;
    } else if (hdr == kWindowsHeader) {
        if (avail < kFileHeader + kWindowsHeader) return false;
        w = static_cast<std::int32_t>(U32(d + 18));
        h = static_cast<std::int32_t>(U32(d + 22));
        L.bits = static_cast<int>(U16(d + 28));
        compression = U32(d + 30);
        L.entrySize = 4;
    } else {
        return false;
    }
    if (L.bits != 1 && L.bits != 4 && L.bits != 8 && L.bits != 24 && L.bits != 32) return false;
    // 0 is plain RGB. Bit fields (3) are decoded for 32-bit pixels, where the
    // masks say which bits hold red, green and blue. Run-length data, and
    // masks on other depths, would decode as garbage.
    L.headersEnd = kFileHeader + hdr;
    if (compression == kBitFields && L.bits == 32) {
        if (avail < L.headersEnd + kMaskBytes) return false;
        const std::uint8_t* m = d + L.headersEnd;
        if (!L.red.Set(U32(m)) || !L.green.Set(U32(m + 4)) || !L.blue.Set(U32(m + 8))) return false;
        if ((L.red.mask & L.green.mask) || (L.red.mask & L.blue.mask) || (L.green.mask & L.blue.mask))
            return false;
        L.headersEnd += kMaskBytes;
    } else if (compression != 0) {
        return false;
    } else if (L.bits == 32) {
        // Blue, green, red in the first three bytes; the fourth is unused.
        L.red.Set(0x00FF0000u);
        L.green.Set(0x0000FF00u);
        L.blue.Set(0x000000FFu);
    }
    if (h == INT_MIN || h == 0 || w < 1) return false;
    L.topdown = h < 0;
    if (h < 0) h = -h;
    if (w > kMaxPictureSide || h > kMaxPictureSide) return false;
    L.width = static_cast<int>(w);
    L.height = static_cast<int>(h);

    if (offset < L.headersEnd) return false;
    L.pixelOffset = offset;
    L.rowSize = ((static_cast<std::size_t>(L.bits) * L.width + 31) / 32) * 4;
    return true;
}

// The headers, then the file's size against what they imply, then the palette.
bool ParseHeaders(const std::uint8_t* d, std::size_t size, BmpLayout& L)
{
    if (!ParseInfo(d, size, L)) return false;
    const std::size_t offset = L.pixelOffset;
    if (offset > size) return false;
    const std::size_t dataBytes = L.rowSize * static_cast<std::size_t>(L.height);
    if (dataBytes > size - offset) return false;

    if (L.bits <= 8) {
        // The palette lies between the headers and the pixel data; it may
        // hold fewer entries than the bit depth allows.
        std::size_t avail = (offset - L.headersEnd) / L.entrySize;
        std::size_t most = std::size_t(1) << L.bits;
        L.entries = static_cast<int>(avail < most ? avail : most);
        const std::uint8_t* p = d + L.headersEnd;
        for (int i = 0; i < L.entries; ++i, p += L.entrySize) {
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
            } else if (L.bits == 24) {
                const std::uint8_t* px = src + static_cast<std::size_t>(c) * 3;
                blue = px[0];
                green = px[1];
                red = px[2];
            } else {
                const std::uint32_t px = U32(src + static_cast<std::size_t>(c) * 4);
                red = L.red.Of(px);
                green = L.green.Of(px);
                blue = L.blue.Of(px);
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
    // The headers first: they say which bytes the picture needs, and a file
    // shorter than that is refused before anything is allocated. Only the
    // headers, the palette and the rows are read, into one buffer laid out
    // as a file without whatever lay between the palette and the rows.
    RTFileSystem rec;
    std::vector<std::uint8_t> bytes(kHeadBytes);
    BmpLayout L;
    std::size_t kept = 0;
    std::size_t total = 0;
    bool ok = file && *file && rec.OpenIn(file);
    if (ok) {
        const std::size_t head = std::fread(bytes.data(), 1, bytes.size(), rec.file);
        ok = ParseInfo(bytes.data(), head, L) && L.End() <= static_cast<std::uint64_t>(rec.size);
        if (ok) {
            const std::size_t palette = L.bits <= 8 ? L.entrySize << L.bits : 0;
            kept = std::min(L.pixelOffset, L.headersEnd + palette);
            const std::size_t rows = L.End() - L.pixelOffset;
            total = kept + rows;
            bytes.resize(std::max(total, head));
            if (kept > head)
                ok = std::fread(bytes.data() + head, 1, kept - head, rec.file) == kept - head;
            ok = ok && fseeko(rec.file, static_cast<off_t>(L.pixelOffset), SEEK_SET) == 0 &&
                 std::fread(bytes.data() + kept, 1, rows, rec.file) == rows;
            for (int i = 0; i < 4; ++i) bytes[10 + i] = static_cast<std::uint8_t>(kept >> (8 * i));
        }
    }
    rec.Close();
    if (!ok) {
        Empty();
        return 0;
    }
    return LoadBMPFromMemory(bytes.data(), total, colorkey);
}

} // namespace __VELTRIC__
