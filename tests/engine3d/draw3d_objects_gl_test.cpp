// Drawing animated objects on a real GL context: which frames are blended,
// frustum culling by the bounding sphere, the static and streamed vertex
// buffers, world slots with their own textures, and the cel-shade ramp and
// texture. Pixels are read back before any swap in an orthographic view
// where a point (x, y, 0) lands on window column x, row y from the bottom.
#include "tests/engine3d/gl_window3d.h"

#include <climits>
#include <cmath>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "tests/engine3d/mesh_fixture.h"

namespace {

using namespace __VELTRIC__;
using gltest::Rgb;

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};
constexpr int kRow = 240; // object centres lie on this height

// Appends a frame holding one square of side 2 * half around (cx, cy, 0),
// two triangles facing +z with texture coordinates (u0, 0).
void AddSquareFrame(MeshObjectX& o, float cx, float cy, float half, float u0 = 0)
{
    o.frames.Push(POLY_FRAME());
    POLY_FRAME& f = o.frames[o.frames.Count() - 1];
    f.points.Push(XPOLY_NODE{{0, 0, 0}, 0, 0, 0, 0}); // frames need stored points to draw
    const float xs[6] = {-1, 1, 1, -1, 1, -1}, ys[6] = {-1, -1, 1, -1, 1, 1};
    for (int k = 0; k < 6; ++k)
        f.triangles.Push(mesh_test::Vtx(cx + xs[k] * half, cy + ys[k] * half, 0, 0x00FFFFFF, 0, 0,
                                        1, u0, 0));
    f.centre[0] = cx;
    f.centre[1] = cy;
    f.radius = half * 1.5f;
}

// firstFrameTriangles as PrepareTriangles leaves it: a copy of frame 0.
void CopyFirstFrame(MeshObjectX& o)
{
    o.firstFrameTriangles.Clear();
    for (int k = 0; k < o.frames[0].triangles.Count(); ++k)
        o.firstFrameTriangles.Push(o.frames[0].triangles[k]);
}

GLuint SolidTexture(std::uint8_t r, std::uint8_t g, std::uint8_t b)
{
    const std::uint8_t px[4] = {r, g, b, 255};
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return id;
}

class DrawObjects : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, W, 0, H, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        r3d->ExtractFrustum();
        r3d->level = 0;
        r3d->levels[0].Reset();
        r3d->effectOn = 0;
        r3d->effectMode = 0;
        r3d->lightMask = 0;
        r3d->sphereMapping = 0;
        r3d->cullMode = 0;
        r3d->SetTextureOffset(0, 0);
        R->SetTexture3D(-1, -1, 0, nullptr);
    }
    static Rgb At(int x, int y = kRow) { return Read(x, H - 1 - y); }
};

TEST_F(DrawObjects, FramesAndBlendWeightFollowTheFrameNumbersAndFactor)
{
    MeshObjectX o;
    for (int k = 0; k < 6; ++k) AddSquareFrame(o, 100.0f + 100.0f * k, kRow, 8);
    CopyFirstFrame(o);
    struct Case {
        int f1, f2;
        float factor;
        bool interpolate;
        int x; // centre of the square drawn
    } cases[] = {
        {2, 5, 0.5f, true, 450},   // p 3.5: frames 3 and 4 half and half
        {2, 5, 0.25f, true, 375},  // p 2.75
        {5, 2, 0.25f, true, 525},  // backwards: p 4.25
        {2, 5, 2.25f, true, 375},  // the factor's whole part is dropped
        {2, 5, -0.75f, true, 525}, // ... and its sign
        {3, 3, 0.7f, true, 400},   // one frame: no blending
        {0, 9, 0.5f, true, 550},   // frame 5 stands in for the missing 6
        {0, 9, 0.9f, true, 600},
        {1, 3, 0.25f, false, 250}, // frame 3 weighted 0.25 against frame 1
        {1, 3, 0.0f, false, 200},  // ... weighted 0: frame 1 alone
        {5, 1, 0.25f, true, 500},  // backwards onto a whole frame: p 4
        {99, 99, 0.0f, false, 600},
        {-4, -4, 0.0f, false, 100},
        {INT_MIN, INT_MAX, 0.5f, true, 100}, // p 0: no overflow on the way
        {0, 5, std::nanf(""), true, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.f1 << " " << c.f2 << " " << c.factor);
        Clear(kBlack);
        r3d->RenderMD2(o, c.f1, c.f2, c.factor, c.interpolate, nullptr);
        EXPECT_EQ(At(c.x), kWhite);
        EXPECT_EQ(At(c.x - 20), kBlack);
        EXPECT_EQ(At(c.x + 20), kBlack);
    }
    o.Clear(true);
}

