// The sprite table on a real window: loading pictures into textures,
// drawing them back pixel for pixel, the colour key and edge colour,
// grabbing, saving, and sprite numbers or sizes the table cannot hold.
#include "gl_window.h"

#include <iterator>

#include "media/commands2d.h"
#include "media/image.h"

using namespace gltest;
using SpriteTable = Window;
using fixtures::Grid;

namespace {

Grid Corners(int w, int h)
{
    Grid g = fixtures::PatternGrid(w, h, 16);
    g.px[0] = Rgb{250, 10, 10};
    g.px[w - 1] = Rgb{10, 250, 10};
    g.px[static_cast<std::size_t>(h - 1) * w] = Rgb{10, 10, 250};
    g.px[static_cast<std::size_t>(h) * w - 1] = Rgb{250, 250, 10};
    return g;
}

fixtures::Bytes ReadAll(const std::string& name)
{
    std::ifstream f(name, std::ios::binary);
    return fixtures::Bytes(std::istreambuf_iterator<char>(f), {});
}

} // namespace

TEST_F(SpriteTable, LoadedPictureDrawsPixelForPixel)
{
    const Grid g = Corners(100, 50);
    ASSERT_EQ(LoadGrid(3, g), 1);
    int w, h;
    R->GetSpriteSize(3, w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_EQ(R->GetSpriteSize(3).width, 100);
    EXPECT_EQ(R->GetSpriteSize(3).height, 50);
    const SpriteRecord& s = R->m_sprites[3];
    EXPECT_EQ(s.texWidth, 128);
    EXPECT_EQ(s.texHeight, 64);
    // The mipmapped square copy: 64 x 64 down to 1 x 1, seven levels.
    ASSERT_NE(s.texture2, 0u);
    glBindTexture(GL_TEXTURE_2D, s.texture2);
    GLint side0 = 0, side6 = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &side0);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 6, GL_TEXTURE_WIDTH, &side6);
    EXPECT_EQ(side0, 64);
    EXPECT_EQ(side6, 1);

    R->DrawSprite(3, 10, 20);
    for (int y = 0; y < 50; y += 7)
        for (int x = 0; x < 100; x += 9) ASSERT_EQ(Read(10 + x, 20 + y), g.at(x, y)) << x << "," << y;
    EXPECT_EQ(Read(10, 20), g.at(0, 0));
    EXPECT_EQ(Read(109, 20), g.at(99, 0));
    EXPECT_EQ(Read(10, 69), g.at(0, 49));
    EXPECT_EQ(Read(109, 69), g.at(99, 49));
    EXPECT_EQ(Read(110, 20), Rgb({0, 0, 0})) << "nothing right of the picture";
    EXPECT_EQ(Read(10, 70), Rgb({0, 0, 0})) << "nothing below it";
}

TEST_F(SpriteTable, KeyColourShowsTheBackgroundAndEdgeColourFillsItInTheTexture)
{
    Grid g;
    g.w = 20;
    g.h = 10;
    g.px.assign(200, Rgb{200, 30, 40});
    g.px[4 * 20 + 4] = Rgb{255, 0, 128};
    ASSERT_EQ(LoadGrid(5, g), 1);
    Clear(Rgb{0, 0, 90});
    R->DrawSprite(5, 30, 40);
    EXPECT_EQ(Read(34, 44), Rgb({0, 0, 90})) << "key pixel is transparent";
    EXPECT_EQ(Read(35, 44), Rgb({200, 30, 40}));

    // In the texture the key pixel took the colour of its neighbours, so
    // bilinear filtering does not bleed magenta into the picture.
    const std::string out = Path("saved.bmp");
    ASSERT_EQ(R->SaveBMPSprite(5, out.c_str()), 1);
    __VELTRIC__::OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadImageBMP(out.c_str(), __VELTRIC__::kNoColorKey), 1);
    ASSERT_EQ(img.width, 20);
    ASSERT_EQ(img.height, 10);
    const std::uint8_t* p = img.pixels + (4 * 20 + 4) * 4;
    EXPECT_EQ(p[0], 200);
    EXPECT_EQ(p[1], 30);
    EXPECT_EQ(p[2], 40);
}

TEST_F(SpriteTable, TinyPictureGetsTheSmallestTexture)
{
    Grid g;
    g.w = g.h = 1;
    g.px = {Rgb{1, 2, 3}};
    ASSERT_EQ(LoadGrid(6, g), 1);
    EXPECT_EQ(R->m_sprites[6].texWidth, 2);
    EXPECT_EQ(R->m_sprites[6].texHeight, 2);
    R->DrawSprite(6, 0, 0);
    EXPECT_EQ(Read(0, 0), Rgb({1, 2, 3}));
}

