// The shadow pass on a real GL context: volumes drawn into the stencil
// buffer darken what lies in them when the pass ends, and the pass leaves
// the 3D state as it found it.
#include "tests/engine3d/gl_window3d.h"

#include <GL/glu.h>

#include <vector>

#include "engine3d/dedudeve3d.h"
#include "tests/engine3d/mesh_fixture.h"

namespace {

using namespace __VELTRIC__;
using mesh_test::Vtx;

class Shadows : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        r3d->DoShadows(false);
        r3d->CullMode(0);
        glClearStencil(0);
        glClear(GL_STENCIL_BUFFER_BIT);
    }

    // Camera on the z axis looking at the origin, 3D in the whole window.
    void Begin3D()
    {
        r3d->Make3DViewport(1, 100, 45);
        r3d->SetCamera(0, 0, 10, 0, 0, 0);
    }

    // A white floor square at z = 0 covering the view.
    static void Floor()
    {
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glVertex3f(-20, -20, 0);
        glVertex3f(20, -20, 0);
        glVertex3f(20, 20, 0);
        glVertex3f(-20, 20, 0);
        glEnd();
    }

    static int Stencil(int x, int y)
    {
        GLubyte s = 0;
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, H - 1 - y, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &s);
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return s;
    }

    static bool Enabled(GLenum cap) { return glIsEnabled(cap) == GL_TRUE; }
    static int Int(GLenum what)
    {
        GLint v = 0;
        glGetIntegerv(what, &v);
        return v;
    }
};

// A square occluder of half side s at height z, two triangles wound
// clockwise seen from +z, so that they face a light above them.
void Occluder(MeshObjectX& m, float s, float z)
{
    m.frames.Push(POLY_FRAME());
    const POLY_NODE a = Vtx(-s, -s, z), b = Vtx(s, -s, z), c = Vtx(s, s, z), d = Vtx(-s, s, z);
    for (const POLY_NODE& n : {a, c, b, a, d, c}) m.frames[0].triangles.Push(n);
}

TEST_F(Shadows, EndingWithoutAPassDrawsNothing)
{
    ASSERT_GE(Int(GL_STENCIL_BITS), 1) << "the window has no stencil buffer";
    Clear({200, 100, 50});
    glClearStencil(1);
    glClear(GL_STENCIL_BUFFER_BIT);
    glClearStencil(0);
    r3d->DoShadows(false);
    EXPECT_EQ(Read(W / 2, H / 2), (gltest::Rgb{200, 100, 50}));
    EXPECT_EQ(Stencil(W / 2, H / 2), 1);
}

TEST_F(Shadows, VolumeDarkensOnlyWhatLiesInIt)
{
    Begin3D();
    glEnable(GL_DEPTH_TEST);
    Floor();
    const gltest::Rgb lit = Read(W / 2, H / 2);
    ASSERT_EQ(lit, (gltest::Rgb{255, 255, 255}));

    // Meshes wound clockwise seen from their lit side, drawn with clockwise
    // front faces.
    r3d->CullMode(1);
    MeshObjectX box;
    Occluder(box, 1, 2);
    box.CreateEdges();
    // The effect light -3 with a cutoff begins the pass: nothing is drawn
    // in colour while it is on.
    r3d->SpotLt(-3, 0xFFFFFF, 0, 0, 20, 0, 0, 0, 1, 0);
    ASSERT_EQ(r3d->shadowPass, 1);
    float light[3] = {0, 0, 20};
    box.CalculateSilhouetteEdges(box.frames[0].triangles.Items(), light);
    box.DrawInfiniteShadowVolume(box.frames[0].triangles.Items(), light, true);
    EXPECT_EQ(Read(W / 2, H / 2), lit) << "volumes touch only the stencil buffer";
    EXPECT_NE(Stencil(W / 2, H / 2), 0);
    EXPECT_EQ(Stencil(5, 5), 0);

    // Cutoff 0 ends it: half-transparent black where the stencil is set.
    r3d->SpotLt(-3, 0xFFFFFF, 0, 0, 20, 0, 0, 0, 0, 0);
    EXPECT_EQ(r3d->shadowPass, 0);
    const gltest::Rgb shade = Read(W / 2, H / 2);
    EXPECT_NEAR(shade.r, 128, 1);
    EXPECT_NEAR(shade.g, 128, 1);
    EXPECT_NEAR(shade.b, 128, 1);
    EXPECT_EQ(Read(5, 5), lit);
    EXPECT_EQ(Read(W - 5, H - 5), lit);
    EXPECT_EQ(Stencil(W / 2, H / 2), 0) << "the stencil buffer is cleared";
}

