// 2D drawing on a real window: rectangles, lines and pixels, stretched,
// mirrored and rotated sprites, tiles, polygons with per-vertex colours and
// the 2D viewport, read back pixel by pixel.
#include "gl_window.h"

#include "media/drawing.h"
#include "media/gl_extensions.h"

using namespace gltest;
using fixtures::Grid;
using Drawing = Window;

namespace {

const Rgb kBlack{0, 0, 0};

// Counts lit pixels in a rectangle.
int Lit(int x0, int y0, int x1, int y1)
{
    int n = 0;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (!(Window::Read(x, y) == kBlack)) ++n;
    return n;
}

// A 4 x 2 picture with four distinct columns per row.
Grid Columns()
{
    Grid g;
    g.w = 4;
    g.h = 2;
    g.px = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0},
            {0, 200, 200}, {200, 0, 200}, {100, 100, 100}, {250, 250, 250}};
    return g;
}

} // namespace

TEST_F(Drawing, RectangleWithNegativeSizesCoversTheSamePixels)
{
    R->DrawRect(50, 20, -10, 5, 0x0000FF);
    EXPECT_EQ(Read(41, 20), Rgb({255, 0, 0}));
    EXPECT_EQ(Read(50, 24), Rgb({255, 0, 0}));
    EXPECT_EQ(Read(40, 20), kBlack);
    EXPECT_EQ(Read(51, 20), kBlack);
    EXPECT_EQ(Read(45, 25), kBlack);
    EXPECT_EQ(Lit(35, 15, 55, 30), 50);
    R->DrawRect(100, 100, 4, -3, 0x00FF00); // rows 98..100
    EXPECT_EQ(Read(100, 98), Rgb({0, 255, 0}));
    EXPECT_EQ(Read(100, 97), kBlack);
    EXPECT_EQ(Lit(95, 95, 110, 105), 12);
}

TEST_F(Drawing, LinesLightBothEndsAndAPointLineOnePixel)
{
    R->DrawLine(30, 30, 30, 30, 0xFFFFFF);
    EXPECT_EQ(Read(30, 30), Rgb({255, 255, 255}));
    EXPECT_EQ(Lit(25, 25, 35, 35), 1);
    R->DrawLine(10, 100, 20, 100, 0x00FFFF);
    EXPECT_EQ(Read(10, 100), Rgb({255, 255, 0}));
    EXPECT_EQ(Read(20, 100), Rgb({255, 255, 0}));
    EXPECT_EQ(Lit(5, 95, 25, 105), 11);
    R->DrawPixel(200, 201, 0x804020);
    EXPECT_EQ(Read(200, 201), Rgb({0x20, 0x40, 0x80}));
    EXPECT_EQ(Lit(195, 195, 205, 205), 1);
}

TEST_F(Drawing, KeyColourDrawsTransparentWhenBlending)
{
    Clear(Rgb{0, 0, 120});
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    R->DrawRect(10, 10, 5, 5, 0x8000FF);
    R->DrawRect(20, 10, 5, 5, 0x0000FF);
    glDisable(GL_BLEND);
    EXPECT_EQ(Read(12, 12), Rgb({0, 0, 120}));
    EXPECT_EQ(Read(22, 12), Rgb({255, 0, 0}));
}

TEST_F(Drawing, GetPixelReadsTheTarget)
{
    EXPECT_EQ(R->GetPixel(5, 5), 0u) << "cleared to black";
    R->DrawPixel(7, 9, 0x123456);
    EXPECT_EQ(R->GetPixel(7, 9), 0x123456u);
    R->DrawPixel(W - 1, H - 1, 0x00AB00);
    EXPECT_EQ(R->GetPixel(W - 1, H - 1), 0x00AB00u);
}

