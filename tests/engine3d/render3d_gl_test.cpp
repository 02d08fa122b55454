// The 3D renderer on a real GL context: projection and viewport set-up,
// culling, camera, lights, fog and the debug markers, checked through GL's
// own state, feedback mode and pixels read back before the swap.
#include "tests/engine3d/gl_window3d.h"

#include <cmath>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "engine3d/projection.h"

namespace {

using namespace __VELTRIC__;

double TanDeg(double d) { return std::tan(d * M_PI / 180.0); }

class Render3D : public gltest::Window3D {
public:
    void SetUp() override
    {
        gltest::Window3D::SetUp();
        for (int i = 0; i < 8; ++i) r3d->SpotLt(i, 0, 0, 0, 0, 0, 0, 0, 0, 0); // all lights off
        r3d->Fog(0xFFFFFFFF, 0, 0, 0);
    }
    static std::vector<float> Get(GLenum what, int n)
    {
        std::vector<float> v(n);
        glGetFloatv(what, v.data());
        return v;
    }
    static std::vector<float> Light(int i, GLenum what, int n = 4)
    {
        std::vector<float> v(n);
        glGetLightfv(GL_LIGHT0 + i, what, v.data());
        return v;
    }
    // A quad of side 2s around (cx, cy) at depth z, untextured.
    static void Quad(float cx, float cy, float z, float s, float r, float g, float b)
    {
        glDisable(GL_TEXTURE_2D);
        glColor3f(r, g, b);
        glBegin(GL_QUADS);
        glVertex3f(cx - s, cy - s, z);
        glVertex3f(cx + s, cy - s, z);
        glVertex3f(cx + s, cy + s, z);
        glVertex3f(cx - s, cy + s, z);
        glEnd();
    }
};

void ExpectVec(const std::vector<float>& got, std::vector<float> want, float tol = 1e-4f)
{
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_NEAR(got[i], want[i], tol) << "element " << i;
}

TEST_F(Render3D, ProjectionFollowsFieldOfViewAndWholeWindowViewport)
{
    struct Case {
        float fov;
        double top;     // of the near plane for perspective, of the box for orthographic
        bool perspective;
        double fovTan;
    } cases[] = {
        {45, TanDeg(22.5), true, TanDeg(50)},
        {90, 1.0, true, TanDeg(89)}, // 95 is above 89
        {-45, TanDeg(22.5) * 100, false, TanDeg(89)},
    };
    const double aspect = double(W) / H;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fov);
        r3d->Make3DViewport(1, 1000, c.fov);
        std::vector<float> vp(4);
        GLint v[4];
        glGetIntegerv(GL_VIEWPORT, v);
        EXPECT_EQ(v[0], 0);
        EXPECT_EQ(v[1], 0);
        EXPECT_EQ(v[2], W);
        EXPECT_EQ(v[3], H);
        const auto p = Get(GL_PROJECTION_MATRIX, 16);
        if (c.perspective) {
            EXPECT_NEAR(p[5], 1.0 / c.top, 1e-4); // 2n / (2 top)
            EXPECT_NEAR(p[0], 1.0 / (c.top * aspect), 1e-4);
            EXPECT_EQ(p[11], -1);
        } else {
            EXPECT_NEAR(p[5], 1.0 / c.top, 1e-6);
            EXPECT_NEAR(p[0], 1.0 / (c.top * aspect), 1e-6);
            EXPECT_EQ(p[15], 1);
        }
        EXPECT_NEAR(r3d->fovTan, c.fovTan, 1e-3 * c.fovTan);
        EXPECT_EQ(r3d->zNear, 1);
        EXPECT_EQ(r3d->zFar, 1000);
    }
    EXPECT_NEAR(TanDeg(22.5) * aspect, 0.55228, 1e-5);
}

