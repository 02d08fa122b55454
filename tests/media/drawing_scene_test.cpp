// One fixed 2D scene drawn through the commands and through the GL sequence
// that defines each of them, compared pixel for pixel away from the outlines
// of the draws: turned, zoomed, stretched and mirrored sprites and tiles with
// bilinear and nearest filtering, polygons that repeat their texture after
// clamped sprites, lines in every direction, rectangles, pixels and text,
// opaque and blended. Then the state a later draw meets after those
// commands: textures still repeat for polygons and the 2D matrices, colour
// and tests are those of the 2D state.
#include "gl_window.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "engine3d/projection.h"
#include "literal_2d.h"
#include "media/commands2d.h"
#include "media/drawing.h"
#include "media/gl_extensions.h"

using namespace gltest;
using fixtures::Grid;
using fixtures::Picture;
namespace cmd = literal2d::cmd;
using literal2d::Scene;
using literal2d::Way;

namespace {

// FNV-1a over the window's RGB bytes.
std::uint64_t WindowHash(std::vector<unsigned char>* keep = nullptr)
{
    std::vector<unsigned char> px(static_cast<std::size_t>(Window::W) * Window::H * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Window::W, Window::H, GL_RGB, GL_UNSIGNED_BYTE, px.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char b : px) h = (h ^ b) * 1099511628211ull;
    if (keep) *keep = px;
    return h;
}

// 16 x 16, filling its texture: bilinear sampling at its edges reaches the
// opposite edge while the texture repeats. A key-coloured corner.
Rgb Full(int x, int y)
{
    if (x < 3 && y < 3) return Rgb{0xFF, 0x00, 0x80}; // the colour key 0x8000FF
    return Rgb{static_cast<std::uint8_t>(x * 16), static_cast<std::uint8_t>(255 - y * 15),
               static_cast<std::uint8_t>(x == 0 ? 250 : (x == 15 ? 10 : 90 + (x ^ y) * 5))};
}

// 13 x 7 in a 16 x 8 texture: the padding must never show.
Rgb Odd(int x, int y)
{
    return Rgb{static_cast<std::uint8_t>(40 + x * 15), static_cast<std::uint8_t>(y * 35),
               static_cast<std::uint8_t>((x + y) % 2 ? 220 : 30)};
}

// 32 x 16 cut into 8 x 8 tiles, each with a frame of its own colour.
Rgb Tiles(int x, int y)
{
    const int k = (y / 8) * 4 + x / 8;
    const bool edge = x % 8 == 0 || x % 8 == 7 || y % 8 == 0 || y % 8 == 7;
    return Rgb{static_cast<std::uint8_t>(edge ? 250 : 20 * k), static_cast<std::uint8_t>(edge ? 30 * k : 200),
               static_cast<std::uint8_t>((x * 7 + y * 3) % 256)};
}

constexpr int kFull = 40, kOdd = 41, kTiles = 42;

class DrawingScene : public Window {
public:
    void SetUp() override
    {
        Window::SetUp();
        ASSERT_EQ(LoadGrid(kFull, Picture(16, 16, Full)), 1);
        ASSERT_EQ(LoadGrid(kOdd, Picture(13, 7, Odd)), 1);
        ASSERT_EQ(LoadGrid(kTiles, Picture(32, 16, Tiles)), 1);
        R->TileSprite(kTiles, 8, 8);
        R->DefaultFont(0);
        R->SetSmoothShading(true);
    }
    void TearDown() override
    {
        ALPHAMODE(0);
        R->SetSmoothShading(true);
        Window::TearDown();
    }

