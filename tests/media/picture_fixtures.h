#pragma once
// Small pictures built in code: an RGB grid and its encodings as BMP (any
// header, depth and row order) and PNG (through libpng's writer), so each
// test shows the bytes it feeds the readers.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace fixtures {

using Bytes = std::vector<std::uint8_t>;

struct Rgb {
    std::uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// A picture of w x h colours, row 0 at the top.
struct Grid {
    int w = 0, h = 0;
    std::vector<Rgb> px;
    Rgb at(int x, int y) const { return px[static_cast<std::size_t>(y) * w + x]; }
};

// A picture of w x h in which pixel (x, y) takes colour(x, y).
template <class F> Grid Picture(int w, int h, F colour)
{
    Grid g;
    g.w = w;
    g.h = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.px.push_back(colour(x, y));
    return g;
}

// A grid whose colours differ per pixel, drawn from a palette of `colours`
// entries (so it also fits indexed files).
inline Grid PatternGrid(int w, int h, int colours)
{
    static const Rgb kPal[16] = {{0, 0, 0},      {255, 255, 255}, {200, 10, 20},  {10, 200, 30},
                                 {20, 30, 220},  {250, 250, 0},   {0, 250, 250},  {240, 0, 240},
                                 {128, 64, 32},  {32, 64, 128},   {90, 90, 90},   {170, 170, 170},
                                 {1, 2, 3},      {254, 253, 252}, {100, 0, 200},  {77, 150, 33}};
    Grid g;
    g.w = w;
    g.h = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.px.push_back(kPal[(x * 3 + y * 5 + x * y) % colours]);
    return g;
}

inline void Put16(Bytes& b, std::uint32_t v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(Bytes& b, std::uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void Set32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}

struct BmpOptions {
    int bits = 24;
    bool os2 = false;       // 12-byte core header
    bool topdown = false;   // negative height (Windows header only)
    std::uint32_t compression = 0;
    int paletteEntries = -1; // -1: 2^bits for indexed files
    int headerSize = 0;      // 0: 12 or 40 by `os2`; other values pad the header
    // Red, green and blue masks of a 32-bit file with bit fields (compression
    // 3), written after the header; each a run of at least 8 bits, whose top
    // 8 bits hold the channel.
    std::uint32_t masks[3] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu};
};

// A channel value placed in the top 8 bits of its mask.
inline std::uint32_t ToMask(std::uint8_t v, std::uint32_t mask)
{
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while (shift + bits < 32 && ((mask >> (shift + bits)) & 1)) ++bits;
    return static_cast<std::uint32_t>(v) << (shift + bits - 8);
}

// Encodes g as a BMP. Indexed depths use the palette of PatternGrid order:
// a colour's index is its first position in the grid's colour list.
inline Bytes EncodeBmp(const Grid& g, const BmpOptions& o = {})
{
    std::vector<Rgb> pal;
    auto indexOf = [&](const Rgb& c) {
        for (std::size_t i = 0; i < pal.size(); ++i)
            if (pal[i] == c) return static_cast<int>(i);
        pal.push_back(c);
        return static_cast<int>(pal.size() - 1);
    };
    std::vector<int> idx;
    if (o.bits <= 8)
        for (const Rgb& c : g.px) idx.push_back(indexOf(c));
    const int entries = o.bits > 8 ? 0 : (o.paletteEntries >= 0 ? o.paletteEntries : 1 << o.bits);
    pal.resize(entries, Rgb{0, 0, 0});
    const int hdr = o.headerSize ? o.headerSize : (o.os2 ? 12 : 40);
    const int entrySize = o.os2 ? 3 : 4;
    const std::size_t rowSize = ((static_cast<std::size_t>(o.bits) * g.w + 31) / 32) * 4;
    const bool bitFields = o.bits == 32 && o.compression == 3;
    const std::size_t offset = 14 + hdr + (bitFields ? 12 : 0) + static_cast<std::size_t>(entries) * entrySize;
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, static_cast<std::uint32_t>(offset + rowSize * g.h));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(offset));
    Put32(b, hdr);
    if (o.os2) {
        Put16(b, g.w);
        Put16(b, g.h);
        Put16(b, 1);
        Put16(b, o.bits);
    } else {
        Put32(b, g.w);
        Put32(b, static_cast<std::uint32_t>(o.topdown ? -g.h : g.h));
        Put16(b, 1);
        Put16(b, o.bits);
        Put32(b, o.compression);
        Put32(b, 0);
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, 0);
        Put32(b, 0);
        b.resize(14 + hdr, 0);
        if (bitFields)
            for (std::uint32_t m : o.masks) Put32(b, m);
    }
    for (const Rgb& c : pal) {
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        if (!o.os2) b.push_back(0);
    }
    for (int fr = 0; fr < g.h; ++fr) {
        const int y = o.topdown ? fr : g.h - 1 - fr;
        Bytes row(rowSize, 0);
        for (int x = 0; x < g.w; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * g.w + x;
            switch (o.bits) {
            case 1: row[x / 8] |= static_cast<std::uint8_t>(idx[i] << (7 - x % 8)); break;
            case 4: row[x / 2] |= static_cast<std::uint8_t>(x % 2 ? idx[i] : idx[i] << 4); break;
            case 8: row[x] = static_cast<std::uint8_t>(idx[i]); break;
            default: {
                const int bpp = o.bits / 8;
                if (bitFields) {
                    const std::uint32_t v = ToMask(g.px[i].r, o.masks[0]) | ToMask(g.px[i].g, o.masks[1]) |
                                            ToMask(g.px[i].b, o.masks[2]);
                    for (int k = 0; k < 4; ++k) row[x * 4 + k] = static_cast<std::uint8_t>(v >> (8 * k));
                    break;
                }
                row[x * bpp + 0] = g.px[i].b;
                row[x * bpp + 1] = g.px[i].g;
                row[x * bpp + 2] = g.px[i].r;
            }
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// ---- PNG -------------------------------------------------------------------
struct PngSpec {
    int w = 0, h = 0;
    int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    int bitDepth = 8;
    bool interlace = false;
    Bytes rows;                      // packed rows as libpng expects them
    std::vector<png_color> palette;  // palette images
    std::vector<png_byte> trns;      // alpha per palette entry
};

inline void PngWriteToVector(png_structp png, png_bytep data, png_size_t n)
{
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

inline Bytes EncodePng(const PngSpec& s)
{
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, PngWriteToVector, nullptr);
    png_set_IHDR(png, info, s.w, s.h, s.bitDepth, s.colorType,
                 s.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!s.palette.empty())
        png_set_PLTE(png, info, s.palette.data(), static_cast<int>(s.palette.size()));
    if (!s.trns.empty())
        png_set_tRNS(png, info, s.trns.data(), static_cast<int>(s.trns.size()), nullptr);
    png_write_info(png, info);
    const std::size_t rowBytes = s.rows.size() / s.h;
    std::vector<png_bytep> rows;
    for (int y = 0; y < s.h; ++y)
        rows.push_back(const_cast<png_bytep>(s.rows.data()) + rowBytes * y);
    png_write_image(png, rows.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

} // namespace fixtures