TEST_F(Render3D, ProjectionIsTheSinglePrecisionFrustumInEveryBuild)
{
    // Planes whose sum and difference are not exact in single precision:
    // the 32-bit GL library's own glFrustum rounded the depth entries
    // otherwise than the 64-bit one (and than these formulas).
    struct Case {
        float zNear, zFar, fov;
    } cases[] = {{2.5f, 333.3f, 17.5f}, {0.1f, 5000, 60}, {0.37f, 123.4f, 90}, {1, 100, -45}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fov);
        r3d->Make3DViewport(c.zNear, c.zFar, c.fov);
        const double aspect = double(W) / H;
        const double t = std::tan(std::fabs(double(c.fov)) * M_PI / 360.0) * c.zNear * (c.fov > 0 ? 1 : 100);
        const float r = static_cast<float>(t * aspect), l = static_cast<float>(-t * aspect);
        const float top = static_cast<float>(t), bottom = static_cast<float>(-t);
        const float n = c.zNear, f = c.zFar;
        std::vector<float> want(16, 0.0f);
        if (c.fov > 0) {
            want[0] = (2.0f * n) / (r - l);
            want[5] = (2.0f * n) / (top - bottom);
            want[8] = (r + l) / (r - l);
            want[9] = (top + bottom) / (top - bottom);
            want[10] = -(f + n) / (f - n);
            want[11] = -1;
            want[14] = -(2.0f * f * n) / (f - n);
        } else {
            want[0] = 2.0f / (r - l);
            want[5] = 2.0f / (top - bottom);
            want[10] = -2.0f / (f - n);
            want[12] = -(r + l) / (r - l);
            want[13] = -(top + bottom) / (top - bottom);
            want[14] = -(f + n) / (f - n);
            want[15] = 1;
        }
        const auto p = Get(GL_PROJECTION_MATRIX, 16);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], want[i]) << "element " << i;
    }
}

TEST_F(Render3D, ViewportOfThe2DRendererCountsFromTheTop)
{
    R->Make2DViewport(10, 20, 300, 200);
    r3d->Make3DViewport(1, 1000, 45);
    GLint v[4];
    glGetIntegerv(GL_VIEWPORT, v);
    EXPECT_EQ(v[0], 10);
    EXPECT_EQ(v[1], H - 200 - 20);
    EXPECT_EQ(v[2], 300);
    EXPECT_EQ(v[3], 200);
    const auto p = Get(GL_PROJECTION_MATRIX, 16);
    EXPECT_NEAR(p[0], 1.0 / (TanDeg(22.5) * 1.5), 1e-4);
}

TEST_F(Render3D, SwitchingTo3DResetsStateButKeepsLightsAndEffectMode)
{
    r3d->SpotLt(1, 0xFFFFFF, 0, 5, 0, 0, -1, 0, 120, 0);
    r3d->SpotLt(-1, 0xFFFFFF, 1, 2, 3, 0, 0, 0, 1, 0);
    ASSERT_EQ(r3d->effectOn, 1);
    r3d->level = 5;
    r3d->levels[0].movement[0] = 9;
    r3d->levels[0].built = 0;
    r3d->SetTextureOffset(0.5f, 0.25f);
    r3d->sphereMapping = 1;
    r3d->SetCameraUp(1, 0, 0);

    r3d->Make3DViewport(1, 1000, 45);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE)) << "culling starts off";
    EXPECT_EQ(r3d->cullMode, 0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_LIGHT1)) << "the lights themselves stay";
    EXPECT_EQ(r3d->lightMask, 1 << 1);
    EXPECT_EQ(r3d->effectOn, 0);
    EXPECT_EQ(r3d->effectMode, 1);
    EXPECT_EQ(r3d->sphereMapping, 0);
    EXPECT_EQ(r3d->level, 0);
    EXPECT_EQ(r3d->levels[0].movement[0], 0);
    EXPECT_EQ(r3d->levels[0].built, 1);
    EXPECT_EQ(r3d->textureOffsetU, 0);
    EXPECT_EQ(r3d->textureOffsetV, 0);
    ExpectVec({r3d->cameraUp, r3d->cameraUp + 3}, {0, 1, 0});
    ExpectVec({r3d->cameraTarget, r3d->cameraTarget + 3}, {0, 0, -1});
    float id[16];
    Mat4Identity(id);
    ExpectVec({r3d->viewMatrix, r3d->viewMatrix + 16}, {id, id + 16});
    EXPECT_EQ(R->m_texFirst, -1) << "no textures";
}