TEST_F(DrawObjects, SpheresOutsideAPlaneAreCulledBeforeAnyUpload)
{
    struct Case {
        float scale[3];
        float centreX, radius;
        bool drawn;
    } cases[] = {
        {{1, 1, 1}, -4.0f, 4.0f, false},   // exactly -radius from the left plane
        {{1, 1, 1}, -3.99f, 4.0f, true},
        {{1, 1, 5}, -3.0f, 2.0f, true},    // the largest axis scale counts: radius 10
        {{1, 1, 5}, -10.0f, 2.0f, false},  // ... and no more than it
        {{2, 2, 2}, -1.5f, 2.0f, true},    // centre at -3, radius scaled to 4
        {{2, 2, 2}, -2.0f, 2.0f, false},   // centre at -4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.centreX << " scale z " << c.scale[2]);
        MeshObjectX o;
        AddSquareFrame(o, c.centreX, kRow, 1);
        o.frames[0].radius = c.radius;
        CopyFirstFrame(o);
        Mat4Scaling(c.scale[0], c.scale[1], c.scale[2], r3d->levels[0].composed);
        r3d->levels[0].built = 1;
        r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
        EXPECT_EQ(o.staticBuffer != 0, c.drawn);
        EXPECT_EQ(o.streamBuffer, 0u);
        o.Clear(true);
    }
}

TEST_F(DrawObjects, AStillFrameZeroIsUploadedOnceAndAnimationStreams)
{
    MeshObjectX o;
    AddSquareFrame(o, 100, kRow, 8);
    AddSquareFrame(o, 300, kRow, 8);
    CopyFirstFrame(o);
    r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
    const std::uint32_t id = o.staticBuffer;
    ASSERT_NE(id, 0u);
    EXPECT_EQ(o.streamBuffer, 0u);
    // The stored buffer is bound again, not reloaded: moving the frame's
    // triangles does not move what is drawn.
    for (int k = 0; k < 6; ++k) o.frames[0].triangles[k].pos[0] += 200;
    Clear(kBlack);
    r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
    EXPECT_EQ(o.staticBuffer, id);
    EXPECT_EQ(At(100), kWhite);
    EXPECT_EQ(At(300), kBlack);
    // A still frame other than 0 and any blend stream through the other buffer.
    Clear(kBlack);
    r3d->RenderMD2(o, 1, 1, 0, false, nullptr);
    EXPECT_NE(o.streamBuffer, 0u);
    EXPECT_EQ(At(300), kWhite);
    o.Clear(true);
}

