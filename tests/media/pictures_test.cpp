// The BMP and PNG readers and the picture writers, on pictures built in
// memory: good files decode pixel for pixel, hostile files are refused
// without touching memory they do not own (the sanitizer build runs these).
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include <zlib.h>

#include "media/image.h"
#include "picture_fixtures.h"
#include "tests/support/peak_memory.h"

using namespace __VELTRIC__;
using fixtures::BmpOptions;
using fixtures::Bytes;
using fixtures::Grid;
using fixtures::Rgb;

namespace {

::testing::AssertionResult SameAsGrid(const OPENGL_IMAGE& img, const Grid& g)
{
    if (img.width != g.w || img.height != g.h)
        return ::testing::AssertionFailure()
               << "size " << img.width << "x" << img.height << ", want " << g.w << "x" << g.h;
    for (int y = 0; y < g.h; ++y)
        for (int x = 0; x < g.w; ++x) {
            const std::uint8_t* p = img.pixels + (static_cast<std::size_t>(y) * g.w + x) * 4;
            const Rgb c = g.at(x, y);
            if (p[0] != c.r || p[1] != c.g || p[2] != c.b || p[3] != 255)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") = " << int(p[0]) << "," << int(p[1])
                       << "," << int(p[2]) << "," << int(p[3]) << " want " << int(c.r) << ","
                       << int(c.g) << "," << int(c.b) << ",255";
        }
    return ::testing::AssertionSuccess();
}

struct TempDir {
    std::string path;
    TempDir()
    {
        char t[] = "/tmp/veltric_pictures_XXXXXX";
        path = mkdtemp(t);
    }
    ~TempDir() { std::system(("rm -rf '" + path + "'").c_str()); }
    std::string operator/(const std::string& name) const { return path + "/" + name; }
};

Bytes ReadFile(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), {});
}

std::uint32_t Le32(const Bytes& b, std::size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::uint32_t Le16(const Bytes& b, std::size_t at) { return b[at] | (b[at + 1] << 8); }

} // namespace

// ---- BMP reader --------------------------------------------------------------

struct GoodBmp {
    const char* name;
    int w, h, colours;
    BmpOptions opt;
};

class BmpDecodes : public ::testing::TestWithParam<GoodBmp> {};

TEST_P(BmpDecodes, PixelForPixel)
{
    const GoodBmp& c = GetParam();
    const Grid g = fixtures::PatternGrid(c.w, c.h, c.colours);
    const Bytes file = fixtures::EncodeBmp(g, c.opt);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
    EXPECT_TRUE(SameAsGrid(img, g));
}