TEST_F(Shadows, ObjectDrawnInShadowModeCastsItsShadowFromTheFirstDraw)
{
    // A fresh object from stored points, moved up and sideways by the model
    // matrix: its very first draw in shadow mode builds what the volume
    // needs, and the light is taken into the object's own coordinates.
    Begin3D();
    glEnable(GL_DEPTH_TEST);
    Floor();
    r3d->CullMode(1);
    MeshObjectX box;
    const POLY_NODE a = Vtx(-1, -1, 0), b = Vtx(1, -1, 0), c = Vtx(1, 1, 0), d = Vtx(-1, 1, 0);
    mesh_test::BuildCompressed(box, {a, c, b, a, d, c});
    r3d->level = 0;
    r3d->levels[0].Reset();
    r3d->levels[0].movement[0] = 2;
    r3d->levels[0].movement[2] = 2;
    r3d->levels[0].built = 0;
    r3d->SpotLt(-3, 0xFFFFFF, 0, 0, 20, 0, 0, 0, 1, 0);
    r3d->RenderMD2(box, 0, 0, 0, false, nullptr);
    r3d->SpotLt(-3, 0xFFFFFF, 0, 0, 20, 0, 0, 0, 0, 0);
    r3d->levels[0].Reset();
    r3d->CullMode(0);

    // The floor's shadow spans x from 1.11 to 3.33: its middle is dark, the
    // middle of the window and its far side are lit.
    float win[3];
    auto Pixel = [&](float x, float y) {
        GLdouble mv[16], pr[16], wx, wy, wz;
        GLint vp[4];
        glGetDoublev(GL_PROJECTION_MATRIX, pr);
        glGetIntegerv(GL_VIEWPORT, vp);
        // The view of Begin3D: camera at (0, 0, 10) looking down -z.
        for (int i = 0; i < 16; ++i) mv[i] = i % 5 == 0 ? 1 : 0;
        mv[14] = -10;
        gluProject(x, y, 0, mv, pr, vp, &wx, &wy, &wz);
        win[0] = static_cast<float>(wx);
        win[1] = static_cast<float>(H - 1 - wy);
        return Read(static_cast<int>(win[0]), static_cast<int>(win[1]));
    };
    EXPECT_NEAR(Pixel(2.2f, 0).r, 128, 1);
    EXPECT_EQ(Pixel(0, 0), (gltest::Rgb{255, 255, 255}));
    EXPECT_EQ(Pixel(-2.2f, 0), (gltest::Rgb{255, 255, 255}));
    box.Clear(true);
}

TEST_F(Shadows, DarkeningCoversTheWholeWindowWhatever3DViewport)
{
    // A 3D viewport in the lower right quarter; every stencil-marked pixel
    // of the window is darkened, even outside it.
    Clear({255, 255, 255});
    R->Make2DViewport(W / 2, H / 2, W / 2, H / 2);
    r3d->Make3DViewport(1, 100, 45);
    r3d->DoShadows(true);
    glClearStencil(1);
    glClear(GL_STENCIL_BUFFER_BIT);
    glClearStencil(0);
    r3d->DoShadows(false);
    for (const auto& p : {std::pair<int, int>{2, 2}, {W - 3, H - 3}, {W / 4, H * 3 / 4}}) {
        const gltest::Rgb c = Read(p.first, p.second);
        EXPECT_NEAR(c.r, 128, 1) << p.first << "," << p.second;
    }
    // The 3D viewport is in force again afterwards.
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(std::vector<int>(vp, vp + 4), (std::vector<int>{W / 2, 0, W / 2, H / 2}));
    EXPECT_EQ(R->m_viewX, W / 2);
    EXPECT_EQ(R->m_viewW, W / 2);
    EXPECT_FLOAT_EQ(R->m_alpha, 1.0f);
}

TEST_F(Shadows, PassSwitchesWritesAndEndingRestoresTheCullMode)
{
    struct Case {
        int cullMode;
        bool culling;
        GLenum front;
    } cases[] = {{0, false, GL_CCW}, {1, true, GL_CW}, {-1, true, GL_CCW}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cullMode);
        Begin3D();
        r3d->CullMode(c.cullMode);
        r3d->DoShadows(true);
        GLboolean mask[4];
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_FALSE(mask[0] || mask[1] || mask[2] || mask[3]);
        GLboolean depth = GL_TRUE;
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
        EXPECT_FALSE(depth);
        EXPECT_TRUE(Enabled(GL_STENCIL_TEST));
        r3d->DoShadows(true); // already on: nothing changes
        EXPECT_TRUE(Enabled(GL_STENCIL_TEST));

        r3d->DoShadows(false);
        glGetBooleanv(GL_COLOR_WRITEMASK, mask);
        EXPECT_TRUE(mask[0] && mask[1] && mask[2] && mask[3]);
        glGetBooleanv(GL_DEPTH_WRITEMASK, &depth);
        EXPECT_TRUE(depth);
        EXPECT_FALSE(Enabled(GL_STENCIL_TEST));
        EXPECT_TRUE(Enabled(GL_DEPTH_TEST));
        EXPECT_EQ(Int(GL_DEPTH_FUNC), GL_LESS);
        EXPECT_EQ(Int(GL_SHADE_MODEL), GL_SMOOTH);
        EXPECT_EQ(Int(GL_CULL_FACE_MODE), GL_BACK);
        EXPECT_EQ(Enabled(GL_CULL_FACE), c.culling);
        EXPECT_EQ(Int(GL_FRONT_FACE), static_cast<int>(c.front));
        EXPECT_FALSE(Enabled(GL_BLEND));
    }
}

TEST_F(Shadows, LightingStaysOnForTheRestOfTheSceneAfterThePass)
{
    Begin3D();
    r3d->SpotLt(0, 0xFFFFFF, 0, 0, 10, 0, 0, 0, 180, 0);
    ASSERT_TRUE(Enabled(GL_LIGHTING));
    r3d->DoShadows(true);
    r3d->DoShadows(false);
    EXPECT_TRUE(Enabled(GL_LIGHTING));
    r3d->SpotLt(0, 0, 0, 0, 0, 0, 0, 0, 0, 0);
}

} // namespace
