// Surfaces (background pictures as tile grids) and render-to-texture
// screens, on a real 800 x 600 window with pixels read back.
#define GL_WINDOW_W 800
#define GL_WINDOW_H 600
#include "gl_window.h"

#include <chrono>
#include <vector>

#include "media/commands2d.h"
#include "media/surfaces.h"
#include "runtime/frame.h"

namespace {

using namespace gltest;
using fixtures::Grid;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

// A picture whose every pixel tells its position: red and green the low
// bits of x and y, blue which 256-pixel block it lies in.
Grid PositionGrid(int w, int h)
{
    Grid g;
    g.w = w;
    g.h = h;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            g.px.push_back(Rgb{static_cast<std::uint8_t>(x & 255), static_cast<std::uint8_t>(y & 255),
                               static_cast<std::uint8_t>(((x >> 8) << 5) | ((y >> 8) << 2))});
    return g;
}

Rgb PositionColour(int x, int y)
{
    return Rgb{static_cast<std::uint8_t>(x & 255), static_cast<std::uint8_t>(y & 255),
               static_cast<std::uint8_t>(((x >> 8) << 5) | ((y >> 8) << 2))};
}

const Rgb kBlack{0, 0, 0};
const Rgb kRed{255, 0, 0};
const Rgb kGreen{0, 255, 0};
const Rgb kBlue{0, 0, 255};
const Rgb kGrey{90, 90, 90};

class Surfaces : public Window {
protected:
    void TearDown() override
    {
        USESCREEN(-1);
        for (int i = 0; i < kSurfaceCount; ++i) R->FreeSurface(i);
        Window::TearDown();
    }
    std::string PositionBmp(const std::string& name, int w, int h)
    {
        return WriteFile(name, fixtures::EncodeBmp(PositionGrid(w, h)));
    }
};

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return out;
}

TEST_F(Surfaces, LoadbmpOfAMissingFileReportsAndLeavesTheScreenBlack)
{
    Clear(kRed);
    CaptureStdout();
    EXPECT_EQ(LOADBMP(DGStr(Path("missing.bmp").c_str())), 0.0);
    std::vector<std::string> lines = LinesOf(GetCapturedStdout());
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "Loadbmp");
    EXPECT_EQ(lines[1], "Shoeboxing");
    EXPECT_EQ(lines.back(), "failed");
    EXPECT_EQ(Read(400, 300), kBlack);
    EXPECT_EQ(R->m_surfaces[0].columns, 0);
}

TEST_F(Surfaces, LoadbmpShowsThePictureAcrossTileEdgesEveryFrame)
{
    const std::string p = PositionBmp("bg.bmp", 800, 600);
    CaptureStdout();
    EXPECT_EQ(LOADBMP(DGStr(p.c_str())), 1.0);
    EXPECT_NE(GetCapturedStdout().find("OK?\n"), std::string::npos);
    // 512-pixel tiles: two columns, two rows.
    EXPECT_EQ(R->m_surfaces[0].columns, 2);
    EXPECT_EQ(R->m_surfaces[0].rows, 2);
    for (int frame = 0; frame < 2; ++frame) {
        SHOWSCREEN(); // the background is pasted first thing of the new frame
        const int points[][2] = {{0, 0},     {511, 0},   {512, 0},   {799, 0},   {0, 511},
                                 {0, 512},   {511, 512}, {512, 511}, {300, 599}, {799, 599}};
        for (const auto& pt : points)
            EXPECT_EQ(Read(pt[0], pt[1]), PositionColour(pt[0], pt[1]))
                << "frame " << frame << " at " << pt[0] << ", " << pt[1];
    }
}

TEST_F(Surfaces, UseasbmpKeepsWhatWasDrawnOnTheNextFrame)
{
    DRAWRECT(100, 100, 50, 40, 0x0000FF); // red
    USEASBMP();
    // One tile as large as the window needs, holding exactly the window.
    const SurfaceRecord& s = R->m_surfaces[0];
    EXPECT_EQ(s.columns, 1);
    EXPECT_EQ(s.rows, 1);
    EXPECT_EQ(s.texWidth[0], 1024);
    EXPECT_EQ(s.usedWidth[0], 800);
    EXPECT_EQ(s.usedHeight[0], 600);
    const GLuint tile = s.texture[0];
    SHOWSCREEN();
    EXPECT_EQ(Read(100, 100), kRed);
    EXPECT_EQ(Read(149, 139), kRed);
    EXPECT_EQ(Read(150, 100), kBlack);
    EXPECT_EQ(Read(99, 139), kBlack);
    // Grabbing again reuses the tile's texture.
    USEASBMP();
    EXPECT_EQ(R->m_surfaces[0].texture[0], tile);

    BLACKSCREEN();
    EXPECT_EQ(R->m_surfaces[0].columns, 0);
    EXPECT_EQ(Read(120, 120), kBlack);
    SHOWSCREEN();
    EXPECT_EQ(Read(120, 120), kBlack);
}