INSTANTIATE_TEST_SUITE_P(
    Depths, BmpDecodes,
    ::testing::Values(
        GoodBmp{"bits1_width12", 12, 3, 2, {1}}, GoodBmp{"bits1_width13", 13, 2, 2, {1}},
        GoodBmp{"bits4_odd_width", 5, 3, 16, {4}}, GoodBmp{"bits8", 7, 4, 16, {8}},
        GoodBmp{"bits8_short_palette", 3, 2, 16, {8, false, false, 0, 16}},
        GoodBmp{"bits24_width5", 5, 3, 16, {24}}, GoodBmp{"bits32_width5", 5, 3, 16, {32}},
        GoodBmp{"bits32_bitfields", 4, 2, 16, {32, false, false, 3}},
        // Bit fields whose masks are not in the plain blue, green, red order.
        GoodBmp{"bits32_masks_red_low", 5, 3, 16,
                {32, false, false, 3, -1, 0, {0x000000FFu, 0x0000FF00u, 0x00FF0000u}}},
        GoodBmp{"bits32_masks_high_bytes", 4, 3, 16,
                {32, false, true, 3, -1, 0, {0xFF000000u, 0x00FF0000u, 0x0000FF00u}}},
        GoodBmp{"bits32_masks_ten_bits", 3, 2, 16,
                {32, false, false, 3, -1, 0, {0x3FF00000u, 0x000FFC00u, 0x000003FFu}}},
        GoodBmp{"top_down", 6, 4, 16, {24, false, true}},
        GoodBmp{"top_down_indexed", 9, 3, 16, {4, false, true}},
        GoodBmp{"os2_bits1", 12, 3, 2, {1, true}}, GoodBmp{"os2_bits8", 5, 2, 16, {8, true}},
        GoodBmp{"os2_bits24", 5, 3, 16, {24, true}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, RowSizesFollowTheDepth)
{
    // 24-bit width 5: rows of 16 bytes; 32-bit: 20; 1-bit width 12: 4.
    struct Case { int bits, w; std::size_t row; int colours; };
    for (const Case c : {Case{24, 5, 16, 16}, Case{32, 5, 20, 16}, Case{1, 12, 4, 2}}) {
        const Grid g = fixtures::PatternGrid(c.w, 2, c.colours);
        const Bytes file = fixtures::EncodeBmp(g, BmpOptions{c.bits});
        const std::size_t palette = c.bits <= 8 ? (std::size_t(4) << c.bits) : 0;
        EXPECT_EQ(file.size(), 54 + palette + 2 * c.row) << c.bits;
        OPENGL_IMAGE img;
        ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
        EXPECT_TRUE(SameAsGrid(img, g));
    }
}

TEST(BmpReader, ColourKeyTurnsOnlyThatColourTransparent)
{
    Grid g = fixtures::PatternGrid(4, 2, 16);
    g.px[1] = Rgb{255, 0, 128};
    const Bytes file = fixtures::EncodeBmp(g);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), 0x8000FF), 1);
    for (int i = 0; i < 8; ++i) {
        const std::uint8_t* p = img.pixels + i * 4;
        if (i == 1) {
            EXPECT_EQ(p[0] | p[1] | p[2] | p[3], 0);
        } else {
            EXPECT_EQ(p[3], 255) << i;
        }
    }
    OPENGL_IMAGE plain;
    ASSERT_EQ(plain.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
    EXPECT_EQ(plain.pixels[4 + 3], 255);
}

// Each case edits a good 24-bit (or 8-bit) file into one the reader must
// refuse; the picture must then be empty.
struct BadBmp {
    const char* name;
    int bits;
    void (*edit)(Bytes&);
};

// Turns a plain file into one with bit fields: compression 3 and the three
// masks after the 40-byte header.
void WithMasks(Bytes& b, std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    Bytes m;
    fixtures::Put32(m, red);
    fixtures::Put32(m, green);
    fixtures::Put32(m, blue);
    b.insert(b.begin() + 54, m.begin(), m.end());
    fixtures::Set32(b, 10, 66);
    fixtures::Set32(b, 30, 3);
}

class BmpRefused : public ::testing::TestWithParam<BadBmp> {};

