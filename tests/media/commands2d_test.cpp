// The 2D commands: their argument rules and where they forward, on a real
// 800 x 600 window with pixels read back.
#define GL_WINDOW_W 800
#define GL_WINDOW_H 600
#include "gl_window.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "media/commands2d.h"
#include "media/fonts.h"
#include "media/surfaces.h"

namespace {

using namespace gltest;
using fixtures::Grid;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

const Rgb kBlack{0, 0, 0};
const Rgb kGrey{100, 100, 100};

Grid Solid(int w, int h, Rgb c)
{
    Grid g;
    g.w = w;
    g.h = h;
    g.px.assign(static_cast<std::size_t>(w) * h, c);
    return g;
}

bool Near(Rgb a, Rgb b, int tol = 2)
{
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

class Commands2D : public Window {
protected:
    void TearDown() override
    {
        ALPHAMODE(0);
        SETFONT(0);
        Window::TearDown();
    }
    // The pixels of a w x h area at the top-left corner, row by row.
    static std::vector<Rgb> Area(int w, int h)
    {
        std::vector<Rgb> out;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) out.push_back(Read(x, y));
        return out;
    }
};

TEST_F(Commands2D, AlphamodeSelectsOpaqueAdditiveOrTransparentDrawing)
{
    struct Case {
        double mode;
        float alpha;
        Rgb expected; // red 200 drawn over grey 100
    };
    const Case cases[] = {
        {-0.5, 0.5f, {150, 50, 50}}, // transparency: half of each
        {2.0, 1.0f, {255, 100, 100}}, // additive, alpha limited to 1
        {0.25, 0.25f, {150, 100, 100}},
        {0.0, 1.0f, {200, 0, 0}},     // opaque again
        {-7.0, 1.0f, {200, 0, 0}},    // transparency at full alpha
    };
    for (const Case& c : cases) {
        Clear(kGrey);
        ALPHAMODE(c.mode);
        EXPECT_FLOAT_EQ(R->m_alpha, c.alpha) << c.mode;
        DRAWRECT(10, 10, 20, 20, 200);
        EXPECT_TRUE(Near(Read(15, 15), c.expected)) << "mode " << c.mode << ": " << Read(15, 15);
        EXPECT_EQ(Read(40, 40), kGrey);
    }
    // A NaN would poison every alpha derived from it: it counts as opaque.
    ALPHAMODE(std::nan(""));
    EXPECT_FLOAT_EQ(R->m_alpha, 1.0f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(Commands2D, ZoomspriteScalesAboutTheCentre)
{
    ASSERT_EQ(LoadGrid(7, Solid(32, 32, Rgb{0, 200, 0})), 1);
    ZOOMSPRITE(7, 100, 100, 2, 2);
    for (int v : {84, 147}) {
        EXPECT_EQ(Read(v, 116), (Rgb{0, 200, 0})) << v;
        EXPECT_EQ(Read(116, v), (Rgb{0, 200, 0})) << v;
    }
    for (int v : {83, 148}) {
        EXPECT_EQ(Read(v, 116), kBlack) << v;
        EXPECT_EQ(Read(116, v), kBlack) << v;
    }
    // Scales beyond any int do not reach undefined conversions.
    ZOOMSPRITE(7, 0, 0, 1e300, -1e300);
    ZOOMSPRITE(7, 0, 0, std::nan(""), 1);
}

TEST_F(Commands2D, FontSlotsAreLimitedAndLoadingSelects)
{
    struct Case {
        int asked, slot;
    };
    for (const Case c : {Case{40, 31}, Case{-3, 0}, Case{5, 5}, Case{31, 31}}) {
        SETFONT(c.asked);
        EXPECT_EQ(__nCurFont, c.slot) << c.asked;
    }
    SETFONT(0);
    CaptureStdout();
    EXPECT_EQ(LOADFONT(DGStr(Path("nofont.png").c_str()), 40), 0.0);
    GetCapturedStdout();
    EXPECT_EQ(__nCurFont, 31);
    EXPECT_EQ(R->m_sprites[FontSprite(31)].imgWidth, 128); // the built-in font
    int w = 0, h = 0;
    GETFONTSIZE(w, h);
    EXPECT_EQ(w, 8);
    EXPECT_EQ(h, 8);

    // A font picture is loaded into the slot and selected: 16 columns of
    // 4-pixel cells, 8 rows of 6-pixel cells.
    const std::string p = WriteFile("font.bmp", fixtures::EncodeBmp(Solid(64, 48, Rgb{255, 255, 255})));
    EXPECT_EQ(LOADFONT(DGStr(p.c_str()), 3), 1.0);
    EXPECT_EQ(__nCurFont, 3);
    double dw = 0, dh = 0;
    GETFONTSIZE(dw, dh);
    EXPECT_EQ(dw, 4.0);
    EXPECT_EQ(dh, 6.0);
}

TEST_F(Commands2D, PrintOfANumberDrawsItsText)
{
    LOADFONT(DGStr(""), 0); // the built-in font
    struct Case {
        double value;
        const char* text;
        const char* other; // a text that must look different
    };
    for (const Case c : {Case{3.5, "3.5", "3.50"}, Case{0.25, ".25", "0.25"}, Case{100, "100", "100."}}) {
        Clear(kBlack);
        PRINT(c.value, 0, 0);
        std::vector<Rgb> number = Area(48, 8);
        Clear(kBlack);
        PRINT(DGStr(c.text), 0, 0);
        EXPECT_EQ(number, Area(48, 8)) << c.text;
        Clear(kBlack);
        PRINT(DGStr(c.other), 0, 0);
        EXPECT_NE(number, Area(48, 8)) << c.other;
    }
    // An empty text draws nothing.
    Clear(kBlack);
    PRINT(DGStr(""), 0, 0);
    EXPECT_EQ(Area(8, 8), std::vector<Rgb>(64, kBlack));
}

TEST_F(Commands2D, SavebmpWritesTheWindowAsBmpOrPng)
{
    DRAWRECT(0, 0, 10, 10, 0x0000FF);
    const std::string bmp = Path("s.bmp"), png = Path("s.png");
    EXPECT_EQ(SAVEBMP(DGStr(bmp.c_str())), 1.0);
    EXPECT_EQ(std::filesystem::file_size(bmp), 1440054u); // 54 + 600 rows of 2,400 bytes
    EXPECT_EQ(SAVEBMP(DGStr(png.c_str())), 1.0);
    std::ifstream in(png, std::ios::binary);
    char sig[8] = {};
    in.read(sig, 8);
    EXPECT_EQ(std::string(sig, 8), std::string("\x89PNG\r\n\x1a\n", 8));

    ASSERT_EQ(LoadGrid(9, Solid(5, 3, Rgb{1, 2, 3})), 1);
    const std::string sprite = Path("sprite.bmp");
    EXPECT_EQ(SAVESPRITE(DGStr(sprite.c_str()), 9), 1.0);
    EXPECT_EQ(std::filesystem::file_size(sprite), 54u + 3 * 16);
}

TEST_F(Commands2D, SpriteLoadersLeaveMissingFilesEmpty)
{
    ASSERT_EQ(LoadGrid(11, Solid(8, 8, Rgb{9, 9, 9})), 1);
    const std::string missing = Path("nothing.bmp");
    CaptureStdout();
    EXPECT_EQ(LOADSPRITE(DGStr(missing.c_str()), 11), 0.0);
    EXPECT_NE(GetCapturedStdout().find("LOADSPRITE: failed to open file: " + missing + "\n"),
              std::string::npos);
    int w = -1, h = -1;
    GETSPRITESIZE(11, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    CaptureStdout();
    EXPECT_EQ(LOADANIM(DGStr(missing.c_str()), 12, 4, 4), 0.0);
    EXPECT_EQ(LOADBUMPTEXTURE(DGStr(missing.c_str()), 13), 0.0);
    GetCapturedStdout();
    EXPECT_EQ(R->m_sprites[12].tileWidth, 0);
    EXPECT_EQ(R->m_sprites[13].imgWidth, 0);

    // A name longer than any path is simply not found.
    CaptureStdout();
    EXPECT_EQ(LOADSPRITE(DGStr(std::string(5000, 'a').c_str()), 11), 0.0);
    GetCapturedStdout();

    const std::string real = WriteFile("anim.bmp", fixtures::EncodeBmp(Solid(32, 16, Rgb{200, 0, 0})));
    EXPECT_EQ(LOADANIM(DGStr(real.c_str()), 12, 8, 16), 1.0);
    EXPECT_EQ(R->m_sprites[12].tileWidth, 8);
    EXPECT_EQ(R->m_sprites[12].tileHeight, 16);
    double dw = 0, dh = 0;
    GETSPRITESIZE(12.9, dw, dh);
    EXPECT_EQ(dw, 32.0);
    EXPECT_EQ(dh, 16.0);
    EXPECT_EQ(LOADBUMPTEXTURE(DGStr(real.c_str()), 13), 1.0);
    EXPECT_NE(R->m_sprites[13].texture2, 0u);
}

TEST_F(Commands2D, SpriteNumbersOutsideTheTableDoNothing)
{
    int w = -1, h = -1;
    for (int n : {-1, 65536, 1 << 30}) {
        GETSPRITESIZE(n, w, h);
        EXPECT_EQ(w, 0);
        EXPECT_EQ(get_sprite_texture(n), 0u);
        EXPECT_EQ(LOADSPRITE(DGStr("x.bmp"), n), 0.0);
        DRAWSPRITE(n, 0, 0);
        ZOOMSPRITE(n, 0, 0, 2, 2);
        EXPECT_EQ(SPRCOLL(n, 0, 0, 1, 0, 0), 0.0);
    }
    EXPECT_EQ(Read(0, 0), kBlack);
}

// Positions and sizes at the ends of the int range (as a program passes
// 2^31 - 1 or -2^31) lie far off the window: nothing may wrap round onto it.
TEST_F(Commands2D, PositionsAtTheEndsOfTheIntRangeStayOffTheWindow)
{
    constexpr int kMax = 2147483647, kMin = -2147483647 - 1;
    ASSERT_EQ(LoadGrid(20, Solid(8, 8, Rgb{0, 200, 0})), 1);
    ASSERT_EQ(LOADANIM(DGStr(WriteFile("anim.bmp", fixtures::EncodeBmp(Solid(8, 8, Rgb{0, 200, 0}))).c_str()), 21, 4, 4), 1.0);
    struct Case {
        const char* what;
        void (*draw)();
    };
    const Case cases[] = {
        {"DRAWSPRITE at the largest x", [] { DRAWSPRITE(20, kMax - 1, 0); }},
        {"DRAWSPRITE at the largest y", [] { DRAWSPRITE(20, 0, kMax - 1); }},
        {"DRAWSPRITE at the largest x and y", [] { DRAWSPRITE(20, kMax, kMax); }},
        {"ROTOSPRITE at the largest x", [] { ROTOSPRITE(20, kMax, kMax, 45); }},
        {"ROTOZOOMSPRITE at the largest x", [] { ROTOZOOMSPRITE(20, kMax, 0, 10, 2); }},
        {"ROTOZOOMANIM at the largest x", [] { ROTOZOOMANIM(21, 0, kMax, kMax, 30, 1); }},
        {"DRAWRECT with the smallest corner and sizes", [] { DRAWRECT(kMin, kMin, kMin, kMin, 0xFFFFFF); }},
        {"DRAWRECT at the largest corner", [] { DRAWRECT(kMax, kMax, 10, 10, 0xFFFFFF); }},
    };
    for (const Case& c : cases) {
        Clear(kBlack);
        c.draw();
        for (int x : {0, 1, W / 2, W - 1})
            for (int y : {0, H / 2, H - 1})
                EXPECT_EQ(Read(x, y), kBlack) << c.what << " at " << x << "," << y;
    }
}

// Reads, grabs and viewports placed at the ends of the int range: rows are
// counted from the bottom in GL, and that turn must not overflow. Nothing
// lands on the window.
TEST_F(Commands2D, ReadsGrabsAndViewportsAtTheEndsOfTheIntRange)
{
    constexpr int kMax = 2147483647, kMin = -2147483647 - 1;
    struct Case {
        int x, y, w, h;
    };
    const Case cases[] = {
        {0, kMin, 8, 8}, {kMin, kMax, 8, 8}, {kMax, kMax, 10, 10}, {kMin, kMin, kMax, kMax}, {0, kMax, 1, kMax},
        {kMax, 15, 15, 15}, {kMax - 20, 0, 40, 8}, {kMin, 15, 15, 15}, {kMax, 0, 8, 8},
    };
    for (const Case& c : cases) {
        Clear(kGrey);
        EXPECT_EQ(GETPIXEL(c.x, c.y), 0.0) << c.x << "," << c.y;
        GRABSPRITE(22, c.x, c.y, c.w, c.h);
        VIEWPORT(c.x, c.y, c.w, c.h);
        GRABSPRITE(23, 0, 0, 8, 8); // probes the colour key inside the viewport
        DRAWRECT(0, 0, 4, 4, 0xFFFFFF);
        VIEWPORT(0, 0, 0, 0);
        EXPECT_EQ(Read(W / 2, H / 2), kGrey) << c.x << "," << c.y << " " << c.w << "x" << c.h;
        EXPECT_EQ(Read(W - 1, 0), kGrey) << c.x << "," << c.y << " " << c.w << "x" << c.h;
    }
}

TEST_F(Commands2D, BoxcollCountsBothEdgesOfEachBox)
{
    struct Case {
        int x1, y1, w1, h1, x2, y2, w2, h2;
        double hit;
    };
    const Case cases[] = {
        {0, 0, 10, 10, 9, 9, 5, 5, 1},  {0, 0, 10, 10, 10, 0, 5, 5, 0}, {0, 0, 10, 10, 0, 10, 5, 5, 0},
        {10, 10, -5, -5, 4, 4, 2, 2, 0}, {10, 10, -5, -5, 5, 5, 2, 2, 1}, {3, 3, 0, 0, 3, 3, 1, 1, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BOXCOLL(c.x1, c.y1, c.w1, c.h1, c.x2, c.y2, c.w2, c.h2), c.hit)
            << c.x1 << "," << c.y1 << " " << c.w1 << "x" << c.h1 << " vs " << c.x2 << "," << c.y2;
}

TEST_F(Commands2D, ScreenQueriesViewportAndFrameLimit)
{
    int w = 0, h = 0;
    GETSCREENSIZE(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    double dw = 0, dh = 0;
    GETSCREENSIZE(dw, dh);
    EXPECT_EQ(dw, 800.0);
    EXPECT_EQ(dh, 600.0);
    EXPECT_EQ(ISFULLSCREEN(), 0.0);

    struct Case {
        double fps, period;
    };
    for (const Case c : {Case{50, 20.0}, Case{0, 2.0}, Case{-5, 2.0}, Case{60.9, 1000.0 / 60}}) {
        LIMITFPS(c.fps);
        EXPECT_DOUBLE_EQ(R->m_framePeriod, c.period) << c.fps;
    }
    LIMITFPS(1e300); // saturates instead of an undefined conversion
    EXPECT_LT(R->m_framePeriod, 1e-6);
    LIMITFPS(60);

    VIEWPORT(10, 20, 100, 50);
    DRAWRECT(0, 0, 5, 5, 0x00FF00);
    EXPECT_EQ(Read(10, 20), (Rgb{0, 255, 0}));
    EXPECT_EQ(Read(9, 20), kBlack);
    VIEWPORT(0, 0, 0, 0);
    EXPECT_EQ(R->m_viewW, 800);
}

TEST_F(Commands2D, PrimitivesAndPolygonsForward)
{
    SETPIXEL(5, 5, 0x00FF00);
    EXPECT_EQ(GETPIXEL(5, 5), static_cast<double>(0x00FF00));
    DRAWLINE(20, 20, 20, 20, 0xFF0000);
    EXPECT_EQ(Read(20, 20), (Rgb{0, 0, 255}));
    STARTPOLY(-1);
    POLYVECTOR(100, 100, 0, 0, 0x0000FF);
    POLYVECTOR(100, 200, 0, 0, 0x0000FF);
    POLYVECTOR(200, 200, 0, 0, 0x0000FF);
    POLYVECTOR(200, 100, 0, 0, 0x0000FF);
    ENDPOLY();
    EXPECT_EQ(Read(150, 150), (Rgb{255, 0, 0}));
}

} // namespace