    // The scene drawn both ways and compared. A background that is neither
    // black nor white shows texels that should have failed the alpha test
    // and the blending of every draw.
    void ExpectTheLiteralPicture(const Scene& scene, const char* name)
    {
        const literal2d::Stage stage{*R, W, H, {40, 70, 100}};
        const literal2d::Frame ref = literal2d::Shoot(stage, scene, Way::Literal);
        const literal2d::Frame ours = literal2d::Shoot(stage, scene, Way::Commands);
        const literal2d::Mask outline = literal2d::Outline(stage, scene);
        EXPECT_TRUE(literal2d::MatchAwayFromOutlines(ours, ref, outline, name));
    }
};

// A 40 x 36 polygon of sprite n whose texture coordinates run on past the
// picture's edges (to 2.5 and 2.25 times it), so it shows the picture
// repeated: a texture left clamped by the sprites before it stretches the
// picture's last column and row instead.
literal2d::Draw RepeatingPolygon(int n, int x, int y)
{
    return cmd::POLYGON(n, {{x, y, 0, 0, 0xFFFFFF},
                            {x, y + 36, 0, 36, 0xFFFFFF},
                            {x + 40, y + 36, 40, 36, 0xFFFFFF},
                            {x + 40, y, 40, 0, 0xFFFFFF}});
}

// Sprites and tiles in every drawing form, in one filter mode, from (ox, oy).
void Sprites(Scene& s, int ox, int oy)
{
    // No odd multiple of 45 degrees: the 16 x 16 sprite turned so puts a
    // diagonal of pixel centres exactly on a texel boundary, where nearest
    // filtering picks the texel on either side by the last bit of the
    // corners.
    const double angles[] = {0, 17.5, 46, 90, 137.25, 180, -33, 271};
    for (int i = 0; i < 8; ++i) {
        s.push_back(cmd::ROTOSPRITE(kFull, ox + 24 * i, oy, angles[i]));
        s.push_back(cmd::ROTOZOOMSPRITE(kOdd, ox + 24 * i, oy + 24, angles[i], 0.6 + 0.3 * i));
        s.push_back(cmd::ROTOZOOMANIM(kTiles, i, ox + 24 * i, oy + 52, angles[7 - i], 1.0 + 0.25 * i));
    }
    const int sizes[][2] = {{16, 16}, {-16, 16}, {16, -16}, {-16, -16}, {23, 9}, {-7, 30}, {1, 1}, {0, 5}};
    for (int i = 0; i < 8; ++i) {
        s.push_back(cmd::STRETCHSPRITE(kFull, ox + 24 * i, oy + 84, sizes[i][0], sizes[i][1]));
        s.push_back(cmd::STRETCHSPRITE(kOdd, ox + 24 * i + 8, oy + 112, sizes[i][0], sizes[i][1]));
        s.push_back(cmd::STRETCHANIM(kTiles, 7 - i, ox + 24 * i, oy + 140, sizes[i][0], sizes[i][1]));
    }
    const double zooms[][2] = {{1, 1}, {2, 0.5}, {0.5, 2}, {-1, 1}, {1, -1.5}, {1.7, 1.3}, {0.3, 0.3}, {-2, -2}};
    for (int i = 0; i < 8; ++i) s.push_back(cmd::ZOOMSPRITE(kOdd, ox + 24 * i, oy + 176, zooms[i][0], zooms[i][1]));
    // Plain sprites and tiles after the turned ones: they sample the edges
    // of a repeating texture.
    for (int i = 0; i < 4; ++i) {
        s.push_back(cmd::DRAWSPRITE(kFull, ox + 24 * i, oy + 204));
        s.push_back(cmd::DRAWANIM(kTiles, i * 2, ox + 100 + 12 * i, oy + 204));
        s.push_back(cmd::ROTOSPRITE(kFull, ox + 24 * i + 2, oy + 212, 10.0 * i));
    }
    s.push_back(RepeatingPolygon(kFull, ox + 150, oy + 192));
}

void Primitives(Scene& s, int ox, int oy)
{
    // Lines from one centre in every direction, steep and shallow, and
    // zero-length ones.
    const int ends[][2] = {{30, 0}, {30, 7}, {30, 30}, {7, 30}, {0, 30}, {-7, 30}, {-30, 30}, {-30, 7},
                           {-30, 0}, {-30, -7}, {-30, -30}, {-7, -30}, {0, -30}, {7, -30}, {30, -30},
                           {30, -7}, {0, 0}, {1, 0}, {0, 1}, {-1, -1}, {2, 1}, {1, 2}};
    int k = 0;
    for (const auto& e : ends) {
        const int c = 0x102030 * (k + 1) ^ 0x00FF00 * (k & 1);
        s.push_back(cmd::DRAWLINE(ox + 32, oy + 32, ox + 32 + e[0], oy + 32 + e[1], c));
        s.push_back(cmd::DRAWLINE(ox + 100 + e[0], oy + 32 + e[1], ox + 100, oy + 32, c ^ 0xFFFFFF));
        ++k;
    }
    s.push_back(cmd::DRAWLINE(ox + 140, oy + 2, ox + 140, oy + 2, 0xFFFFFF));
    s.push_back(cmd::DRAWLINE(-5, oy + 70, Window::W + 5, oy + 75, 0x3377FF));      // across the window
    s.push_back(cmd::DRAWLINE(Window::W - 1, 0, Window::W - 1, Window::H - 1, 0x00FFFF)); // its last column
    s.push_back(cmd::DRAWLINE(0, Window::H - 1, 50, Window::H - 1, 0xFF00FF));      // its last row
    // Rectangles, negative and empty sizes included, one in the colour key,
    // and pixels.
    const int rects[][4] = {{0, 80, 10, 6}, {30, 80, -10, 6}, {40, 90, 7, -4}, {60, 90, -3, -3},
                            {70, 80, 0, 5}, {80, 80, 1, 1}, {90, 80, 20, 1}};
    k = 0;
    for (const auto& r : rects) s.push_back(cmd::DRAWRECT(ox + r[0], oy + r[1], r[2], r[3], 0x405060 + 0x1F0000 * k++));
    s.push_back(cmd::DRAWRECT(ox + 150, oy + 80, 12, 12, 0x8000FF));
    for (int i = 0; i < 40; ++i)
        s.push_back(cmd::SETPIXEL(ox + 120 + (i * 7) % 30, oy + 80 + (i * 11) % 12, 0x010203 * i));
    s.push_back(cmd::SETPIXEL(0, 0, 0xABCDEF));
    s.push_back(cmd::SETPIXEL(Window::W - 1, Window::H - 1, 0x123456));
    s.push_back(cmd::SETPIXEL(-1, 5, 0xFFFFFF));
    s.push_back(cmd::SETPIXEL(5, Window::H, 0xFFFFFF));
    s.push_back(cmd::PRINT("Ab", ox, oy + 100));
    s.push_back(cmd::PRINT("xy 09", ox + 40.5, oy + 101.7));
}

} // namespace