TEST_F(Render3D, CullModeSetsFrontFaceAndStoresUnknownModesOnly)
{
    struct Case {
        int mode;
        bool culling;
        GLint front;
    } cases[] = {{1, true, GL_CW}, {-1, true, GL_CCW}, {0, false, GL_CCW}};
    r3d->Make3DViewport(1, 1000, 45);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        r3d->CullMode(c.mode);
        EXPECT_EQ(r3d->cullMode, c.mode);
        EXPECT_EQ(bool(glIsEnabled(GL_CULL_FACE)), c.culling);
        if (c.culling) {
            GLint f = 0;
            glGetIntegerv(GL_FRONT_FACE, &f);
            EXPECT_EQ(f, c.front);
        }
    }
    r3d->CullMode(1);
    r3d->CullMode(5);
    EXPECT_EQ(r3d->cullMode, 5);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint f = 0;
    glGetIntegerv(GL_FRONT_FACE, &f);
    EXPECT_EQ(f, GL_CW) << "mode 5 changes no GL state";
    GLint cull = 0;
    glGetIntegerv(GL_CULL_FACE_MODE, &cull);
    EXPECT_EQ(cull, GL_BACK);
}

TEST_F(Render3D, CameraDrawsWhatItLooksAtAndUpWaitsForTheNextCamera)
{
    r3d->Make3DViewport(1, 100, 45);
    r3d->SetCamera(0, 0, 5, 0, 0, 0);
    Quad(0, 0, 0, 0.5f, 1, 0, 0);
    EXPECT_EQ(Read(W / 2, H / 2), (gltest::Rgb{255, 0, 0}));
    EXPECT_EQ(Read(5, 5), (gltest::Rgb{0, 0, 0}));
    EXPECT_TRUE(r3d->SphereInFrustum(0, 0, 0, 0));
    EXPECT_FALSE(r3d->SphereInFrustum(0, 0, 10, 1)) << "behind the camera";
    EXPECT_FALSE(r3d->SphereInFrustum(0, 0, -200, 1)) << "beyond the far plane";

    const auto before = Get(GL_MODELVIEW_MATRIX, 16);
    r3d->SetCameraUp(1, 0, 0);
    ExpectVec(Get(GL_MODELVIEW_MATRIX, 16), before);
    r3d->SetCamera(0, 0, 5, 0, 0, 0);
    // World +x now points up the screen: a quad at x = 1 lands above the centre.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Quad(1, 0, 0, 0.3f, 0, 1, 0);
    float wx, wy, wz;
    ASSERT_EQ(RTglu_Project(1, 0, 0, &wx, &wy, &wz), 1);
    EXPECT_NEAR(wx, W / 2, 0.01);
    EXPECT_LT(wy, H / 2 - 50);
    EXPECT_EQ(Read(int(wx), int(wy)), (gltest::Rgb{0, 255, 0}));
    ExpectVec({r3d->viewMatrix, r3d->viewMatrix + 16}, Get(GL_MODELVIEW_MATRIX, 16));
}

TEST_F(Render3D, TransformMatrixMovesWhatIsDrawnByTheLevelMatrix)
{
    r3d->Make3DViewport(1, 100, 45);
    r3d->SetCamera(0, 0, 5, 0, 0, 0);
    MatrixLevel& L = r3d->levels[0];
    L.movement[0] = 1.5f;
    L.built = 0;
    glPushMatrix();
    r3d->TransformMatrix();
    Quad(0, 0, 0, 0.2f, 0, 0, 1);
    glPopMatrix();
    float wx, wy, wz;
    ASSERT_EQ(RTglu_Project(1.5f, 0, 0, &wx, &wy, &wz), 1);
    EXPECT_EQ(Read(int(wx), int(wy)), (gltest::Rgb{0, 0, 255}));
    EXPECT_EQ(Read(W / 2, H / 2), (gltest::Rgb{0, 0, 0}));
}