TEST_P(BmpRefused, EmptyPictureAndZero)
{
    const BadBmp& c = GetParam();
    Bytes file = fixtures::EncodeBmp(fixtures::PatternGrid(6, 5, 16), BmpOptions{c.bits});
    c.edit(file);
    OPENGL_IMAGE img;
    // A previous picture must not survive a failed load.
    img.SetSize(3, 3);
    EXPECT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 0);
    EXPECT_EQ(img.width, 0);
    EXPECT_EQ(img.height, 0);
    EXPECT_EQ(img.pixels, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, BmpRefused,
    ::testing::Values(
        BadBmp{"no_magic", 24, [](Bytes& b) { b[0] = 'X'; }},
        BadBmp{"header_108", 24, [](Bytes& b) { fixtures::Set32(b, 14, 108); }},
        BadBmp{"header_124", 24, [](Bytes& b) { fixtures::Set32(b, 14, 124); }},
        BadBmp{"bits16", 24, [](Bytes& b) { b[28] = 16; }},
        BadBmp{"bits2", 24, [](Bytes& b) { b[28] = 2; }},
        BadBmp{"rle8", 8, [](Bytes& b) { fixtures::Set32(b, 30, 1); }},
        BadBmp{"rle4", 24, [](Bytes& b) { fixtures::Set32(b, 30, 2); }},
        BadBmp{"negative_width", 24, [](Bytes& b) { fixtures::Set32(b, 18, static_cast<std::uint32_t>(-6)); }},
        BadBmp{"zero_width", 24, [](Bytes& b) { fixtures::Set32(b, 18, 0); }},
        BadBmp{"zero_height", 24, [](Bytes& b) { fixtures::Set32(b, 22, 0); }},
        BadBmp{"int_min_height", 24, [](Bytes& b) { fixtures::Set32(b, 22, 0x80000000u); }},
        BadBmp{"side_above_limit", 24, [](Bytes& b) { fixtures::Set32(b, 18, kMaxPictureSide + 1); }},
        // 32-bit products of these wrap to small numbers.
        BadBmp{"product_wraps", 32,
               [](Bytes& b) {
                   fixtures::Set32(b, 18, 16384);
                   fixtures::Set32(b, 22, 16384);
               }},
        BadBmp{"data_beyond_file", 24, [](Bytes& b) { fixtures::Set32(b, 22, 500); }},
        BadBmp{"truncated_rows", 24, [](Bytes& b) { b.resize(b.size() - 1); }},
        BadBmp{"truncated_header", 24, [](Bytes& b) { b.resize(30); }},
        BadBmp{"offset_beyond_file", 24, [](Bytes& b) { fixtures::Set32(b, 10, 0xFFFFFFF0u); }},
        BadBmp{"offset_inside_headers", 24, [](Bytes& b) { fixtures::Set32(b, 10, 20); }},
        // An 8-bit file with a one-entry palette whose pixels use index 255.
        BadBmp{"index_beyond_palette", 8,
               [](Bytes& b) {
                   Bytes pixels(b.begin() + 54 + 1024, b.end());
                   for (auto& p : pixels) p = 255;
                   b.resize(54 + 4);
                   fixtures::Set32(b, 10, 54 + 4);
                   b.insert(b.end(), pixels.begin(), pixels.end());
               }},
        // Bit fields this reader cannot decode exactly.
        BadBmp{"bitfields_without_masks", 32, [](Bytes& b) { fixtures::Set32(b, 30, 3); }},
        BadBmp{"bitfields_on_24_bits", 24, [](Bytes& b) { WithMasks(b, 0xFF0000, 0xFF00, 0xFF); }},
        BadBmp{"bitfields_on_8_bits", 8, [](Bytes& b) { WithMasks(b, 0xE0, 0x1C, 0x03); }},
        BadBmp{"mask_empty", 32, [](Bytes& b) { WithMasks(b, 0, 0xFF00, 0xFF); }},
        BadBmp{"mask_with_a_hole", 32, [](Bytes& b) { WithMasks(b, 0xF0F00000, 0xFF00, 0xFF); }},
        BadBmp{"masks_overlap", 32, [](Bytes& b) { WithMasks(b, 0xFFFF00, 0xFF00, 0xFF); }},
        // Indexed data with no palette at all.
        BadBmp{"indexed_without_palette", 8,
               [](Bytes& b) {
                   b.erase(b.begin() + 54, b.begin() + 54 + 1024);
                   fixtures::Set32(b, 10, 54);
               }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BmpReader, NarrowMasksScaleToTheFullRange)
{
    // Red in 5 bits, green in 6, blue in 5, alpha bits ignored: full and
    // half values of each channel.
    Bytes file = fixtures::EncodeBmp(fixtures::PatternGrid(2, 1, 2), BmpOptions{32});
    WithMasks(file, 0xF800, 0x07E0, 0x001F);
    fixtures::Set32(file, 66, 0xFF00F800u | (31u << 5));
    fixtures::Set32(file, 70, (16u << 11) | (63u << 5) | 16u);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
    const std::uint8_t want[8] = {255, 125, 0, 255, 131, 255, 131, 255};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(img.pixels[i], want[i]) << i;
}

TEST(BmpReader, Os2TrueColourNeedsNoPalette)
{
    // Its palette would otherwise be 2^24 entries of 3 bytes.
    const Grid g = fixtures::PatternGrid(3, 2, 16);
    const Bytes file = fixtures::EncodeBmp(g, BmpOptions{24, true});
    EXPECT_EQ(file.size(), 26u + 2 * 12);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
    EXPECT_TRUE(SameAsGrid(img, g));
}

TEST(BmpReader, PixelDataIsReadAtItsOffset)
{
    // A gap between the headers and the pixels (as some writers leave).
    const Grid g = fixtures::PatternGrid(5, 3, 16);
    Bytes file = fixtures::EncodeBmp(g);
    file.insert(file.begin() + 54, 10, 0xEE);
    fixtures::Set32(file, 10, 64);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(file.data(), file.size(), kNoColorKey), 1);
    EXPECT_TRUE(SameAsGrid(img, g));
}

TEST(BmpReader, FileEntryPointReadsFromDisk)
{
    TempDir dir;
    const Grid g = fixtures::PatternGrid(4, 4, 16);
    const Bytes file = fixtures::EncodeBmp(g);
    std::ofstream(dir / "pic.bmp", std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                           static_cast<std::streamsize>(file.size()));
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadImageBMP((dir / "pic.bmp").c_str(), kNoColorKey), 1);
    EXPECT_TRUE(SameAsGrid(img, g));
    EXPECT_EQ(img.LoadImageBMP((dir / "missing.bmp").c_str(), kNoColorKey), 0);
    EXPECT_EQ(img.width, 0);
}

