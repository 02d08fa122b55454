// World files on a real GL context: pictures become the slot's textures
// (BMP first, PNG after the BMP reader refuses, names matched without
// regard to case), each object is drawn with its own texture, and loading
// the slot again deletes the textures.
#include "tests/engine3d/gl_window3d.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "engine3d/dedudeve3d.h"

namespace {

using namespace __VELTRIC__;
using fixtures::Rgb;

// A white triangle with the given corners (z = 0) as a text object file.
std::string Triangle(float x0, float y0, float x1, float y1, float x2, float y2)
{
    char b[256];
    std::snprintf(b, sizeof b,
                  "DDDA 1.1\n3  0 0  1 0  0 1\n1  255 255 255  3  0 0  1 1  2 2\n"
                  "1  3  %g %g 0 0 0 1  %g %g 0 0 0 1  %g %g 0 0 0 1\n",
                  x0, y0, x1, y1, x2, y2);
    return b;
}

fixtures::Bytes Text(const std::string& s) { return fixtures::Bytes(s.begin(), s.end()); }

fixtures::Grid Plain(Rgb c)
{
    fixtures::Grid g;
    g.w = g.h = 2;
    g.px.assign(4, c);
    return g;
}

fixtures::Bytes PlainPng(Rgb c)
{
    fixtures::PngSpec s;
    s.w = s.h = 2;
    for (int i = 0; i < 4; ++i) s.rows.insert(s.rows.end(), {c.r, c.g, c.b, 255});
    return fixtures::EncodePng(s);
}

class WorldGL : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        for (int i = 0; i < 8; ++i) r3d->SpotLt(i, 0, 0, 0, 0, 0, 0, 0, 0, 0);
        r3d->Fog(0xFFFFFFFF, 0, 0, 0);
    }
};

TEST_F(WorldGL, EachObjectIsDrawnWithItsOwnTextureAndReloadingDeletesThem)
{
    WriteFile("red.bmp", fixtures::EncodeBmp(Plain(Rgb{255, 0, 0})));
    WriteFile("blue.png", PlainPng(Rgb{0, 0, 255}));
    WriteFile("left.txt", Text(Triangle(-2, -1, 0, -1, -2, 1)));
    WriteFile("right.txt", Text(Triangle(0.2f, -1, 2, -1, 0.2f, 1)));
    WriteFile("w.ddw", Text(";DDW\r\n[textures]\r\ncount=3\r\n1=red.bmp\r\n2=Blue.PNG\r\n3=missing.bmp\r\n"
                            "[objects]\r\ncount=2\r\n1=left.txt\r\n1ta=1\r\n1tb=1\r\n2=right.txt\r\n2ta=2\r\n2tb=2\r\n"));
    ::testing::internal::CaptureStdout();
    ASSERT_TRUE(r3d->LoadObject(Path("w.ddw").c_str(), 50));
    ::testing::internal::GetCapturedStdout();

    const X_WORLD& w = r3d->slots[50];
    ASSERT_EQ(w.textures.Count(), 3);
    EXPECT_TRUE(glIsTexture(w.textures[0]));
    EXPECT_TRUE(glIsTexture(w.textures[1]));
    EXPECT_EQ(w.textures[2], 0u); // a picture that cannot be read gives no texture
    ASSERT_EQ(w.objects.Count(), 2);
    EXPECT_EQ(w.objects[0].ta, 0);
    EXPECT_EQ(w.objects[1].ta, 1);
    for (int i = 0; i < 2; ++i) ASSERT_EQ(w.objects[i].object.frames[0].triangles.Count(), 3) << i;

    r3d->Make3DViewport(1, 100, 45);
    r3d->SetCamera(0, 0, 5, 0, 0, 0);
    r3d->ExtractFrustum();
    r3d->RenderAnim(50, 0, 0, 0, false);
    // Visible half sizes at the triangles' depth: 5 tan 22.5 high, 4/3 of it wide.
    const double hh = 5 * std::tan(22.5 * M_PI / 180), hw = hh * W / H;
    auto at = [&](double x, double y) {
        return Read(static_cast<int>(W / 2 + x / hw * W / 2), static_cast<int>(H / 2 - y / hh * H / 2));
    };
    const Rgb left = at(-1.5, -0.5), right = at(0.7, -0.5), between = at(0.1, -0.5);
    EXPECT_GT(left.r, 200) << left;
    EXPECT_LT(left.b, 50) << left;
    EXPECT_GT(right.b, 200) << right;
    EXPECT_LT(right.r, 50) << right;
    EXPECT_EQ(between, (Rgb{0, 0, 0}));

    const unsigned int red = w.textures[0], blue = w.textures[1];
    ::testing::internal::CaptureStdout();
    EXPECT_TRUE(r3d->LoadObject(Path("left.txt").c_str(), 50));
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(w.textures.Count(), 0);
    EXPECT_FALSE(glIsTexture(red));
    EXPECT_FALSE(glIsTexture(blue));
}

} // namespace