TEST_F(SpriteTable, FontSlotsUseNearestFilteringWithoutSecondTexture)
{
    ASSERT_EQ(LoadGrid(kFirstFontSprite, fixtures::PatternGrid(16, 8, 16), 0), 1);
    const SpriteRecord& s = R->m_sprites[kFirstFontSprite];
    EXPECT_EQ(s.texture2, 0u);
    glBindTexture(GL_TEXTURE_2D, s.texture);
    GLint mag = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    EXPECT_EQ(mag, GL_NEAREST);
}

TEST_F(SpriteTable, FailedLoadReportsAndLeavesTheSlotFree)
{
    ASSERT_EQ(LoadGrid(8, fixtures::PatternGrid(4, 4, 16)), 1);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(__VELTRIC__::LOADSPRITE(DGStr("x.png"), 8), 0.0);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("LOADSPRITE: failed to open file: x.png"), std::string::npos) << out;
    int w = -1, h = -1;
    R->GetSpriteSize(8, w, h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);

    // A file that exists but is no picture.
    const std::string junk = WriteFile("junk.bmp", fixtures::Bytes(100, 'x'));
    EXPECT_EQ(R->LoadSprite(8, junk.c_str(), 0x8000FF, false), 0);
    R->GetSpriteSize(8, w, h);
    EXPECT_EQ(w, 0);
}

TEST_F(SpriteTable, GrabbedAreaDrawsBackShifted)
{
    // A pattern of coloured blocks, one of them in the key colour.
    R->DrawRect(50, 60, 15, 10, 0x0000C8);
    R->DrawRect(65, 60, 15, 10, 0x00C800);
    R->DrawRect(50, 70, 15, 10, 0xC80000);
    R->DrawRect(65, 70, 15, 10, 0x8000FF);
    ASSERT_EQ(R->GrabSprite(7, 50, 60, 30, 20), 1);
    int w, h;
    R->GetSpriteSize(7, w, h);
    EXPECT_EQ(w, 30);
    EXPECT_EQ(h, 20);
    EXPECT_EQ(R->m_sprites[7].texWidth, 32);
    EXPECT_EQ(R->m_sprites[7].texHeight, 32);

    Clear(Rgb{0, 40, 0});
    R->DrawSprite(7, 200, 100);
    EXPECT_EQ(Read(200, 100), Rgb({200, 0, 0}));
    EXPECT_EQ(Read(229, 100), Rgb({0, 200, 0}));
    EXPECT_EQ(Read(200, 119), Rgb({0, 0, 200}));
    EXPECT_EQ(Read(214, 109), Rgb({200, 0, 0}));
    EXPECT_EQ(Read(215, 110), Rgb({0, 40, 0})) << "the key block grabbed as transparent";
    EXPECT_EQ(Read(230, 100), Rgb({0, 40, 0}));
}

TEST_F(SpriteTable, GrabOfAnEmptyOrHugeAreaIsBounded)
{
    EXPECT_EQ(R->GrabSprite(9, 0, 0, 0, 10), 0);
    EXPECT_EQ(R->GrabSprite(9, 0, 0, 10, -5), 0);
    int w, h;
    R->GetSpriteSize(9, w, h);
    EXPECT_EQ(w, 0) << "refused grabs record nothing";
    // Sides beyond the window are clamped to it (and the doubling of the
    // texture side ends).
    ASSERT_EQ(R->GrabSprite(9, 0, 0, 1 << 30, 1 << 30), 1);
    R->GetSpriteSize(9, w, h);
    EXPECT_EQ(w, W);
    EXPECT_EQ(h, H);
}

TEST_F(SpriteTable, SpriteNumbersOutsideTheTableDoNothing)
{
    R->DrawRect(0, 0, 4, 4, 0x00FF00);
    const std::string pic = WriteFile("p.bmp", fixtures::EncodeBmp(fixtures::PatternGrid(4, 4, 16)));
    for (int n : {-1, 65536, 70000}) {
        EXPECT_EQ(R->LoadSprite(n, pic.c_str(), 0x8000FF, false), 0) << n;
        EXPECT_EQ(R->GrabSprite(n, 0, 0, 4, 4), 0) << n;
        EXPECT_EQ(R->SaveBMPSprite(n, Path("x.bmp").c_str()), 0) << n;
        EXPECT_EQ(R->SpriteCollision(n, n, 0, 0, 0, 0), 0) << n;
        EXPECT_EQ(R->TileCollision(n, 0, 0, 0, n, 0, 0, 0), 0) << n;
        int w = -1, h = -1;
        R->GetSpriteSize(n, w, h);
        EXPECT_EQ(w, 0) << n;
        EXPECT_EQ(h, 0) << n;
        EXPECT_EQ(R->GetSpriteSize(n).width, 0) << n;
        EXPECT_EQ(R->GetSpriteSize(n).height, 0) << n;
        R->FreeSprite(n);
        R->TileSprite(n, 2, 2);
        R->GetSpritePixels(n);
        R->DrawSprite(n, 0, 0);
        R->StretchSprite(n, 0, 0, 4, 4);
        R->RotoSprite(n, 0, 0, 30, 1);
        R->DrawTile(n, 0, 0, 0);
        R->StretchTile(n, 0, 0, 0, 4, 4);
        R->RotoZoomTile(n, 0, 0, 0, 30, 1);
        R->DrawBillboard(n, 0, 0, 0, 1);
    }
    EXPECT_EQ(Read(1, 1), Rgb({0, 255, 0}));
}