namespace {

using testsupport::PeakMemory;

// Writes bytes at a position of a file, leaving a hole (read as zeros)
// wherever nothing was written.
void WriteAt(const std::string& name, long long at, const Bytes& bytes)
{
    std::FILE* f = std::fopen(name.c_str(), std::ifstream(name).good() ? "r+b" : "wb");
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fseeko(f, at, SEEK_SET), 0);
    ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    std::fclose(f);
}

constexpr long long kGiB = 1LL << 30;

} // namespace

TEST(BmpReader, FileReadsOnlyTheHeadersPaletteAndRows)
{
    // The rows lie 3 GiB into a sparse file, and 1 GiB more follows them:
    // the picture loads without the gap or the tail being read or held.
    TempDir dir;
    const Grid g = fixtures::PatternGrid(6, 4, 16);
    for (int bits : {8, 24}) {
        SCOPED_TRACE(bits);
        Bytes file = fixtures::EncodeBmp(g, BmpOptions{bits});
        const std::size_t offset = Le32(file, 10);
        const Bytes rows(file.begin() + static_cast<long>(offset), file.end());
        file.resize(offset);
        fixtures::Set32(file, 10, static_cast<std::uint32_t>(3 * kGiB));
        const std::string name = dir / ("far" + std::to_string(bits) + ".bmp");
        WriteAt(name, 0, file);
        WriteAt(name, 3 * kGiB, rows);
        WriteAt(name, 4 * kGiB, Bytes{1});
        const long long before = PeakMemory();
        OPENGL_IMAGE img;
        ASSERT_EQ(img.LoadImageBMP(name.c_str(), kNoColorKey), 1);
        EXPECT_TRUE(SameAsGrid(img, g));
        EXPECT_LT(PeakMemory() - before, 64LL << 20);
    }
}

TEST(BmpReader, FileShorterThanItsHeaderNeedsIsRefusedUnread)
{
    // A header asking for 16384 x 16384 x 32 bits (1 GiB of rows) in a
    // file of 100 bytes: refused before any buffer is sized.
    TempDir dir;
    Bytes file = fixtures::EncodeBmp(fixtures::PatternGrid(2, 2, 2), BmpOptions{32});
    fixtures::Set32(file, 18, 16384);
    fixtures::Set32(file, 22, 16384);
    file.resize(100);
    WriteAt(dir / "big.bmp", 0, file);
    const long long before = PeakMemory();
    OPENGL_IMAGE img;
    EXPECT_EQ(img.LoadImageBMP((dir / "big.bmp").c_str(), kNoColorKey), 0);
    EXPECT_EQ(img.pixels, nullptr);
    EXPECT_LT(PeakMemory() - before, 64LL << 20);
}

// ---- PNG reader --------------------------------------------------------------