TEST_F(Surfaces, PicturesBeyondTheTileGridAreCutAtItsEdge)
{
    struct Case {
        int w, h, columns, rows;
    };
    for (const Case c : {Case{5000, 10, 8, 1}, Case{10, 5000, 1, 8}, Case{4097, 4097, 8, 8}}) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h));
        const std::string p = PositionBmp("big.bmp", c.w, c.h);
        R->FreeSurface(1);
        const SurfaceRecord before = R->m_surfaces[1];
        ASSERT_EQ(R->LoadSurface(0, p.c_str(), false), 1);
        const SurfaceRecord& s = R->m_surfaces[0];
        EXPECT_EQ(s.columns, c.columns);
        EXPECT_EQ(s.rows, c.rows);
        // Every tile entry of the grid is a 512 tile, and the next surface
        // record was not written into.
        for (int e = 0; e < 64; ++e) {
            if (e / 8 < c.columns && e % 8 < c.rows) {
                EXPECT_EQ(s.texWidth[e], 512) << e;
                EXPECT_NE(s.texture[e], 0u) << e;
            } else {
                EXPECT_EQ(s.texture[e], 0u) << e;
            }
        }
        EXPECT_EQ(std::memcmp(&before, &R->m_surfaces[1], sizeof before), 0);
        Clear(kBlack);
        R->PasteSurface(0);
        EXPECT_EQ(Read(5, 5), PositionColour(5, 5));
        if (c.w > 512) {
            EXPECT_EQ(Read(799, 5), PositionColour(799, 5));
        }
    }
}

TEST_F(Surfaces, LoadSurfaceOfAnUnreadableFileFails)
{
    const std::string p = WriteFile("junk.bmp", fixtures::Bytes{'B', 'M', 1, 2, 3});
    EXPECT_EQ(R->LoadSurface(0, p.c_str(), false), 0);
    EXPECT_EQ(R->m_surfaces[0].columns, 0);
    Clear(kRed);
    CaptureStdout();
    EXPECT_EQ(LOADBMP(DGStr(p.c_str())), 0.0);
    GetCapturedStdout();
    EXPECT_EQ(Read(10, 10), kBlack);
}

TEST_F(Surfaces, BlendscreenOfAMissingFileChangesNothing)
{
    DRAWRECT(0, 0, 10, 10, 0x00FF00);
    USEASBMP();
    const SurfaceRecord before = R->m_surfaces[0];
    auto t0 = std::chrono::steady_clock::now();
    CaptureStdout();
    BLENDSCREEN(DGStr(Path("missing.bmp").c_str()));
    GetCapturedStdout();
    // The blend of a picture runs 1.5 s; half of that is far above a busy
    // machine's delay and far below any part of a blend.
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(700));
    EXPECT_EQ(std::memcmp(&before, &R->m_surfaces[0], sizeof before), 0);
    EXPECT_EQ(Read(5, 5), kGreen);
}

TEST_F(Surfaces, BlendscreenEndsWithThePictureAsBackground)
{
    DRAWRECT(0, 0, 800, 600, 0xFF0000); // blue, fading out
    const std::string p = PositionBmp("next.bmp", 800, 600);
    auto t0 = std::chrono::steady_clock::now();
    BLENDSCREEN(DGStr(p.c_str()));
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(1400));
    EXPECT_EQ(R->m_surfaces[1].columns, 0);
    EXPECT_EQ(R->m_surfaces[2].columns, 0);
    EXPECT_EQ(R->m_surfaces[0].columns, 2);
    EXPECT_EQ(Read(700, 500), PositionColour(700, 500));
    SHOWSCREEN();
    EXPECT_EQ(Read(123, 456), PositionColour(123, 456));
    EXPECT_FLOAT_EQ(R->m_alpha, 1.0f);
}

// ---- render-to-texture screens --------------------------------------------