TEST_F(Render3D, LightKindsFollowTheCutoffAndLightNumbersWrapAtEight)
{
    r3d->Make3DViewport(1, 1000, 45); // modelview = identity: positions as given
    struct Case {
        int n, light;
        float x, y, z, dx, dy, dz, cutoff;
        std::vector<float> position, direction;
        float spotCutoff;
        bool specular;
    } cases[] = {
        {9, 1, 1, 2, 3, 0, -1, 0, 30, {1, 2, 3, 1}, {0, -1, 0}, 30, true},          // spot
        {2, 2, 0, 0, 0, 0, 0, 0, 45, {0, 0, 1, 0}, {0, 0, -1}, 180, false},         // +z
        {0, 0, 0, 10, 0, 0, -1, 0, 120, {0, 10, 0, 1}, {0, 0, -1}, 180, true},      // point
        {3, 3, 0, 10, 0, 0, -2, 0, 180, {0, 1, 0, 0}, {0, 0, -1}, 180, false},      // directional
        {12, 4, 0, 10, 0, 0, -4, 0, 60, {0, 10, 0, 1}, {0, -1, 0}, 60, true},       // normalised
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        r3d->SpotLt(c.n, 0x3366FF, c.x, c.y, c.z, c.dx, c.dy, c.dz, c.cutoff, 0);
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0 + c.light));
        EXPECT_TRUE(r3d->lightMask & (1 << c.light));
        ExpectVec(Light(c.light, GL_POSITION), c.position);
        ExpectVec(Light(c.light, GL_SPOT_DIRECTION, 3), c.direction);
        ExpectVec(Light(c.light, GL_SPOT_CUTOFF, 1), {c.spotCutoff});
        ExpectVec(Light(c.light, GL_DIFFUSE), {1, 0.4f, 0.2f, 1}, 1e-3f);
        ExpectVec(Light(c.light, GL_SPECULAR),
                  c.specular ? std::vector<float>{1, 0.4f, 0.2f, 1} : std::vector<float>{0, 0, 0, 1},
                  1e-3f);
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint cm = 0;
    glGetIntegerv(GL_COLOR_MATERIAL_PARAMETER, &cm);
    EXPECT_EQ(cm, GL_DIFFUSE);
}

TEST_F(Render3D, LightsGivenAfterTheCameraAreInWorldCoordinates)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SetCamera(0, 0, 10, 0, 0, 0);
    r3d->SpotLt(0, 0xFFFFFF, 0, 0, 0, 0, 0, -1, 120, 0); // point light at the world origin
    ExpectVec(Light(0, GL_POSITION), {0, 0, -10, 1});
    ExpectVec(Get(GL_MODELVIEW_MATRIX, 16), {r3d->viewMatrix, r3d->viewMatrix + 16});

    r3d->AmbientLt(5, 0xFFFFFF); // from the camera's side towards the origin
    ExpectVec(Light(5, GL_POSITION), {0, 0, 1, 0});
    ExpectVec(Light(5, GL_SPOT_CUTOFF, 1), {180});
    r3d->SetCamera(0, 0, 0, 0, 0, -1);
    r3d->AmbientLt(6, 0xFFFFFF); // camera at the origin: the +z light
    ExpectVec(Light(6, GL_POSITION), {0, 0, 1, 0});
}

TEST_F(Render3D, SwitchingOffTheLastLightSwitchesOffLighting)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SpotLt(1, 0xFFFFFF, 0, 1, 0, 0, 0, 0, 120, 0);
    r3d->SpotLt(2, 0xFFFFFF, 0, 1, 0, 0, 0, 0, 120, 0);
    r3d->SpotLt(1, 0, 0, 0, 0, 0, 0, 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING)) << "light 2 still on";
    EXPECT_EQ(r3d->lightMask, 1 << 2);
    r3d->SpotLt(10, 0, 0, 0, 0, 0, 0, 0, 0, 0); // 10 is light 2
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_EQ(r3d->lightMask, 0);
}

TEST_F(Render3D, NegativeLightNumbersPickAnEffectAndLeaveGLLightsAlone)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SpotLt(0, 0xFFFFFF, 0, 1, 0, 0, 0, 0, 120, 0);
    const auto pos = Light(0, GL_POSITION);
    struct Case {
        int n;
        float cutoff;
        int mode, on;
    } cases[] = {{-1, 1, 1, 1}, {-2, 5, 2, 1}, {-7, -3, 2, 1}, {-3, 1, 3, 1}, {-3, 0, 3, 0},
                 {-1, 0.000001f, 1, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " cutoff " << c.cutoff);
        r3d->SpotLt(c.n, 0x00FF80, 4, 5, 6, 1, 1, 1, c.cutoff, 1);
        EXPECT_EQ(r3d->effectMode, c.mode);
        EXPECT_EQ(r3d->effectOn, c.on);
        ExpectVec({r3d->effectLight, r3d->effectLight + 3}, {4, 5, 6});
        ExpectVec({r3d->effectColour, r3d->effectColour + 3}, {128 / 255.0f, 1, 0});
        EXPECT_EQ(r3d->lightMask, 1);
        EXPECT_TRUE(glIsEnabled(GL_LIGHT0));
        EXPECT_FALSE(glIsEnabled(GL_LIGHT1));
        ExpectVec(Light(0, GL_POSITION), pos);
    }
    EXPECT_EQ(r3d->shadowPass, 0) << "no shadow pass until the shadow renderer exists";
}