TEST_F(Drawing, StretchSpriteScalesAndMirrors)
{
    ASSERT_EQ(LoadGrid(20, Columns()), 1);
    R->SetSmoothShading(false);
    const Grid g = Columns();
    struct Case { const char* name; int x, y, w, h; bool flipX, flipY; };
    const Case cases[] = {
        {"plain", 100, 100, 8, 4, false, false},
        {"mirror_x", 108, 100, -8, 4, true, false},
        {"mirror_y", 100, 104, 8, -4, false, true},
        {"half_turn", 108, 104, -8, -4, true, true},
    };
    for (const Case& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT);
        R->StretchSprite(20, c.x, c.y, c.w, c.h);
        // Every case covers pixels 100..107 by 100..103.
        for (int py = 0; py < 4; ++py)
            for (int px = 0; px < 8; ++px) {
                const int ix = (c.flipX ? 7 - px : px) / 2, iy = (c.flipY ? 3 - py : py) / 2;
                ASSERT_EQ(Read(100 + px, 100 + py), g.at(ix, iy)) << c.name << " " << px << "," << py;
            }
        EXPECT_EQ(Lit(95, 95, 112, 108), 32) << c.name;
    }
    R->SetSmoothShading(true);
}

TEST_F(Drawing, RotoSpriteTurnsCounterClockwise)
{
    // 16 x 16: red top half, green bottom half.
    Grid g;
    g.w = g.h = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) g.px.push_back(y < 8 ? Rgb{220, 0, 0} : Rgb{0, 220, 0});
    ASSERT_EQ(LoadGrid(21, g), 1);
    R->SetSmoothShading(false);
    R->RotoSprite(21, 100, 100, 90, 1.0f);
    R->SetSmoothShading(true);
    // The centre is (108, 108); the top turned to the left.
    EXPECT_EQ(Read(102, 108), Rgb({220, 0, 0}));
    EXPECT_EQ(Read(113, 108), Rgb({0, 220, 0}));
    EXPECT_EQ(Read(108, 101).r > 0, Read(108, 114).r > 0) << "top and bottom now split left/right";
    glClear(GL_COLOR_BUFFER_BIT);
    R->RotoSprite(21, 100, 100, 0, 2.0f);
    EXPECT_EQ(Read(93, 93), Rgb({220, 0, 0})) << "scaled about the centre";
    EXPECT_EQ(Read(122, 122), Rgb({0, 220, 0}));
}

TEST_F(Drawing, TilesAreCutFromTheTopLeftAndBadTilesDrawNothing)
{
    // 32 x 16 cut into 8 x 8: tile k has colour (10k + 5, 255 - 10k, 7).
    Grid g;
    g.w = 32;
    g.h = 16;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) {
            const int k = (y / 8) * 4 + x / 8;
            g.px.push_back(Rgb{static_cast<std::uint8_t>(10 * k + 5), static_cast<std::uint8_t>(255 - 10 * k), 7});
        }
    ASSERT_EQ(LoadGrid(22, g), 1);
    R->DrawTile(22, 0, 0, 0); // not cut into tiles yet
    EXPECT_EQ(Lit(0, 0, 10, 10), 0);
    R->TileSprite(22, 8, 8);
    for (int k = 0; k < 8; ++k) {
        R->DrawTile(22, k, 20 * k, 50);
        EXPECT_EQ(Read(20 * k + 3, 53), g.at((k % 4) * 8 + 3, (k / 4) * 8 + 3)) << k;
        EXPECT_EQ(Read(20 * k + 7, 57), g.at((k % 4) * 8 + 7, (k / 4) * 8 + 7)) << k;
    }
    EXPECT_EQ(Lit(0, 59, 200, 60), 0) << "tiles are 8 high";
    R->StretchTile(22, 5, 300, 50, 16, 16);
    EXPECT_EQ(Read(310, 60), g.at(13, 13));
    glClear(GL_COLOR_BUFFER_BIT);
    for (int k : {-1, 8, 1000, 1 << 30}) {
        R->DrawTile(22, k, 0, 0);
        R->StretchTile(22, k, 0, 0, 20, 20);
        R->RotoZoomTile(22, k, 0, 0, 45, 2);
    }
    R->TileSprite(22, 64, 8); // wider than the picture
    R->DrawTile(22, 0, 0, 0);
    R->TileSprite(22, 8, 0);
    R->DrawTile(22, 0, 0, 0);
    EXPECT_EQ(Lit(0, 0, 40, 40), 0);
}