TEST_F(DrawObjects, TextureOffsetIsAddedToTheFrameCoordinatesOnEveryDraw)
{
    MeshObjectX o;
    AddSquareFrame(o, 100, kRow, 8, 0.125f);
    AddSquareFrame(o, 100, kRow, 8, 0.125f);
    CopyFirstFrame(o);
    r3d->SetTextureOffset(0.5f, 0.25f);
    for (int draw = 0; draw < 3; ++draw) {
        r3d->RenderMD2(o, 0, 1, 0.5f, true, nullptr); // blended
        EXPECT_FLOAT_EQ(o.firstFrameTriangles[0].u, 0.625f) << draw;
        EXPECT_FLOAT_EQ(o.firstFrameTriangles[0].v, 0.25f) << draw;
        r3d->RenderMD2(o, 0, 0, 0, false, nullptr); // still frame, offset on
        EXPECT_FLOAT_EQ(o.firstFrameTriangles[0].u, 0.625f) << draw;
    }
    EXPECT_FLOAT_EQ(o.frames[0].triangles[0].u, 0.125f); // the frame itself stays
    o.Clear(true);
}

TEST_F(DrawObjects, FramesOfUnequalLengthDrawOnlyWhatAllOfThemHold)
{
    // Frame 0: a triangle at x 100 and one at x 300; frame 1: only the first.
    MeshObjectX o;
    AddSquareFrame(o, 100, kRow, 8);
    AddSquareFrame(o, 300, kRow, 8);
    o.frames[0].radius = 400;
    for (int k = 0; k < 3; ++k) o.frames[0].triangles[k + 3] = o.frames[1].triangles[k];
    o.frames[1].triangles.SetCount(3);
    for (int k = 0; k < 3; ++k) o.frames[1].triangles[k] = o.frames[0].triangles[k];
    CopyFirstFrame(o);
    Clear(kBlack);
    r3d->RenderMD2(o, 0, 1, 0.5f, true, nullptr);
    EXPECT_EQ(At(104, kRow - 4), kWhite); // inside the first triangle
    EXPECT_EQ(At(304, kRow - 4), kBlack); // frame 1 has no second triangle
    o.Clear(true);
}

TEST_F(DrawObjects, WorldSlotsBindEachObjectsOwnTexture)
{
    X_WORLD& s = r3d->slots[17];
    s.isWorld = 1;
    ASSERT_TRUE(s.objects.AllocAtLeast(2) && s.objects.SetCount(2));
    AddSquareFrame(s.objects[0].object, 100, kRow, 8);
    AddSquareFrame(s.objects[1].object, 300, kRow, 8);
    for (int i = 0; i < 2; ++i) CopyFirstFrame(s.objects[i].object);
    s.objects[0].ta = 0;
    s.objects[0].tb = -1;
    s.objects[1].ta = 5; // beyond the slot's one texture: drawn untextured
    s.objects[1].tb = -1;
    s.textures.Push(SolidTexture(255, 0, 0));
    Clear(kBlack);
    r3d->RenderAnim(17, 0, 0, 0, false);
    EXPECT_EQ(At(100), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(300), kWhite);
    for (int slot : {-1, Dedudeve3D::kSlotCount, 1 << 30}) r3d->RenderAnim(slot, 0, 0, 0, false);

    GLuint tex = s.textures[0];
    glDeleteTextures(1, &tex);
    s.textures.Clear();
    for (int i = 0; i < 2; ++i) s.objects[i].object.Clear(true);
    s.objects.Clear();
    s.isWorld = 0;
}