// The ten entry points, saved so a test can run without them.
struct FramebufferPointers {
    decltype(FRAMEBUFFER::glBindRenderbufferExt) a = FRAMEBUFFER::glBindRenderbufferExt;
    decltype(FRAMEBUFFER::glDeleteRenderbuffersExt) b = FRAMEBUFFER::glDeleteRenderbuffersExt;
    decltype(FRAMEBUFFER::glGenRenderbuffersExt) c = FRAMEBUFFER::glGenRenderbuffersExt;
    decltype(FRAMEBUFFER::glRenderbufferStorageExt) d = FRAMEBUFFER::glRenderbufferStorageExt;
    decltype(FRAMEBUFFER::glBindFramebufferExt) e = FRAMEBUFFER::glBindFramebufferExt;
    decltype(FRAMEBUFFER::glDeleteFramebuffersExt) f = FRAMEBUFFER::glDeleteFramebuffersExt;
    decltype(FRAMEBUFFER::glGenFramebuffersExt) g = FRAMEBUFFER::glGenFramebuffersExt;
    decltype(FRAMEBUFFER::glCheckFramebufferStatusExt) h = FRAMEBUFFER::glCheckFramebufferStatusExt;
    decltype(FRAMEBUFFER::glFramebufferTexture2DExt) i = FRAMEBUFFER::glFramebufferTexture2DExt;
    decltype(FRAMEBUFFER::glFramebufferRenderbufferExt) j = FRAMEBUFFER::glFramebufferRenderbufferExt;
    void Restore() const
    {
        using namespace FRAMEBUFFER;
        glBindRenderbufferExt = a;
        glDeleteRenderbuffersExt = b;
        glGenRenderbuffersExt = c;
        glRenderbufferStorageExt = d;
        glBindFramebufferExt = e;
        glDeleteFramebuffersExt = f;
        glGenFramebuffersExt = g;
        glCheckFramebufferStatusExt = h;
        glFramebufferTexture2DExt = i;
        glFramebufferRenderbufferExt = j;
    }
};

// Each screen test runs with frame buffer objects and in the fall-back mode.
class Screens : public Surfaces, public ::testing::WithParamInterface<bool> {
protected:
    FramebufferPointers saved;
    void SetUp() override
    {
        Surfaces::SetUp();
        if (!GetParam()) {
            CaptureStdout();
            LoadFramebufferEntryPoints("GL_ARB_multitexture GL_EXT_framebuffer_objectX");
            GetCapturedStdout();
        }
    }
    void TearDown() override
    {
        Surfaces::TearDown();
        saved.Restore();
    }
};