TEST_F(Drawing, PolygonBlendsItsVertexColours)
{
    R->StartPoly(-1);
    R->PolyPoint(100, 300, 0, 0, 0x0000FF); // red
    R->PolyPoint(300, 300, 0, 0, 0x00FF00); // green
    R->PolyPoint(200, 100, 0, 0, 0xFF0000); // blue
    R->EndPoly();
    const Rgb nearRed = Read(110, 297), nearGreen = Read(290, 297), nearBlue = Read(200, 110);
    EXPECT_GT(nearRed.r, 200);
    EXPECT_GT(nearGreen.g, 200);
    EXPECT_GT(nearBlue.b, 200);
    const Rgb mid = Read(200, 233);
    EXPECT_GT(mid.r, 40);
    EXPECT_GT(mid.g, 40);
    EXPECT_GT(mid.b, 40);
    EXPECT_EQ(Read(100, 120), kBlack) << "outside the triangle";
}

TEST_F(Drawing, TexturedPolygonMapsImagePixels)
{
    const Grid g = fixtures::PatternGrid(16, 16, 16);
    ASSERT_EQ(LoadGrid(23, g), 1);
    R->SetSmoothShading(false);
    R->StartPoly(23);
    R->PolyPoint(50, 50, 0, 0, 0xFFFFFF);
    R->PolyPoint(50, 66, 0, 16, 0xFFFFFF);
    R->PolyPoint(66, 66, 16, 16, 0xFFFFFF);
    R->PolyPoint(66, 50, 16, 0, 0xFFFFFF);
    R->EndPoly();
    R->SetSmoothShading(true);
    EXPECT_EQ(Read(51, 51), g.at(1, 1));
    EXPECT_EQ(Read(64, 52), g.at(14, 2));
    EXPECT_EQ(Read(53, 65), g.at(3, 15));
}

TEST_F(Drawing, ViewportOffsetsAndClipsDrawing)
{
    R->Make2DViewport(100, 50, 200, 150);
    R->DrawRect(0, 0, 10, 10, 0x0000FF);
    R->DrawRect(195, 145, 20, 20, 0x00FF00);
    R->Make2DViewport(0, 0, 0, 0);
    EXPECT_EQ(Read(100, 50), Rgb({255, 0, 0}));
    EXPECT_EQ(Read(109, 59), Rgb({255, 0, 0}));
    EXPECT_EQ(Read(99, 50), kBlack);
    EXPECT_EQ(Read(299, 199), Rgb({0, 255, 0}));
    EXPECT_EQ(Read(300, 199), kBlack) << "clipped at the viewport";
    EXPECT_EQ(Read(299, 200), kBlack);
}

TEST_F(Drawing, SetTexture3DSelectsUnitsAndGlobalTexture)
{
    ASSERT_EQ(LoadGrid(24, fixtures::PatternGrid(4, 4, 16)), 1);
    ASSERT_EQ(LoadGrid(25, fixtures::PatternGrid(4, 4, 16)), 1);
    R->SetTexture3D(24, 25, 0, nullptr);
    EXPECT_EQ(__VELTRIC__::g_nTexture, 24);
    GLint bound = 0;
    if (__VELTRIC__::glActiveTextureArb) {
        __VELTRIC__::glActiveTextureArb(GL_TEXTURE1_ARB);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), R->m_sprites[24].texture) << "first texture on unit 1";
        __VELTRIC__::glActiveTextureArb(GL_TEXTURE0_ARB);
    }
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), R->m_sprites[25].texture) << "second texture on unit 0";
    unsigned int ids[2] = {R->m_sprites[25].texture, R->m_sprites[24].texture};
    R->SetTexture3D(1, -1, 0, ids);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), R->m_sprites[24].texture) << "ids given by the caller";
    R->SetTexture3D(-1, -1, 0, nullptr);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(__VELTRIC__::g_nTexture, -1);
    if (__VELTRIC__::glActiveTextureArb) {
        // A sprite drawn after two textures were bound turns unit 1 off.
        R->SetTexture3D(24, 25, 0, nullptr);
        R->DrawSprite(24, 0, 0);
        __VELTRIC__::glActiveTextureArb(GL_TEXTURE1_ARB);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        __VELTRIC__::glActiveTextureArb(GL_TEXTURE0_ARB);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    }
}