TEST_F(Render3D, FogIsLinearOverTheClipRangeOrExponential)
{
    r3d->Make3DViewport(1, 500, 45);
    r3d->Fog(0x0000FF, 0, 0, 0);
    EXPECT_TRUE(glIsEnabled(GL_FOG));
    ExpectVec(Get(GL_FOG_MODE, 1), {float(GL_LINEAR)});
    ExpectVec(Get(GL_FOG_START, 1), {1});
    ExpectVec(Get(GL_FOG_END, 1), {500});
    ExpectVec(Get(GL_FOG_COLOR, 4), {1, 0, 0, 0});

    r3d->Fog(0x00FF00, 0, 5, 50);
    ExpectVec(Get(GL_FOG_START, 1), {5});
    ExpectVec(Get(GL_FOG_END, 1), {50});
    ExpectVec(Get(GL_FOG_COLOR, 4), {0, 1, 0, 0});

    r3d->Fog(0xFF0000, 1, 0.02f, 0);
    ExpectVec(Get(GL_FOG_MODE, 1), {float(GL_EXP)});
    ExpectVec(Get(GL_FOG_DENSITY, 1), {0.02f});
    ExpectVec(Get(GL_FOG_END, 1), {50}); // end is not read in this mode

    r3d->Fog(0xFFFFFFFF, 0, 0, 0);
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    r3d->Fog(0x0000FF, 0, 0, 0);
    r3d->Make3DViewport(1, 500, 45);
    EXPECT_FALSE(glIsEnabled(GL_FOG)) << "switching to 3D disables fog";
}

TEST_F(Render3D, DotAndLineDrawInTheirColourAndPutBackSizeColourAndLighting)
{
    for (bool lit : {false, true}) {
        SCOPED_TRACE(lit);
        r3d->Make3DViewport(1, 100, 45);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (lit) r3d->SpotLt(3, 0xFFFFFF, 0, 1, 0, 0, 0, 0, 120, 0);
        const auto mv = Get(GL_MODELVIEW_MATRIX, 16);
        const float p[3] = {0, 0, -5};
        r3d->DrawDot(p, 0x0000FF, 40);
        EXPECT_EQ(Read(W / 2, H / 2), (gltest::Rgb{255, 0, 0}));
        ExpectVec(Get(GL_POINT_SIZE, 1), {1});
        EXPECT_FALSE(glIsEnabled(GL_POINT_SMOOTH));
        EXPECT_EQ(bool(glIsEnabled(GL_LIGHTING)), lit);
        ExpectVec(Get(GL_CURRENT_COLOR, 4), {1, 1, 1, R->m_alpha});

        const float a[3] = {-1, 1, -5}, b[3] = {1, 1, -5};
        r3d->DrawLine(a, b, 0x00FF00, 5);
        float wx, wy, wz;
        ASSERT_EQ(RTglu_Project(0, 1, -5, &wx, &wy, &wz), 1);
        EXPECT_EQ(Read(int(wx), int(wy)), (gltest::Rgb{0, 255, 0}));
        ExpectVec(Get(GL_LINE_WIDTH, 1), {1});
        EXPECT_FALSE(glIsEnabled(GL_LINE_SMOOTH));
        EXPECT_EQ(bool(glIsEnabled(GL_LIGHTING)), lit);
        EXPECT_FALSE(glIsEnabled(GL_COLOR_MATERIAL));
        ExpectVec(Get(GL_MODELVIEW_MATRIX, 16), mv);
    }
}