TEST_P(Screens, DrawingGoesIntoTheSpriteAndLeavesTheWindowAlone)
{
    ASSERT_NE(FRAMEBUFFER::glGenFramebuffersExt != nullptr, !GetParam());
    Clear(kGrey);
    DRAWRECT(10, 10, 5, 5, 0x00FF00); // something of the window's own
    EXPECT_EQ(CREATESCREEN(0, 5, 100, 60), 1.0);
    int w = 0, h = 0;
    GETSPRITESIZE(5, w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 60);
    EXPECT_EQ(R->m_sprites[5].texWidth, 128);
    EXPECT_EQ(R->m_sprites[5].texHeight, 64);
    EXPECT_EQ(R->m_screens[0].fb.width != 0, GetParam());

    USESCREEN(0);
    EXPECT_EQ(R->m_currentScreen, 0);
    DRAWRECT(0, 0, 100, 60, 0x0000FF);  // red
    DRAWRECT(20, 10, 30, 20, 0xFF0000); // blue
    USESCREEN(-1);
    EXPECT_EQ(R->m_currentScreen, -1);

    EXPECT_EQ(Read(12, 12), kGreen);
    EXPECT_EQ(Read(30, 20), kGrey);
    EXPECT_EQ(Read(99, 59), kGrey);

    DRAWSPRITE(5, 300, 200);
    EXPECT_EQ(Read(300, 200), kRed);
    EXPECT_EQ(Read(399, 259), kRed);
    EXPECT_EQ(Read(320, 210), kBlue);
    EXPECT_EQ(Read(349, 229), kBlue);
    EXPECT_EQ(Read(350, 230), kRed);
    EXPECT_EQ(Read(400, 200), kGrey);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_P(Screens, UsingAnotherScreenEndsTheCurrentOne)
{
    Clear(kGrey);
    CREATESCREEN(0, 5, 40, 40);
    CREATESCREEN(1, 6, 40, 40);
    USESCREEN(0);
    DRAWRECT(0, 0, 40, 40, 0x0000FF);
    USESCREEN(1);
    EXPECT_EQ(R->m_currentScreen, 1);
    DRAWRECT(0, 0, 40, 40, 0xFF0000);
    USESCREEN(-1);
    EXPECT_EQ(Read(5, 5), kGrey);
    DRAWSPRITE(5, 100, 100);
    DRAWSPRITE(6, 200, 100);
    EXPECT_EQ(Read(110, 110), kRed);
    EXPECT_EQ(Read(210, 110), kBlue);
}

TEST_P(Screens, ASpriteReloadedAtAnotherSizeStillReceivesTheDrawing)
{
    Clear(kGrey);
    CREATESCREEN(0, 5, 100, 60);
    // The sprite is replaced by a grab of another size (512 x 256 texture).
    GRABSPRITE(5, 0, 0, 300, 200);
    USESCREEN(0);
    DRAWRECT(0, 0, 300, 200, 0x00FF00);
    USESCREEN(-1);
    EXPECT_EQ(Read(150, 100), kGrey);
    DRAWSPRITE(5, 400, 300);
    EXPECT_EQ(Read(400, 300), kGreen);
    EXPECT_EQ(Read(699, 499), kGreen);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

INSTANTIATE_TEST_SUITE_P(BothModes, Screens, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Fbo" : "Fallback"; });

TEST_F(Surfaces, CreatescreenRefusesSizesAndNumbersOutsideTheirRange)
{
    ASSERT_EQ(CREATESCREEN(0, 5, 16, 16), 1.0);
    GLint maxSide = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSide);
    struct Case {
        int screen, sprite, w, h;
    };
    for (const Case c : {Case{0, 5, 0, 10}, Case{0, 5, 10, -3}, Case{0, 5, maxSide + 1, 8},
                         Case{0, 5, 8, 20000}, Case{32, 5, 8, 8}, Case{-1, 5, 8, 8},
                         Case{0, 70000, 8, 8}, Case{0, -2, 8, 8}}) {
        EXPECT_EQ(CREATESCREEN(c.screen, c.sprite, c.w, c.h), 0.0)
            << c.screen << " " << c.sprite << " " << c.w << " " << c.h;
    }
    int w = 0, h = 0;
    GETSPRITESIZE(5, w, h);
    EXPECT_EQ(w, 16);
    EXPECT_EQ(h, 16);
    // Screens outside 0..31 are ignored by USESCREEN too.
    USESCREEN(32);
    EXPECT_EQ(R->m_currentScreen, -1);
}

TEST_F(Surfaces, FrameBufferObjectsAreOnlyUsedWhenOfferedAndComplete)
{
    FramebufferPointers saved;
    CaptureStdout();
    EXPECT_EQ(LoadFramebufferEntryPoints("GL_ARB_multitexture GL_EXT_framebuffer_object_other"), 0);
    std::string out = GetCapturedStdout();
    EXPECT_EQ(FRAMEBUFFER::glBindFramebufferExt, nullptr);
    EXPECT_EQ(FRAMEBUFFER::glFramebufferRenderbufferExt, nullptr);
    char line[128];
    std::snprintf(line, sizeof line, "ext: %-35s   [%4s]\n", "glBindRenderbufferEXT", "FAIL");
    EXPECT_EQ(out.rfind(line, 0), 0u) << out;
    FBUFFER fb{};
    EXPECT_EQ(fb.Create(64, 64, 0), 0);

    CaptureStdout();
    EXPECT_EQ(FBUFFER::InitFrameBufferObject(), 1);
    GetCapturedStdout();
    ASSERT_NE(FRAMEBUFFER::glBindFramebufferExt, nullptr);
    // A colour texture without an image makes the object incomplete, while
    // the window itself is complete: nothing is kept and the window stays
    // bound.
    GLuint empty = 0;
    glGenTextures(1, &empty);
    glBindTexture(GL_TEXTURE_2D, empty);
    EXPECT_EQ(fb.Create(64, 64, empty), 0);
    EXPECT_EQ(fb.fbo, 0u);
    EXPECT_EQ(fb.width, 0);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING_EXT, &bound);
    EXPECT_EQ(bound, 0);
    glDeleteTextures(1, &empty);

    // With an image it is complete; Clear gives the ids back.
    GLuint tex = 0;
    glGenTextures(1, &tex);
    glBindTexture(GL_TEXTURE_2D, tex);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 64, 64, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    ASSERT_EQ(fb.Create(64, 64, tex), 1);
    const GLuint id = fb.fbo;
    EXPECT_TRUE(FRAMEBUFFER::glBindFramebufferExt && id != 0);
    fb.Clear();
    EXPECT_EQ(fb.fbo, 0u);
    EXPECT_EQ(fb.width, 0);
    glDeleteTextures(1, &tex);
    saved.Restore();
}

} // namespace