namespace {

fixtures::PngSpec Rgba(int w, int h)
{
    fixtures::PngSpec s;
    s.w = w;
    s.h = h;
    s.colorType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < w * h; ++i)
        for (int k = 0; k < 4; ++k) s.rows.push_back(static_cast<std::uint8_t>(i * 37 + k * 61));
    return s;
}

} // namespace

TEST(PngReader, RgbaIsExact)
{
    for (bool interlace : {false, true}) {
        fixtures::PngSpec s = Rgba(7, 5);
        s.interlace = interlace;
        const Bytes file = fixtures::EncodePng(s);
        OPENGL_IMAGE img;
        ASSERT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), kNoColorKey), 1);
        ASSERT_EQ(img.width, 7);
        ASSERT_EQ(img.height, 5);
        EXPECT_EQ(0, std::memcmp(img.pixels, s.rows.data(), s.rows.size())) << interlace;
    }
}

TEST(PngReader, PaletteWithTransparencyChunkGivesItsAlpha)
{
    fixtures::PngSpec s;
    s.w = 3;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_PALETTE;
    s.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    s.trns = {0, 128};
    s.rows = {0, 1, 2};
    const Bytes file = fixtures::EncodePng(s);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), kNoColorKey), 1);
    const std::uint8_t want[12] = {10, 20, 30, 0, 40, 50, 60, 128, 70, 80, 90, 255};
    EXPECT_EQ(0, std::memcmp(img.pixels, want, 12));
}

TEST(PngReader, SixteenBitKeepsTheHighBytes)
{
    fixtures::PngSpec s;
    s.w = 2;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_RGB;
    s.bitDepth = 16;
    s.rows = {0x12, 0x34, 0xAB, 0xCD, 0xFF, 0x00, 0x01, 0x02, 0x80, 0x80, 0x7F, 0xFF};
    const Bytes file = fixtures::EncodePng(s);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), kNoColorKey), 1);
    const std::uint8_t want[8] = {0x12, 0xAB, 0xFF, 255, 0x01, 0x80, 0x7F, 255};
    EXPECT_EQ(0, std::memcmp(img.pixels, want, 8));
}

TEST(PngReader, TwoBitGreyExpandsToEightBits)
{
    fixtures::PngSpec s;
    s.w = 4;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_GRAY;
    s.bitDepth = 2;
    s.rows = {0x1B}; // 0, 1, 2, 3
    const Bytes file = fixtures::EncodePng(s);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), 0), 1);
    const int want[4] = {0, 85, 170, 255};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(img.pixels[i * 4], want[i]);
        EXPECT_EQ(img.pixels[i * 4 + 2], want[i]);
        EXPECT_EQ(img.pixels[i * 4 + 3], 255) << "grey is never keyed";
    }
}

TEST(PngReader, RgbHonoursTheColourKey)
{
    fixtures::PngSpec s;
    s.w = 2;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_RGB;
    s.rows = {255, 0, 128, 1, 2, 3};
    const Bytes file = fixtures::EncodePng(s);
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), 0x8000FF), 1);
    const std::uint8_t want[8] = {0, 0, 0, 0, 1, 2, 3, 255};
    EXPECT_EQ(0, std::memcmp(img.pixels, want, 8));
}

TEST(PngReader, GreyWithAlphaIsRefusedQuietly)
{
    fixtures::PngSpec s;
    s.w = 2;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_GRAY_ALPHA;
    s.rows = {1, 2, 3, 4};
    const Bytes file = fixtures::EncodePng(s);
    OPENGL_IMAGE img;
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), kNoColorKey), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(img.width, 0);
}

