// The pixel rules of the 2D renderer that need no GL: the box test, texture
// sides, the edge colour of transparent texels, the square mipmap chain,
// the normal map, font grids and the built-in font picture.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "media/drawing.h"
#include "media/fonts.h"
#include "media/image.h"
#include "media/texture_build.h"

using namespace __VELTRIC__;

TEST(BoxOverlap, EndsIncludedAndNegativeSizes)
{
    struct Case { int x1, y1, w1, h1, x2, y2, w2, h2, want; };
    const Case cases[] = {
        {0, 0, 10, 10, 9, 9, 5, 5, 1},    // corners share pixel (9, 9)
        {0, 0, 10, 10, 10, 0, 5, 5, 0},   // side by side
        {0, 0, 10, 10, 0, 10, 5, 5, 0},   // one above the other
        {0, 0, 10, 10, 3, 3, 1, 1, 1},    // inside
        {10, 0, -10, 5, 10, 4, 1, 1, 1},  // spans 1..10 by 0..4
        {5, 5, 0, 0, 5, 5, 1, 1, 1},      // zero size covers its own pixel
        {5, 5, 0, 0, 6, 5, 1, 1, 0},
        {-5, -5, 3, 3, -3, -3, 2, 2, 1},
        {-5, -5, 2, 2, -3, -3, 2, 2, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BoxOverlap(c.x1, c.y1, c.w1, c.h1, c.x2, c.y2, c.w2, c.h2), c.want)
            << c.x1 << "," << c.y1 << "," << c.w1 << "," << c.h1 << " / " << c.x2 << "," << c.y2
            << "," << c.w2 << "," << c.h2;
    // A negative width spans x + w + 1 .. x: from 1 to 10, so 0 is outside.
    EXPECT_EQ(BoxOverlap(10, 0, -10, 1, 0, 0, 1, 1), 0);
    EXPECT_EQ(BoxOverlap(10, 0, -10, 1, 1, 0, 1, 1), 1);
    // Huge sizes do not wrap around.
    EXPECT_EQ(BoxOverlap(2000000000, 0, 2000000000, 1, 0, 0, 1, 1), 0);
}

TEST(TextureSide, PowerOfTwoAtLeastTwo)
{
    const int in[] = {0, 1, 2, 3, 50, 64, 100, 16384};
    const int want[] = {2, 2, 2, 4, 64, 64, 128, 16384};
    for (std::size_t i = 0; i < sizeof in / sizeof in[0]; ++i) EXPECT_EQ(TextureSide(in[i]), want[i]);
}

namespace {
using Buf = std::vector<std::uint8_t>;
std::uint8_t* Px(Buf& b, int w, int c, int r) { return &b[(static_cast<std::size_t>(r) * w + c) * 4]; }
void Set(Buf& b, int w, int c, int r, std::uint8_t R, std::uint8_t G, std::uint8_t B, std::uint8_t A)
{
    std::uint8_t* p = Px(b, w, c, r);
    p[0] = R;
    p[1] = G;
    p[2] = B;
    p[3] = A;
}
} // namespace

TEST(EdgeColourPass, MeanOfInnerOpaqueNeighbours)
{
    Buf b(4 * 4 * 4);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) Set(b, 4, c, r, 9, 9, 9, 0);
    Set(b, 4, 1, 1, 200, 0, 0, 255);
    Set(b, 4, 2, 1, 0, 0, 100, 255);
    Set(b, 4, 0, 3, 0, 250, 0, 255); // on the outer column: never a source
    EdgeColourPass(b.data(), 4, 4);
    struct Case { int c, r; int R, G, B; };
    const Case cases[] = {
        {1, 2, 100, 0, 50},  // both inner pixels, not the outer one
        {1, 0, 100, 0, 50},
        {0, 2, 200, 0, 0},   // only (1, 1) counts
        {3, 3, 0, 0, 0},     // no opaque neighbour: black
        {1, 3, 0, 0, 0},     // its only opaque neighbour (0, 3) is on the outer column
    };
    for (const Case& k : cases) {
        const std::uint8_t* p = Px(b, 4, k.c, k.r);
        EXPECT_EQ(p[0], k.R) << k.c << "," << k.r;
        EXPECT_EQ(p[1], k.G) << k.c << "," << k.r;
        EXPECT_EQ(p[2], k.B) << k.c << "," << k.r;
        EXPECT_EQ(p[3], 0) << k.c << "," << k.r;
    }
    EXPECT_EQ(Px(b, 4, 1, 1)[0], 200);
    EXPECT_EQ(Px(b, 4, 0, 3)[1], 250);
}