// What guards the state one command leaves for the next: a texture left
// clamped shows in the polygons, a front face left clockwise culls the
// sprites after a mirrored one, a filter, blending or alpha test left over
// changes the inside of the next draw, and a corner put elsewhere moves the
// texels inside its quad.
TEST_F(DrawingScene, CommandsDrawWhatTheirLiteralGLSequencesDraw)
{
    Scene s;
    Sprites(s, 8, 10);
    s.push_back(cmd::SMOOTHSHADING(0));
    Sprites(s, 216, 10);
    s.push_back(cmd::SMOOTHSHADING(1));
    Primitives(s, 430, 10);
    // Blended: every pixel drawn twice shows as brighter.
    s.push_back(cmd::ALPHAMODE(-0.6));
    Sprites(s, 8, 240);
    Primitives(s, 430, 140);
    s.push_back(cmd::ALPHAMODE(0.5));
    s.push_back(cmd::SMOOTHSHADING(0));
    Sprites(s, 216, 240);
    Primitives(s, 430, 260);
    s.push_back(cmd::ALPHAMODE(0));
    // Drawing mixed call by call: sprites, lines and rectangles in turn.
    for (int i = 0; i < 12; ++i) {
        s.push_back(cmd::ROTOSPRITE(kFull, 440 + 15 * i, 400, 30.0 * i));
        s.push_back(cmd::DRAWLINE(440 + 15 * i, 430, 460 + 15 * i, 445, 0xFF8800 + i));
        s.push_back(cmd::STRETCHSPRITE(kOdd, 440 + 15 * i, 450, 14, -9));
        s.push_back(cmd::DRAWRECT(440 + 15 * i, 465, 5, 5, 0x00FF00 + 16 * i));
        s.push_back(cmd::SETPIXEL(445 + 15 * i, 475, 0xFFFFFF));
        s.push_back(cmd::DRAWSPRITE(kOdd, 440 + 15 * i, 478));
    }
    ExpectTheLiteralPicture(s, "drawing_scene");
}

namespace {

// The state every 2D command leaves for the next one: the 2D matrices with
// nothing left pushed, the alpha test on, front faces counter-clockwise,
// unit 0 active, opaque white.
void ExpectThe2DState(const char* after)
{
    GLfloat p[16], m[16], c[4];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    glGetFloatv(GL_CURRENT_COLOR, c);
    GLint depthP = 0, depthM = 0, mode = 0, face = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depthP);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depthM);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_FRONT_FACE, &face);
    const GLfloat ortho[16] = {2.0f / Window::W, 0, 0, 0, 0, -2.0f / Window::H, 0, 0, 0, 0, -1, 0, -1, 1, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(p[i], ortho[i]) << after << ": projection " << i;
        EXPECT_EQ(m[i], i % 5 == 0 ? 1.0f : 0.0f) << after << ": model-view " << i;
    }
    EXPECT_EQ(depthP, 1) << after;
    EXPECT_EQ(depthM, 1) << after;
    EXPECT_EQ(mode, GL_MODELVIEW) << after;
    EXPECT_EQ(face, GL_CCW) << after;
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST)) << after;
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE)) << after;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(c[i], 1.0f) << after << ": colour " << i;
    if (glActiveTextureArb) {
        GLint unit = 0;
        glGetIntegerv(GL_ACTIVE_TEXTURE_ARB, &unit);
        EXPECT_EQ(unit, GL_TEXTURE0_ARB) << after;
    }
}