TEST_F(Render3D, CoordinateAxesStayAtTheWorldOriginUnderAModelMovement)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SetCamera(0, 0, 100, 0, 0, 0);
    glTranslatef(30, 0, 0); // a model-matrix movement
    const auto moved = Get(GL_MODELVIEW_MATRIX, 16);
    r3d->DrawCoordAxis(0, 0, 0);
    ExpectVec(Get(GL_MODELVIEW_MATRIX, 16), moved);
    float cx, cy, cz;
    glLoadMatrixf(r3d->viewMatrix); // world coordinates, without the movement
    ASSERT_EQ(RTglu_Project(10, 0, 0, &cx, &cy, &cz), 1);
    auto redNear = [](int x, int y) {
        for (int dy = -2; dy <= 2; ++dy) {
            const gltest::Rgb c = Read(x, y + dy);
            if (c.r > 128 && c.g < 64 && c.b < 64) return true;
        }
        return false;
    };
    EXPECT_TRUE(redNear(int(cx), int(cy))) << "the x arrow runs from the world origin";
    float far_x, far_y, far_z;
    ASSERT_EQ(RTglu_Project(45, 0, 0, &far_x, &far_y, &far_z), 1);
    EXPECT_FALSE(redNear(int(far_x), int(far_y))) << "a moved arrow would reach x = 50";
}

// Line segments GL would draw, in window coordinates, caught in feedback mode.
struct Segments {
    std::vector<std::vector<float>> starts;
    int segments = 0;
};

template <class Draw> Segments Feedback(Draw draw)
{
    std::vector<GLfloat> buf(1 << 16);
    glFeedbackBuffer(static_cast<GLsizei>(buf.size()), GL_3D, buf.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint n = glRenderMode(GL_RENDER);
    Segments s;
    for (GLint i = 0; i < n;) {
        const GLint token = static_cast<GLint>(buf[i]);
        if (token == GL_LINE_RESET_TOKEN || token == GL_LINE_TOKEN) {
            ++s.segments;
            s.starts.push_back({buf[i + 1], buf[i + 2], buf[i + 3]});
            i += 7;
        } else if (token == GL_POINT_TOKEN) {
            i += 4;
        } else {
            ADD_FAILURE() << "unexpected token " << token;
            break;
        }
    }
    return s;
}

TEST_F(Render3D, SphereGridIsEightyLineLoopsAndTheBoxTwelveEdges)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SetCamera(0, 0, 50, 0, 0, 0);
    float centre[3] = {1, 2, 0};
    const Segments sphere = Feedback([&] { r3d->DrawSphereGrid(centre, 5, 0xFFFFFF, 2); });
    EXPECT_EQ(sphere.segments, 240) << "80 triangle outlines of three edges";
    ExpectVec(Get(GL_LINE_WIDTH, 1), {1});

    const float c[3] = {0, 0, 0}, a[3] = {3, 0, 0}, b[3] = {0, 2, 0}, d[3] = {0, 0, 1};
    const Segments box = Feedback([&] { r3d->DrawAABB(c, a, b, d, 0xFF00FF, 1); });
    EXPECT_EQ(box.segments, 12);
    float wx, wy, wz;
    ASSERT_EQ(RTglu_Project(-3, -2, -1, &wx, &wy, &wz), 1);
    ASSERT_FALSE(box.starts.empty());
    // Feedback gives GL's window y, from the bottom.
    ExpectVec(box.starts[0], {wx, H - wy, wz}, 1e-2f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    ExpectVec(Get(GL_CURRENT_COLOR, 4), {1, 1, 1, R->m_alpha});
}

TEST_F(Render3D, ProjectAndUnProjectUseTheLiveGLView)
{
    r3d->Make3DViewport(1, 1000, 45);
    r3d->SetCamera(0, 0, 10, 0, 0, 0);
    float x = -1, y = -1, z = -1;
    ASSERT_EQ(RTglu_Project(0, 0, 0, &x, &y, &z), 1);
    EXPECT_NEAR(x, W / 2, 1e-3);
    EXPECT_NEAR(y, H / 2, 1e-3);
    x = y = z = 3;
    EXPECT_EQ(RTglu_Project(5, 5, 10, &x, &y, &z), 0) << "on the camera's plane";
    EXPECT_EQ(x, 3);

    ASSERT_EQ(RTglu_UnProject(W / 2.0f, H / 2.0f, 0, &x, &y, &z), 1);
    EXPECT_NEAR(x, 0, 1e-4);
    EXPECT_NEAR(y, 0, 1e-4);
    EXPECT_NEAR(z, 9, 1e-3);
    ASSERT_EQ(RTglu_UnProject(W / 2.0f, H / 2.0f, 1, &x, &y, &z), 1);
    EXPECT_NEAR(z, -990, 0.5);
}

} // namespace