TEST(PngReader, DamagedFilesFailCleanly)
{
    const fixtures::PngSpec s = Rgba(64, 64);
    const Bytes good = fixtures::EncodePng(s);
    // Find the IDAT chunk to cut and corrupt inside it.
    std::size_t idat = 0;
    for (std::size_t i = 8; i + 4 < good.size(); ++i)
        if (std::memcmp(&good[i], "IDAT", 4) == 0) {
            idat = i;
            break;
        }
    ASSERT_GT(idat, 0u);
    struct Case { const char* name; Bytes bytes; };
    std::vector<Case> cases;
    cases.push_back({"cut_inside_idat", Bytes(good.begin(), good.begin() + idat + 40)});
    cases.push_back({"cut_in_header", Bytes(good.begin(), good.begin() + 20)});
    Bytes crc = good;
    crc[idat + 20] ^= 0x5A;
    cases.push_back({"corrupt_idat", crc});
    cases.push_back({"empty", Bytes{}});
    Bytes huge = good;
    fixtures::Set32(huge, 16, 0x00010000); // width 2^16 (big-endian field, garbage CRC)
    cases.push_back({"bad_header_crc", huge});
    for (const Case& c : cases) {
        OPENGL_IMAGE img;
        EXPECT_EQ(img.LoadPNGFromMemory(c.bytes.data(), c.bytes.size(), kNoColorKey), 0) << c.name;
        EXPECT_EQ(img.width, 0) << c.name;
    }
    // The glue recovers: the next good file loads.
    OPENGL_IMAGE img;
    EXPECT_EQ(img.LoadPNGFromMemory(good.data(), good.size(), kNoColorKey), 1);
}

TEST(PngReader, SidesAboveTheLimitAreRefused)
{
    // Written with its real CRCs by libpng; only the reader's cap stops it.
    fixtures::PngSpec s;
    s.w = kMaxPictureSide + 1;
    s.h = 1;
    s.colorType = PNG_COLOR_TYPE_GRAY;
    s.rows.assign(static_cast<std::size_t>(s.w), 7);
    const Bytes file = fixtures::EncodePng(s);
    ASSERT_FALSE(file.empty());
    OPENGL_IMAGE img;
    EXPECT_EQ(img.LoadPNGFromMemory(file.data(), file.size(), kNoColorKey), 0);
}

TEST(PngReader, FileEntryPointAndShortFile)
{
    TempDir dir;
    const Bytes good = fixtures::EncodePng(Rgba(16, 16));
    std::ofstream(dir / "a.png", std::ios::binary).write(reinterpret_cast<const char*>(good.data()),
                                                         static_cast<std::streamsize>(good.size()));
    std::ofstream(dir / "cut.png", std::ios::binary).write(reinterpret_cast<const char*>(good.data()),
                                                           static_cast<std::streamsize>(good.size() / 2));
    OPENGL_IMAGE img;
    EXPECT_EQ(img.LoadImagePNG((dir / "a.png").c_str(), kNoColorKey), 1);
    EXPECT_EQ(img.width, 16);
    EXPECT_EQ(img.LoadImagePNG((dir / "cut.png").c_str(), kNoColorKey), 0);
    EXPECT_EQ(img.width, 0);
}

TEST(PngReader, FileReadingStopsAtWhatThePictureCanNeed)
{
    // Ancillary chunks (well-formed, each under libpng's own chunk limit)
    // between the header and the image data: a few megabytes of them load,
    // a run of 80 MB of them is refused rather than read to its end.
    TempDir dir;
    const Bytes good = fixtures::EncodePng(Rgba(4, 4));
    ASSERT_FALSE(good.empty());
    const std::size_t afterHeader = 8 + 25; // signature, IHDR chunk
    constexpr std::uint32_t kData = 7000000;
    const Bytes zeros(kData, 0);
    Bytes chunkHead, chunkCrc;
    chunkHead = {0, 0, 0, 0, 'v', 'l', 'T', 'x'}; // big-endian length, then the type
    for (int i = 0; i < 4; ++i) chunkHead[i] = static_cast<std::uint8_t>(kData >> (24 - 8 * i));
    uLong crc = crc32(0, chunkHead.data() + 4, 4);
    crc = crc32(crc, zeros.data(), kData);
    for (int i = 0; i < 4; ++i) chunkCrc.push_back(static_cast<std::uint8_t>(crc >> (24 - 8 * i)));
    for (int chunks : {1, 12}) {
        SCOPED_TRACE(chunks);
        const std::string name = dir / ("chunks" + std::to_string(chunks) + ".png");
        WriteAt(name, 0, Bytes(good.begin(), good.begin() + afterHeader));
        long long at = static_cast<long long>(afterHeader);
        for (int c = 0; c < chunks; ++c) {
            WriteAt(name, at, chunkHead);
            WriteAt(name, at + 8 + kData, chunkCrc);
            at += 12 + kData;
        }
        WriteAt(name, at, Bytes(good.begin() + afterHeader, good.end()));
        OPENGL_IMAGE img;
        EXPECT_EQ(img.LoadImagePNG(name.c_str(), kNoColorKey), chunks == 1 ? 1 : 0);
    }
}