TEST(MipChain, SquareThenWeightedLevelsDownToOne)
{
    // Channel 0 of pixel (c, r) = 10c + 40r + 1.
    Buf b(4 * 4 * 4, 0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) Px(b, 4, c, r)[0] = static_cast<std::uint8_t>(10 * c + 40 * r + 1);
    ASSERT_EQ(NextMipLevelInPlace(b.data(), 4), 2);
    EXPECT_EQ(Px(b, 2, 0, 0)[0], (4 * 1 + 2 * 11 + 2 * 91 + 81) / 9);
    EXPECT_EQ(Px(b, 2, 1, 0)[0], (2 * 21 + 101) / 3);
    EXPECT_EQ(Px(b, 2, 0, 1)[0], (2 * 81 + 91) / 3);
    EXPECT_EQ(Px(b, 2, 1, 1)[0], 101);
    ASSERT_EQ(NextMipLevelInPlace(b.data(), 2), 1);
    EXPECT_EQ(b[0], 32);
    EXPECT_EQ(NextMipLevelInPlace(b.data(), 1), 0);

    // 4 x 2 halves its width, 2 x 4 its height, by plain pair means.
    Buf wide(4 * 2 * 4, 0);
    const int rowVals[2][4] = {{0, 10, 20, 31}, {100, 110, 120, 130}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 4; ++c) Px(wide, 4, c, r)[1] = static_cast<std::uint8_t>(rowVals[r][c]);
    ASSERT_EQ(MakeSquareInPlace(wide.data(), 4, 2), 2);
    EXPECT_EQ(Px(wide, 2, 0, 0)[1], 5);
    EXPECT_EQ(Px(wide, 2, 1, 0)[1], 25);
    EXPECT_EQ(Px(wide, 2, 0, 1)[1], 105);
    EXPECT_EQ(Px(wide, 2, 1, 1)[1], 125);
    Buf tall(2 * 4 * 4, 0);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c) Px(tall, 2, c, r)[2] = static_cast<std::uint8_t>(rowVals[c][r]);
    ASSERT_EQ(MakeSquareInPlace(tall.data(), 2, 4), 2);
    EXPECT_EQ(Px(tall, 2, 0, 0)[2], 5);
    EXPECT_EQ(Px(tall, 2, 0, 1)[2], 25);
    EXPECT_EQ(Px(tall, 2, 1, 0)[2], 105);
}

TEST(NormalMap, FlatAndOneBump)
{
    OPENGL_IMAGE img;
    ASSERT_TRUE(img.SetSize(3, 3));
    std::memset(img.pixels, 0, 3 * 3 * 4);
    for (int i = 0; i < 9; ++i) img.pixels[i * 4 + 3] = static_cast<std::uint8_t>(i * 20);
    img.pixels[(1 * 3 + 1) * 4 + 2] = 255; // height 1 at (1, 1)
    build_detail_normalmap(img);
    // (0, 1) has the bump to its right only (the buffer wraps at its edges).
    const std::uint8_t* left = img.pixels + (1 * 3 + 0) * 4;
    EXPECT_EQ(left[0], 13);
    EXPECT_EQ(left[1], 127);
    EXPECT_EQ(left[2], 184);
    EXPECT_EQ(left[3], 60) << "alpha kept";
    const std::uint8_t* centre = img.pixels + (1 * 3 + 1) * 4;
    EXPECT_EQ(centre[0], 127);
    EXPECT_EQ(centre[1], 127);
    EXPECT_EQ(centre[2], 255);

    OPENGL_IMAGE flat;
    ASSERT_TRUE(flat.SetSize(2, 2));
    std::memset(flat.pixels, 90, 2 * 2 * 4);
    build_detail_normalmap(flat);
    EXPECT_EQ(flat.pixels[0], 127);
    EXPECT_EQ(flat.pixels[1], 127);
    EXPECT_EQ(flat.pixels[2], 255);
}

TEST(FontGrid, ShapeDecidesRowsAndCells)
{
    struct Case { int w, h, rows, glyphs, cw, ch; };
    const Case cases[] = {{128, 64, 8, 128, 8, 8},
                          {256, 256, 8, 128, 16, 32},
                          {256, 512, 16, 256, 16, 32},
                          {0, 0, 8, 128, 0, 0}};
    for (const Case& c : cases) {
        const FontGrid g = FontGridOf(c.w, c.h);
        EXPECT_EQ(g.rows, c.rows) << c.w << "x" << c.h;
        EXPECT_EQ(g.glyphs, c.glyphs);
        EXPECT_EQ(g.cellW, c.cw);
        EXPECT_EQ(g.cellH, c.ch);
    }
}

TEST(DefaultFontPicture, DotsOutlineAndEmptyCells)
{
    OPENGL_IMAGE img;
    img.MakeDefFont();
    ASSERT_EQ(img.width, 128);
    ASSERT_EQ(img.height, 64);
    auto px = [&](int x, int y) { return img.pixels + (static_cast<std::size_t>(y) * 128 + x) * 4; };
    // '!' (33): dots in column 2, rows 1, 2, 3 and 5, in the cell at (8, 16).
    struct Case { int x, y, v, a; };
    const Case cases[] = {
        {11, 18, 255, 255}, {11, 19, 255, 255}, {11, 20, 255, 255}, {11, 22, 255, 255}, // dots
        {10, 18, 8, 255},   {12, 20, 8, 255},   {11, 17, 8, 255},   {11, 21, 8, 255},  // outline
        {13, 18, 0, 0},     {11, 16, 0, 0},     {15, 20, 0, 0},     {10, 17, 0, 0},    // empty
    };
    for (const Case& c : cases) {
        const std::uint8_t* p = px(c.x, c.y);
        EXPECT_EQ(p[0], c.v) << c.x << "," << c.y;
        EXPECT_EQ(p[2], c.v) << c.x << "," << c.y;
        EXPECT_EQ(p[3], c.a) << c.x << "," << c.y;
    }
    // Codes 0..31 (the top two cell rows) are empty.
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 128; ++x) ASSERT_EQ(px(x, y)[3], 0) << x << "," << y;
    // The last cell column of every glyph stays transparent.
    for (int code = 32; code < 128; ++code)
        for (int y = 0; y < 8; ++y)
            ASSERT_EQ(px(8 * (code & 15) + 7, 8 * (code >> 4) + y)[3], 0) << code;
}
