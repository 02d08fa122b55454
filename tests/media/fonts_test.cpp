// Fonts and text on a real window: the built-in font's glyphs and outline,
// glyph grids of loaded font pictures, unsigned character codes, the font
// slots of LOADFONT and text placed at a projected 3D point.
#include "gl_window.h"

#include "media/commands2d.h"
#include "media/fonts.h"

using namespace gltest;
using fixtures::Grid;
using Fonts = Window;

namespace {

const Rgb kGround{0, 0, 100};

// What the built-in font shows for `code` in the 8 x 8 cell at (x, y) on
// kGround: dots white, their four neighbours (within columns 0..6) the
// outline colour.
Rgb Expected(int code, int cx, int cy)
{
    if (code < 32 || code > 127 || cx > 6) return kGround;
    const std::uint32_t bits = __VELTRIC__::kDefaultGlyphs[code - 32];
    auto dot = [bits](int dx, int dy) {
        return dx >= 0 && dx < 5 && dy >= 0 && dy < 6 && ((bits >> (dy * 5 + dx)) & 1);
    };
    const int dx = cx - 1, dy = cy - 1;
    if (dot(dx, dy)) return Rgb{255, 255, 255};
    if (dot(dx - 1, dy) || dot(dx + 1, dy) || dot(dx, dy - 1) || dot(dx, dy + 1)) return Rgb{8, 8, 8};
    return kGround;
}

::testing::AssertionResult CellShows(int code, int x, int y)
{
    for (int cy = 0; cy < 8; ++cy)
        for (int cx = 0; cx < 8; ++cx) {
            const Rgb got = Window::Read(x + cx, y + cy), want = Expected(code, cx, cy);
            if (!(got == want))
                return ::testing::AssertionFailure() << "code " << code << " cell pixel (" << cx << ", "
                                                     << cy << ") = " << got << ", want " << want;
        }
    return ::testing::AssertionSuccess();
}

// A 16-column glyph grid whose cells each have their own colour.
Grid Cells(int w, int h, int rows)
{
    Grid g;
    g.w = w;
    g.h = h;
    const int cw = w / 16, ch = h / rows;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            g.px.push_back(Rgb{static_cast<std::uint8_t>(10 + (x / cw) * 15),
                               static_cast<std::uint8_t>(10 + (y / ch) * 15), 200});
    return g;
}

} // namespace