TEST(PngReader, FileCutShortAfterAHugeHeaderFailsWithoutHoldingItsRows)
{
    // The header claims the largest picture; the file holds two rows. Each
    // colour type fails at the first missing row, before memory for the
    // rows it never delivers is taken.
    TempDir dir;
    for (int colorType : {PNG_COLOR_TYPE_RGB, PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_RGB_ALPHA}) {
        SCOPED_TRACE(colorType);
        fixtures::PngSpec s;
        s.w = kMaxPictureSide;
        s.h = 2;
        s.colorType = colorType;
        const int channels = colorType == PNG_COLOR_TYPE_RGB ? 3 : colorType == PNG_COLOR_TYPE_GRAY ? 1 : 4;
        s.rows.assign(static_cast<std::size_t>(s.w) * s.h * channels, 9);
        Bytes file = fixtures::EncodePng(s);
        ASSERT_FALSE(file.empty());
        // Height field of the header, then the header's CRC over its type and data.
        for (int i = 0; i < 4; ++i) file[20 + i] = static_cast<std::uint8_t>(kMaxPictureSide >> (24 - 8 * i));
        const uLong crc = crc32(0, file.data() + 12, 17);
        for (int i = 0; i < 4; ++i) file[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        file.resize(file.size() - 12); // no end chunk: the data simply stops
        const std::string name = dir / ("cut" + std::to_string(colorType) + ".png");
        WriteAt(name, 0, file);
        const long long before = PeakMemory();
        OPENGL_IMAGE img;
        EXPECT_EQ(img.LoadImagePNG(name.c_str(), kNoColorKey), 0);
        EXPECT_EQ(img.width, 0);
        if (testsupport::kPeakMemoryIsExact) {
            EXPECT_LT(PeakMemory() - before, 64LL << 20);
        }
    }
}

// ---- writers -----------------------------------------------------------------

namespace {

// Blue, green, red rows bottom first, as the frame buffer gives them.
std::vector<unsigned char> FramePixels(int w, int h)
{
    std::vector<unsigned char> px(static_cast<std::size_t>(w) * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &px[(static_cast<std::size_t>(y) * w + x) * 3];
            p[0] = static_cast<unsigned char>(x);
            p[1] = static_cast<unsigned char>(y);
            p[2] = static_cast<unsigned char>(x + y);
        }
    return px;
}

} // namespace

TEST(PictureWriter, BmpOfAWindowHasTheExpectedHeader)
{
    TempDir dir;
    const auto px = FramePixels(640, 480);
    const std::string name = dir / "shot.bmp";
    ASSERT_TRUE(WritePictureFile(name.c_str(), px.data(), 640, 480, 640, 480, false, 0xFFFFFFFF));
    const Bytes f = ReadFile(name);
    ASSERT_EQ(f.size(), 921654u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(Le32(f, 2), 921654u);
    EXPECT_EQ(Le32(f, 10), 54u);
    EXPECT_EQ(Le32(f, 14), 40u);
    EXPECT_EQ(Le32(f, 18), 640u);
    EXPECT_EQ(Le32(f, 22), 480u);
    EXPECT_EQ(Le16(f, 26), 1u);
    EXPECT_EQ(Le16(f, 28), 24u);
    EXPECT_EQ(Le32(f, 30), 0u);
    EXPECT_EQ(Le32(f, 38), 10000u);
    EXPECT_EQ(Le32(f, 42), 10000u);
    // Bottom row first, as it came.
    EXPECT_EQ(f[54 + 3 * 7 + 2], 7);
    EXPECT_EQ(f[54 + 1920 * 5 + 1], 5);
}

TEST(PictureWriter, BmpRoundTripsThroughTheReaderWithPaddedRows)
{
    TempDir dir;
    const auto px = FramePixels(5, 3);
    const std::string name = dir / "odd.bmp";
    ASSERT_TRUE(WritePictureFile(name.c_str(), px.data(), 5, 3, 5, 3, false, 0xFFFFFFFF));
    const Bytes f = ReadFile(name);
    ASSERT_EQ(f.size(), 54u + 3 * 16);
    EXPECT_EQ(f[54 + 15], 0) << "pad bytes are zero";
    OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(f.data(), f.size(), kNoColorKey), 1);
    // Image row 0 is the top: frame row 2.
    EXPECT_EQ(img.pixels[0 * 4 + 1], 2);
    EXPECT_EQ(img.pixels[(2 * 5 + 4) * 4 + 2], 4) << "blue of frame (4, 0)";
}

TEST(PictureWriter, KeyColourBecomesMagentaInBmpAndTransparentInPng)
{
    TempDir dir;
    std::vector<unsigned char> px = FramePixels(4, 2);
    // Pixel (1, 0) holds the key as the frame buffer stores it.
    px[3] = 0x80;
    px[4] = 0x00;
    px[5] = 0xFF;
    const std::uint32_t key = 0xFF0080; // red, green, blue
    const std::string bmp = dir / "k.bmp", png = dir / "K.PNG";
    ASSERT_TRUE(WritePictureFile(bmp.c_str(), px.data(), 4, 2, 4, 2, false, key));
    ASSERT_TRUE(WritePictureFile(png.c_str(), px.data(), 4, 2, 4, 2, false, key));
    OPENGL_IMAGE a, b;
    ASSERT_EQ(a.LoadImageBMP(bmp.c_str(), kNoColorKey), 1);
    ASSERT_EQ(b.LoadImagePNG(png.c_str(), kNoColorKey), 1);
    // Bottom row of the frame is the image's row 1.
    const std::uint8_t* ka = a.pixels + (1 * 4 + 1) * 4;
    EXPECT_EQ(ka[0], 255);
    EXPECT_EQ(ka[1], 0);
    EXPECT_EQ(ka[2], 128);
    const std::uint8_t* kb = b.pixels + (1 * 4 + 1) * 4;
    EXPECT_EQ(kb[3], 0);
    EXPECT_EQ(b.pixels[(1 * 4 + 2) * 4 + 3], 255);
    EXPECT_EQ(b.pixels[(1 * 4 + 2) * 4 + 0], 2) << "red of frame (2, 0) = x + y";
}

TEST(PictureWriter, NameDecidesTheFormat)
{
    TempDir dir;
    const auto px = FramePixels(2, 2);
    for (const char* n : {"shot.bmp", "shot.pn", "shot.png.bmp"}) {
        const std::string name = dir / n;
        ASSERT_TRUE(WritePictureFile(name.c_str(), px.data(), 2, 2, 2, 2, false, 0)) << n;
        EXPECT_EQ(ReadFile(name)[0], 'B') << n;
    }
    const std::string png = dir / "SHOT.PNG";
    ASSERT_TRUE(WritePictureFile(png.c_str(), px.data(), 2, 2, 2, 2, false, 0));
    EXPECT_EQ(ReadFile(png)[1], 'P');
}

TEST(PictureWriter, FullDiskIsReportedAsFailure)
{
    TempDir dir;
    const auto px = FramePixels(64, 64);
    // A file size limit makes the writes fail as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 40; // below any whole file of either format
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool bmp = WritePictureFile((dir / "a.bmp").c_str(), px.data(), 64, 64, 64, 64, false, 0);
    const bool png = WritePictureFile((dir / "a.png").c_str(), px.data(), 64, 64, 64, 64, false, 0);
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(bmp);
    EXPECT_FALSE(png);
}

TEST(PictureWriter, UnwritablePlaceFails)
{
    const auto px = FramePixels(2, 2);
    ::testing::internal::CaptureStdout();
    EXPECT_FALSE(WritePictureFile("/nonexistent-dir/x.bmp", px.data(), 2, 2, 2, 2, false, 0));
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("can't write to file: /nonexistent-dir/x.bmp"), std::string::npos) << out;
}