TEST_F(DrawObjects, CelTextureSizeAndTexelsFollowRampAndColours)
{
    struct Case {
        int ramp;      // values 12 * i; 0 = the default ramp
        int colours;   // colour i = 0x0000FF (red) except colour 2 = special white
        int w, h;
    } cases[] = {
        {20, 3, 128, 4},
        {0, 1, 64, 1},
        {200, 5, 512, 8},
        {16, 2, 64, 2},
        // A point names its colour with one byte: never more than 256 rows.
        {0, 256, 64, 256},
        {0, 257, 64, 256},
        {0, 1000000, 64, 256},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.ramp << " values, " << c.colours << " colours");
        std::vector<unsigned char> ramp;
        for (int i = 0; i < c.ramp; ++i) ramp.push_back(static_cast<unsigned char>(12 * i));
        gCelShadeDate.Clear();
        if (c.ramp > 0) r3d->SetCelShades(ramp.data(), c.ramp);
        MeshObjectX o;
        ASSERT_TRUE(o.colours.AllocAtLeast(c.colours));
        for (int i = 0; i < c.colours; ++i) o.colours.Push(i == 2 ? MESH_WHITE : 0x000000FFu);
        o.MakeCelShadeTexutre();
        ASSERT_NE(o.celTexture, 0u);
        EXPECT_FLOAT_EQ(o.celScale, 1.0f / c.h);
        GLint w = 0, h = 0;
        glBindTexture(GL_TEXTURE_2D, o.celTexture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
        EXPECT_EQ(w, c.w);
        EXPECT_EQ(h, c.h);
        if (c.ramp == 20) {
            std::vector<std::uint8_t> px(static_cast<size_t>(w) * h * 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
            auto texel = [&](int x, int y) { return &px[(static_cast<size_t>(y) * w + x) * 4]; };
            for (int x : {0, 7, 64, 127}) {
                const int shade = 12 * ((x * 20) / 128);
                EXPECT_EQ(texel(x, 0)[0], shade) << x;      // red scaled by the ramp
                EXPECT_EQ(texel(x, 0)[1], 0) << x;
                EXPECT_EQ(texel(x, 0)[3], 255) << x;
                EXPECT_EQ(texel(x, 2)[1], shade) << x;      // special colour: grey
                EXPECT_EQ(texel(x, 3)[0], shade) << x;      // past the list: colour 0
                EXPECT_EQ(texel(x, 3)[2], 0) << x;
            }
        }
        o.Clear(true);
        EXPECT_EQ(o.celTexture, 0u);
    }
    // No values: one flat shade of 255, and every object's texture is dropped.
    X_WORLD& s = r3d->slots[3];
    ASSERT_TRUE(s.objects.AllocAtLeast(1) && s.objects.SetCount(1));
    s.objects[0].object.colours.Push(0x000000FFu);
    s.objects[0].object.MakeCelShadeTexutre();
    ASSERT_NE(s.objects[0].object.celTexture, 0u);
    r3d->SetCelShades(nullptr, 0);
    EXPECT_EQ(s.objects[0].object.celTexture, 0u);
    ASSERT_EQ(gCelShadeDate.Count(), 1);
    EXPECT_EQ(gCelShadeDate[0], 255);
    s.objects[0].object.Clear(true);
    s.objects.Clear();
    gCelShadeDate.Clear();
}

// An object of full vertices compressed into points, as loaders make them.
void BuildRealQuad(MeshObjectX& o, float cx, float cy, float half)
{
    using mesh_test::Vtx;
    mesh_test::BuildCompressed(
        o, {Vtx(cx - half, cy - half, 0, 0x0000FF), Vtx(cx + half, cy - half, 0, 0x0000FF),
            Vtx(cx + half, cy + half, 0, 0x00FF00), Vtx(cx - half, cy - half, 0, 0x0000FF),
            Vtx(cx + half, cy + half, 0, 0x00FF00), Vtx(cx - half, cy + half, 0, 0x00FF00)});
    o.PrepareTriangles();
    o.CalcMaxRadius();
}

TEST_F(DrawObjects, EffectVerticesCarryTheLightAndCelCoordinates)
{
    // Bump mapping: a light straight above the face gives the normal's
    // component 1, so the packed third value is 1.
    {
        MeshObjectX o;
        BuildRealQuad(o, 200, kRow, 20);
        r3d->effectOn = 1;
        r3d->effectMode = 1;
        r3d->effectLight[0] = 200;
        r3d->effectLight[1] = kRow;
        r3d->effectLight[2] = 5000;
        r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
        ASSERT_EQ(o.firstFrameTriangles.Count(), 6);
        for (int k = 0; k < 6; ++k) {
            const POLY_NODE& q = o.firstFrameTriangles[k];
            EXPECT_NEAR(q.light[2], 0.5f + 0.5f * q.normal[2], 0.01f) << k;
            for (float c : q.light) {
                EXPECT_GE(c, 0.0f);
                EXPECT_LE(c, 1.0f);
            }
        }
        o.Clear(true);
    }
    // Cel shading, with and without the outline pass: s stays in 0.05..0.95
    // and t selects the centre of the vertex colour's row.
    for (int cull : {0, 1}) {
        SCOPED_TRACE(cull);
        MeshObjectX o;
        BuildRealQuad(o, 200, kRow, 20);
        r3d->effectOn = 1;
        r3d->effectMode = 2;
        r3d->cullMode = static_cast<std::int8_t>(cull);
        for (float lz : {5000.0f, -5000.0f, 0.0f}) {
            r3d->effectLight[0] = 200;
            r3d->effectLight[1] = kRow;
            r3d->effectLight[2] = lz;
            r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
            ASSERT_NE(o.celTexture, 0u);
            for (int k = 0; k < o.firstFrameTriangles.Count(); ++k) {
                const POLY_NODE& q = o.firstFrameTriangles[k];
                EXPECT_GE(q.basis2[0], 0.05f);
                EXPECT_LE(q.basis2[0], 0.95f);
                EXPECT_FLOAT_EQ(q.basis2[1], ((q.colourIndex & 0xFF) + 0.5f) * o.celScale);
            }
        }
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        EXPECT_EQ(r3d->cullMode, cull); // the outline pass turns it back
        o.Clear(true);
    }
    r3d->cullMode = 0;
    glDisable(GL_CULL_FACE);
    gCelShadeDate.Clear();
}

} // namespace