TEST_F(SpriteTable, SavingAFreeSpriteFails)
{
    R->FreeSprite(11);
    EXPECT_EQ(R->SaveBMPSprite(11, Path("free.bmp").c_str()), 0);
    std::ifstream f(Path("free.bmp"));
    EXPECT_FALSE(f.good());
}

TEST_F(SpriteTable, SaveBmpOfTheWindow)
{
    R->DrawRect(0, 0, W, H, 0x102030);
    R->DrawPixel(3, 4, 0x0000FF);
    R->DrawPixel(W - 1, H - 1, 0x00FF00);
    const std::string out = Path("shot.bmp");
    ASSERT_EQ(R->SaveBMPFile(out.c_str()), 1);
    const fixtures::Bytes f = ReadAll(out);
    const std::size_t row = (static_cast<std::size_t>(W) * 3 + 3) & ~std::size_t(3);
    ASSERT_EQ(f.size(), 54 + row * H);
    if (W == 640 && H == 480) {
        EXPECT_EQ(f.size(), 921654u);
    }
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[28], 24);
    __VELTRIC__::OPENGL_IMAGE img;
    ASSERT_EQ(img.LoadBMPFromMemory(f.data(), f.size(), __VELTRIC__::kNoColorKey), 1);
    auto at = [&](int x, int y) {
        const std::uint8_t* p = img.pixels + (static_cast<std::size_t>(y) * W + x) * 4;
        return Rgb{p[0], p[1], p[2]};
    };
    EXPECT_EQ(at(3, 4), Rgb({255, 0, 0}));
    EXPECT_EQ(at(W - 1, H - 1), Rgb({0, 255, 0}));
    EXPECT_EQ(at(W - 2, H - 1), Rgb({0x30, 0x20, 0x10}));
    EXPECT_EQ(at(0, H - 1), Rgb({0x30, 0x20, 0x10}));
}

TEST_F(SpriteTable, CookieColourIsTheKeyAsStoredAndLeavesTheProbePixel)
{
    R->DrawRect(0, 0, 10, 10, 0x123456);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const std::uint32_t k = R->GetTrueCookieColor();
    glDisable(GL_BLEND);
    EXPECT_EQ(k, 0xFF008000u);
    EXPECT_EQ(Read(4, 4), Rgb({0x56, 0x34, 0x12}));
    R->SetColorKey(0);
    EXPECT_EQ(R->GetTrueCookieColor(), 0u);
}

TEST_F(SpriteTable, InsideAScreenRowsCountFromThePictureTop)
{
    // Sprite 40 is 100 x 60 in a 128 x 64 texture: the screen's picture,
    // not its texture, decides which row is the top.
    ASSERT_EQ(R->FBO_create(0, 40, 100, 60), 1);
    R->FBO_start(0);
    R->DrawPixel(5, 2, 0x336699);
    EXPECT_EQ(R->GetPixel(5, 2), 0x336699u);
    const std::uint32_t key = R->GetTrueCookieColor();
    EXPECT_EQ(key, 0xFF008000u);
    EXPECT_EQ(R->GetPixel(4, 4), 0u) << "the probe pixel is restored";
    R->FBO_end();
    EXPECT_EQ(Read(5, 2), Rgb({0, 0, 0})) << "the window was not drawn on";
}

TEST_F(SpriteTable, GrabAsksForAlphaBitsEachTime)
{
    // A grab inside a screen (a target with alpha) must not make a later
    // grab of the window (no alpha) skip the colour key.
    ASSERT_EQ(R->FBO_create(1, 41, 64, 64), 1);
    R->FBO_start(1);
    R->DrawRect(0, 0, 8, 8, 0x00FF00);
    ASSERT_EQ(R->GrabSprite(42, 0, 0, 8, 8), 1);
    R->FBO_end();

    R->DrawRect(0, 0, 8, 8, 0x0000FF);
    R->DrawRect(0, 0, 4, 8, 0x8000FF);
    ASSERT_EQ(R->GrabSprite(43, 0, 0, 8, 8), 1);
    Clear(Rgb{0, 0, 70});
    R->DrawSprite(43, 100, 100);
    EXPECT_EQ(Read(101, 103), Rgb({0, 0, 70})) << "key half transparent";
    EXPECT_EQ(Read(106, 103), Rgb({255, 0, 0}));
}