TEST_F(Fonts, BuiltInFontSizeAndGlyphs)
{
    R->DefaultFont(0);
    int w, h;
    R->GetFontSize(0, w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    Clear(kGround);
    R->Text2D(0, "AB", 10.2f, 5.0f, 0.0f);
    // x rounds up to 11: A covers 11..18, B 19..26, both rows 5..12.
    EXPECT_TRUE(CellShows('A', 11, 5));
    EXPECT_TRUE(CellShows('B', 19, 5));
    EXPECT_EQ(Read(10, 8), kGround);
    EXPECT_EQ(Read(27, 8), kGround);
    EXPECT_EQ(Read(15, 13), kGround);
}

TEST_F(Fonts, CodesAreBytesTakenUnsigned)
{
    R->DefaultFont(0);
    Clear(kGround);
    // 200 folds onto 72 ('H') in a font of 8 rows; 1 is an empty cell that
    // still advances.
    R->Text2D(0, "\xC8\x01" "H", 0.0f, 40.0f, 0.0f);
    EXPECT_TRUE(CellShows('H', 0, 40));
    EXPECT_TRUE(CellShows(1, 8, 40));
    EXPECT_TRUE(CellShows('H', 16, 40));
    R->Text2D(0, "", 0.0f, 60.0f, 0.0f);
    R->Text2D(0, nullptr, 0.0f, 60.0f, 0.0f);
    R->Text2D(32, "H", 0.0f, 60.0f, 0.0f);
    R->Text2D(-1, "H", 0.0f, 60.0f, 0.0f);
    EXPECT_EQ(Read(3, 62), kGround);
}

TEST_F(Fonts, LoadedGridsFollowThePictureShape)
{
    struct Case { const char* name; int w, h, rows, glyphRow; };
    const Case cases[] = {
        {"square_8_rows", 256, 256, 8, 4},   // 200 folds to 72: row 4
        {"tall_16_rows", 256, 512, 16, 12},  // 200 stays: row 12
    };
    for (const Case& c : cases) {
        const std::string file = WriteFile(std::string(c.name) + ".bmp",
                                           fixtures::EncodeBmp(Cells(c.w, c.h, c.rows)));
        ASSERT_EQ(R->LoadFont(2, file.c_str()), 1) << c.name;
        int w, h;
        R->GetFontSize(2, w, h);
        EXPECT_EQ(w, 16) << c.name;
        EXPECT_EQ(h, 32) << c.name;
        EXPECT_EQ(R->GetFontSize(2).width, 16) << c.name;
        EXPECT_EQ(R->GetFontSize(2).height, 32) << c.name;
        glClear(GL_COLOR_BUFFER_BIT);
        R->Text2D(2, "\xC8", 100.0f, 100.0f, 0.0f);
        const Rgb want{static_cast<std::uint8_t>(10 + 8 * 15), static_cast<std::uint8_t>(10 + c.glyphRow * 15), 200};
        EXPECT_EQ(Read(100, 100), want) << c.name;
        EXPECT_EQ(Read(115, 131), want) << c.name;
        EXPECT_EQ(Read(116, 100), Rgb({0, 0, 0})) << c.name << ": cell is 16 wide";
        EXPECT_EQ(Read(100, 132), Rgb({0, 0, 0})) << c.name << ": cell is 32 high";
    }
    R->FreeSprite(__VELTRIC__::FontSprite(2));
    int w = -1, h = -1;
    R->GetFontSize(2, w, h);
    EXPECT_EQ(w, 0) << "a free slot has no size";
    EXPECT_EQ(R->GetFontSize(2).height, 0) << "a free slot has no size";
    R->GetFontSize(40, w, h);
    EXPECT_EQ(w, 0);
}

TEST_F(Fonts, MissingFontFileGivesTheBuiltInFontInTheLastSlot)
{
    R->FreeSprite(__VELTRIC__::FontSprite(31));
    __VELTRIC__::LOADFONT(DGStr(Path("nothere.png").c_str()), 40);
    EXPECT_EQ(__VELTRIC__::__nCurFont, 31);
    int w, h;
    R->GetFontSize(31, w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);
    Clear(kGround);
    R->Text2D(31, "Q", 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(CellShows('Q', 0, 0));
}

TEST_F(Fonts, BuiltInFontDropsTheOldAlphaCache)
{
    const int sprite = __VELTRIC__::FontSprite(3);
    const std::string file = WriteFile("f.bmp", fixtures::EncodeBmp(Cells(64, 64, 8)));
    ASSERT_EQ(R->LoadFont(3, file.c_str()), 1);
    R->GetSpritePixels(sprite);
    ASSERT_NE(R->m_alphaCache[sprite], nullptr);
    R->DefaultFont(3);
    EXPECT_EQ(R->m_alphaCache[sprite], nullptr);
    EXPECT_EQ(R->m_sprites[sprite].imgWidth, 128);
    EXPECT_EQ(R->m_sprites[sprite].texHeight, 64);
}

TEST_F(Fonts, Text3DAtAProjectedPoint)
{
    R->DefaultFont(0);
    Clear(kGround);
    // In the 2D projection the point (100, 100) projects onto itself: the
    // text is centred on it with its bottom edge on its row.
    R->Text3D(0, "A", 100.0f, 100.0f, 0.0f, 0.0f);
    // The projection's float arithmetic may land a hair past a whole pixel,
    // which the text's rounding up then shows: allow one pixel either way.
    bool found = false;
    for (int dy = -1; dy <= 1 && !found; ++dy)
        for (int dx = -1; dx <= 1 && !found; ++dx) found = CellShows('A', 96 + dx, 92 + dy);
    EXPECT_TRUE(found);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << "culling restored";

    // A projection that gives w = 0 draws nothing.
    Clear(kGround);
    const GLfloat flat[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(flat);
    glMatrixMode(GL_MODELVIEW);
    R->Text3D(0, "AAAA", 0.0f, 0.0f, 0.0f, 0.0f);
    R->Make2DViewport(0, 0, 0, 0);
    for (int y = 0; y < H; y += 4)
        for (int x = 0; x < W; x += 4) ASSERT_EQ(Read(x, y), kGround) << x << "," << y;
}