GLint Wrap(GLuint texture, GLenum which)
{
    GLint bound = 0, w = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexParameteriv(GL_TEXTURE_2D, which, &w);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    return w;
}

// A square polygon of sprite n whose texture coordinates run to 2.5 times
// the picture, so it shows the picture repeated.
void RepeatedPolygon(int n)
{
    STARTPOLY(n);
    POLYVECTOR(300, 100, 0, 0, 0xFFFFFF);
    POLYVECTOR(300, 180, 0, 40, 0xFFFFFF);
    POLYVECTOR(380, 180, 40, 40, 0xFFFFFF);
    POLYVECTOR(380, 100, 40, 0, 0xFFFFFF);
    ENDPOLY();
}

} // namespace

TEST_F(DrawingScene, EveryCommandLeavesThe2DStateForTheNext)
{
    struct Case {
        const char* name;
        void (*draw)();
        bool textured;
    };
    const Case cases[] = {
        {"DRAWSPRITE", [] { DRAWSPRITE(kFull, 10, 10); }, true},
        {"ROTOSPRITE", [] { ROTOSPRITE(kFull, 10, 10, 33); }, true},
        {"ROTOZOOMSPRITE", [] { ROTOZOOMSPRITE(kFull, 10, 10, -70, 1.5); }, true},
        {"STRETCHSPRITE mirrored", [] { STRETCHSPRITE(kFull, 10, 10, -20, 12); }, true},
        {"ZOOMSPRITE", [] { ZOOMSPRITE(kFull, 10, 10, 1.5, -0.5); }, true},
        {"STRETCHANIM", [] { STRETCHANIM(kTiles, 3, 10, 10, 20, -12); }, true},
        {"ROTOZOOMANIM", [] { ROTOZOOMANIM(kTiles, 5, 10, 10, 12, 2); }, true},
        {"DRAWANIM", [] { DRAWANIM(kTiles, 1, 10, 10); }, true},
        {"DRAWLINE", [] { DRAWLINE(1, 2, 30, 40, 0x00FF00); }, false},
        {"DRAWRECT", [] { DRAWRECT(1, 2, 30, 40, 0x00FF00); }, false},
        {"SETPIXEL", [] { SETPIXEL(3, 4, 0x00FF00); }, false},
        {"PRINT", [] { PRINT(DGStr("Hi"), 5, 5); }, true},
    };
    for (const Case& c : cases) {
        for (int twice = 0; twice < 2; ++twice) c.draw();
        EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D) != 0, c.textured) << c.name;
        // What the next polygon, text or 3D object meets once it has
        // selected its texture.
        R->SetTexture3D(R->m_texFirst, -1, 0, nullptr);
        ExpectThe2DState(c.name);
        // The projection as the unprojecting commands read it.
        c.draw();
        float wx = 0, wy = 0, wz = 0;
        ASSERT_EQ(RTglu_Project(10, 20, 0, &wx, &wy, &wz), 1) << c.name;
        EXPECT_NEAR(wx, 10.0f, 1e-3) << c.name;
        EXPECT_NEAR(wy, 20.0f, 1e-3) << c.name; // rows from the top
        R->Make2DViewport(0, 0, 0, 0); // the frame's reset
        for (int n : {kFull, kTiles})
            for (GLenum w : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
                EXPECT_EQ(Wrap(R->m_sprites[n].texture, w), GL_REPEAT) << c.name << " sprite " << n;
    }
}