TEST_F(DrawObjects, ASpriteTextureStillRepeatsOnObjectsAfterTheSpriteWasDrawnClamped)
{
    // 4 x 1, four colours; u = 1.25 repeats into texel 1, where a clamped
    // texture would give the last texel.
    fixtures::Grid g;
    g.w = 4;
    g.h = 1;
    g.px = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}};
    constexpr int kSprite = 31;
    ASSERT_EQ(LoadGrid(kSprite, g), 1);
    MeshObjectX o;
    AddSquareFrame(o, 100, kRow, 8, 1.25f);
    CopyFirstFrame(o);
    struct Case {
        const char* name;
        void (*draw)(OpenGLDedudeve*);
        bool select; // the texture selected again before the object
    } cases[] = {
        {"nothing", [](OpenGLDedudeve*) {}, true},
        {"RotoSprite", [](OpenGLDedudeve* r) { r->RotoSprite(kSprite, 10, 10, 30, 1); }, true},
        {"StretchSprite", [](OpenGLDedudeve* r) { r->StretchSprite(kSprite, 10, 10, -8, 4); }, true},
        {"RotoSprite, no new selection", [](OpenGLDedudeve* r) { r->RotoSprite(kSprite, 10, 10, 30, 1); }, false},
        {"RotoZoomTile, no new selection", [](OpenGLDedudeve* r) {
             r->TileSprite(kSprite, 2, 1);
             r->RotoZoomTile(kSprite, 1, 10, 10, 30, 1);
         }, false},
    };
    R->SetSmoothShading(false);
    for (const Case& c : cases) {
        R->SetTexture3D(-1, -1, 0, nullptr);
        c.draw(R);
        if (c.select) R->SetTexture3D(kSprite, -1, 0, nullptr);
        ASSERT_EQ(R->m_texFirst, kSprite) << c.name;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        Clear(kBlack);
        r3d->RenderMD2(o, 0, 0, 0, false, nullptr);
        EXPECT_EQ(At(100), g.at(1, 0)) << c.name;
    }
    R->SetSmoothShading(true);
    R->SetTexture3D(-1, -1, 0, nullptr);
    o.Clear(true);
}