TEST_F(DrawingScene, PolygonsStillRepeatTheTextureAfterClampedSprites)
{
    R->SetSmoothShading(false);
    Clear(Rgb{0, 0, 0});
    RepeatedPolygon(kFull);
    std::vector<unsigned char> fresh;
    const std::uint64_t expected = WindowHash(&fresh);
    // The picture at its edges and one repeat further on: a clamped texture
    // would stretch the last column instead.
    const Grid g = Picture(16, 16, Full);
    EXPECT_EQ(Read(321, 105), g.at(10, 2));
    EXPECT_EQ(Read(339, 137), g.at(3, 2));

    struct Case {
        const char* name;
        void (*draw)();
    };
    const Case cases[] = {
        {"ROTOSPRITE", [] { ROTOSPRITE(kFull, 10, 10, 33); }},
        {"STRETCHSPRITE", [] { STRETCHSPRITE(kFull, 10, 10, -20, 12); }},
        {"ZOOMSPRITE", [] { ZOOMSPRITE(kFull, 10, 10, 2, 2); }},
    };
    for (const Case& c : cases) {
        c.draw();
        Clear(Rgb{0, 0, 0});
        RepeatedPolygon(kFull);
        EXPECT_EQ(WindowHash(), expected) << "polygon after " << c.name;
        for (GLenum w : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
            EXPECT_EQ(Wrap(R->m_sprites[kFull].texture, w), GL_REPEAT) << c.name;
        // With texturing selected the way the 3D renderer selects it.
        c.draw();
        R->SetTexture3D(kFull, -1, 0, nullptr);
        for (GLenum w : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
            EXPECT_EQ(Wrap(R->m_sprites[kFull].texture, w), GL_REPEAT) << c.name << ", then SetTexture3D";
    }
}

namespace {

// A fixed sequence of numbers in [0, 1).
struct Numbers {
    std::uint32_t state = 12345;
    float Next()
    {
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(state >> 8) / 16777216.0f;
    }
};

} // namespace

// However the renderer works out the corners of turned sprites and the ends
// of lines, they land where the GL moving and turning them through its own
// matrices puts them, for any position, angle and scale.
TEST_F(DrawingScene, TurnedSpritesAndLinesLandWhereTheGLsOwnMatricesPutThem)
{
    for (int smooth : {0, 1}) {
        Scene s{cmd::SMOOTHSHADING(smooth)};
        Numbers n;
        for (int i = 0; i < 400; ++i) {
            const int x = static_cast<int>(n.Next() * (W + 40)) - 20, y = static_cast<int>(n.Next() * (H + 40)) - 20;
            const float angle = (n.Next() - 0.5f) * 1440.0f, scale = 0.2f + n.Next() * 3.0f;
            s.push_back(cmd::ROTOZOOMSPRITE(kOdd, x, y, angle, scale));
        }
        ExpectTheLiteralPicture(s, smooth ? "turned_sprites_bilinear" : "turned_sprites_nearest");
    }

    // Lines blended, so that a pixel lit twice shows.
    Scene s{cmd::ALPHAMODE(0.5)};
    Numbers n;
    for (int i = 0; i < 600; ++i) {
        const int x = static_cast<int>(n.Next() * (W + 20)) - 10, y = static_cast<int>(n.Next() * (H + 20)) - 10;
        const float r = n.Next() < 0.3f ? n.Next() * 3 : n.Next() * 200;
        const float a = n.Next() * 6.2831853f;
        s.push_back(cmd::DRAWLINE(x, y, x + static_cast<int>(r * std::cos(a)), y + static_cast<int>(r * std::sin(a)),
                                  0x30A0F0));
    }
    ExpectTheLiteralPicture(s, "blended_lines");
}

// A name the GL hands out again after its texture was deleted starts with
// GL_REPEAT: what the renderer remembers of the deleted texture (clamped by
// a turned sprite) must not keep the new one from being clamped in turn.
TEST_F(DrawingScene, ATextureMadeUnderTheNameOfADeletedClampedOneIsClampedToo)
{
    const Grid full = Picture(16, 16, Full);
    ASSERT_EQ(LoadGrid(50, full), 1);
    Clear(Rgb{0, 0, 0});
    STRETCHSPRITE(50, 10, 10, 40, 40); // bilinear: the edges show the wrap mode
    const std::uint64_t fresh = WindowHash();

    ASSERT_EQ(LoadGrid(51, Picture(8, 8, Odd)), 1);
    const GLuint name = R->m_sprites[51].texture;
    ROTOSPRITE(51, 100, 100, 30); // clamps it
    R->FreeSprite(51);
    ASSERT_FALSE(glIsTexture(name));
    // A driver that gives the name out again: a new texture under it, with
    // sprite 50's picture, in sprite 52.
    std::vector<unsigned char> texels(16 * 16 * 4);
    glBindTexture(GL_TEXTURE_2D, R->m_sprites[50].texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    R->m_sprites[52] = R->m_sprites[50];
    R->m_sprites[52].texture = name;
    R->m_sprites[52].texture2 = 0;
    Clear(Rgb{0, 0, 0});
    STRETCHSPRITE(52, 10, 10, 40, 40);
    EXPECT_EQ(WindowHash(), fresh);
    R->FreeSprite(52);
    R->FreeSprite(50);
}
