// Matrix, frustum, projection and wire-sphere maths of the 3D renderer: no
// GL context is needed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine3d/debug_draw.h"
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "engine3d/projection.h"
#include "media/gl_extensions.h"

using namespace __VELTRIC__;

namespace {

struct V3 {
    float x, y, z;
};

V3 Apply(const float m[16], V3 p, float w = 1.0f)
{
    const float in[4] = {p.x, p.y, p.z, w};
    float out[4];
    Mat4Transform(m, in, out);
    return {out[0], out[1], out[2]};
}

void ExpectNear(V3 got, V3 want, float tol = 1e-5f)
{
    EXPECT_NEAR(got.x, want.x, tol);
    EXPECT_NEAR(got.y, want.y, tol);
    EXPECT_NEAR(got.z, want.z, tol);
}

// The matrix glFrustum multiplies onto the current one.
void FrustumMatrix(float l, float r, float b, float t, float n, float f, float m[16])
{
    for (int i = 0; i < 16; ++i) m[i] = 0;
    m[0] = 2 * n / (r - l);
    m[5] = 2 * n / (t - b);
    m[8] = (r + l) / (r - l);
    m[9] = (t + b) / (t - b);
    m[10] = -(f + n) / (f - n);
    m[11] = -1;
    m[14] = -2 * f * n / (f - n);
}

void OrthoMatrix(float l, float r, float b, float t, float n, float f, float m[16])
{
    Mat4Identity(m);
    m[0] = 2 / (r - l);
    m[5] = 2 / (t - b);
    m[10] = -2 / (f - n);
    m[12] = -(r + l) / (r - l);
    m[13] = -(t + b) / (t - b);
    m[14] = -(f + n) / (f - n);
}

// The renderer's constructor makes no GL call, so the level maths runs here.
std::unique_ptr<Dedudeve3D> Renderer() { return std::make_unique<Dedudeve3D>(nullptr); }

} // namespace

TEST(Matrix4, RotationFollowsTheRightHandRuleAboutTheNormalisedAxis)
{
    struct Case {
        float angle, ax, ay, az;
        V3 in, out;
    } cases[] = {
        {90, 0, 0, 1, {1, 0, 0}, {0, 1, 0}},
        {90, 0, 0, -1, {1, 0, 0}, {0, -1, 0}}, // the sign of the axis turns the direction
        {90, 0, 0, 5, {1, 0, 0}, {0, 1, 0}},   // axis length does not matter
        {90, 1, 0, 0, {0, 1, 0}, {0, 0, 1}},
        {90, 0, 1, 0, {0, 0, 1}, {1, 0, 0}},
        {120, 1, 1, 1, {1, 0, 0}, {0, 1, 0}},  // a third turn about the diagonal
        {-90, 0, 0, 1, {0, 1, 0}, {1, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angle << " about " << c.ax << "," << c.ay << "," << c.az);
        float m[16];
        ASSERT_TRUE(Mat4Rotation(c.angle, c.ax, c.ay, c.az, m));
        ExpectNear(Apply(m, c.in), c.out);
    }
    float m[16] = {7};
    EXPECT_FALSE(Mat4Rotation(90, 0.00005f, 0, 0, m)) << "an axis too short to normalise";
    EXPECT_EQ(m[0], 7) << "left untouched";
}

TEST(Matrix4, InverseUndoesAComposedMatrixAndASingularOneIsRefused)
{
    float r[16], t[16], s[16], m[16], inv[16], prod[16];
    Mat4Rotation(33, 1, 2, 3, r);
    Mat4Translation(4, -5, 6, t);
    Mat4Scaling(2, 3, 0.5f, s);
    Mat4Multiply(t, r, m);
    Mat4Multiply(m, s, m);
    ASSERT_TRUE(Mat4Invert(m, inv));
    Mat4Multiply(m, inv, prod);
    float id[16];
    Mat4Identity(id);
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(prod[i], id[i], 1e-5f) << i;

    Mat4Scaling(1, 0, 1, s);
    float out[16] = {42};
    EXPECT_FALSE(Mat4Invert(s, out));
    EXPECT_EQ(out[0], 42);
}

TEST(Matrix4, LookAtPutsTheTargetAheadAndUpAlongScreenY)
{
    float m[16];
    Mat4LookAt(0, 0, 10, 0, 0, 0, 0, 1, 0, m);
    ExpectNear(Apply(m, {0, 0, 0}), {0, 0, -10});
    ExpectNear(Apply(m, {1, 2, 0}), {1, 2, -10});

    Mat4LookAt(5, 0, 0, 0, 0, 0, 0, 1, 0, m);
    ExpectNear(Apply(m, {0, 0, 0}), {0, 0, -5});
    ExpectNear(Apply(m, {5, 1, 0}), {0, 1, 0});
    ExpectNear(Apply(m, {5, 0, -1}), {1, 0, 0}); // world -z is to the right looking down -x

    Mat4LookAt(0, 0, 10, 0, 0, 0, 1, 0, 0, m); // up along world x
    ExpectNear(Apply(m, {1, 0, 10}), {0, 1, 0});

    // Eye on the target: the unnormalisable vectors stay zero, no NaN.
    Mat4LookAt(1, 1, 1, 1, 1, 1, 0, 1, 0, m);
    for (float v : m) EXPECT_FALSE(std::isnan(v));
}

TEST(MatrixLevels, FirstRotationGivenActsFirstAfterScalingAndBeforeMovement)
{
    auto r3d = Renderer();
    MatrixLevel& L = r3d->levels[0];
    L.rotationCount = 2;
    L.rotations[0] = {90, 0, 0, 1};
    L.rotations[1] = {90, 1, 0, 0};
    L.built = 0;
    r3d->BuildMatrix();
    EXPECT_EQ(L.built, 1);
    // About z: (1,0,0) -> (0,1,0); then about x: -> (0,0,1).
    ExpectNear(Apply(L.composed, {1, 0, 0}), {0, 0, 1});

    L.Reset();
    L.scaling[0] = L.scaling[1] = L.scaling[2] = 2;
    L.rotationCount = 1;
    L.rotations[0] = {90, 0, 0, 1};
    L.movement[0] = 10;
    L.built = 0;
    r3d->BuildMatrix();
    ExpectNear(Apply(L.composed, {1, 0, 0}), {10, 2, 0});

    // Built levels are left alone.
    L.movement[0] = 99;
    r3d->BuildMatrix();
    ExpectNear(Apply(L.composed, {1, 0, 0}), {10, 2, 0});
}

TEST(MatrixLevels, ComposesOnTopOfTheBaseAndSkipsZeroAxisRotations)
{
    auto r3d = Renderer();
    r3d->level = 3;
    MatrixLevel& L = r3d->levels[3];
    L.Reset();
    Mat4Translation(0, 5, 0, L.composed); // the parent's matrix after a push
    float m[16];
    Mat4Scaling(3, 1, 1, m);
    std::copy(m, m + 16, L.matrices[0]);
    L.matrixCount = 1;
    L.rotationCount = 2;
    L.rotations[0] = {45, 0, 0, 0}; // no axis: skipped
    L.rotations[1] = {180, 0, 1, 0};
    L.built = 0;
    r3d->BuildMatrix();
    // Rotation first (x flips), then the free matrix, then the base.
    ExpectNear(Apply(L.composed, {1, 0, 0}), {-3, 5, 0});
    EXPECT_EQ(r3d->levels[0].composed[13], 0) << "other levels untouched";
}

TEST(MatrixLevels, CountsAboveTheArraySizeUseOnlyTheSixteenStoredItems)
{
    // The counts are filled by the matrix commands; a count past 16 must not
    // read beyond the level (the top level ends near the end of the object).
    auto r3d = Renderer();
    r3d->level = Dedudeve3D::kLevelCount - 1;
    MatrixLevel& L = r3d->levels[r3d->level];
    L.Reset();
    for (auto& mat : L.matrices) Mat4Scaling(2, 1, 1, mat);
    for (auto& rot : L.rotations) rot = {0, 0, 0, 1};
    L.matrixCount = 100000;
    L.rotationCount = 100000;
    L.built = 0;
    r3d->BuildMatrix();
    EXPECT_FLOAT_EQ(L.composed[0], 65536.0f);

    r3d->level = 99; // outside the stack: nothing to build
    r3d->BuildMatrix();
    r3d->level = -1;
    r3d->BuildMatrix();
}

TEST(Matrix4, FrustumAndOrthoAreTheGLMatricesAndRefuseWhatTheGLRefuses)
{
    float got[16], want[16];
    ASSERT_TRUE(Mat4Frustum(-1.5f, 2, -0.75f, 1, 2.5f, 333.3f, got));
    FrustumMatrix(-1.5f, 2, -0.75f, 1, 2.5f, 333.3f, want);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(got[i], want[i]) << "element " << i;
    ASSERT_TRUE(Mat4Ortho(-3, 5, -2, 7, 0.1f, 5000, got));
    OrthoMatrix(-3, 5, -2, 7, 0.1f, 5000, want);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(got[i], want[i]) << "element " << i;

    float untouched[16];
    Mat4Identity(untouched);
    std::memcpy(got, untouched, sizeof got);
    EXPECT_FALSE(Mat4Frustum(-1, 1, -1, 1, 0, 100, got)) << "near plane at 0";
    EXPECT_FALSE(Mat4Frustum(-1, 1, -1, 1, 1, -5, got)) << "far plane behind";
    EXPECT_FALSE(Mat4Frustum(-1, 1, -1, 1, 5, 5, got));
    EXPECT_FALSE(Mat4Frustum(1, 1, -1, 1, 1, 5, got));
    EXPECT_FALSE(Mat4Ortho(-1, 1, 2, 2, 1, 5, got));
    EXPECT_FALSE(Mat4Ortho(-1, 1, -1, 1, 3, 3, got));
    EXPECT_EQ(std::memcmp(got, untouched, sizeof got), 0) << "a refused matrix is not written";
    EXPECT_TRUE(Mat4Ortho(0, 640, 480, 0, -1, 1, got)) << "an orthographic box may reach behind the eye";
}

TEST(Frustum, PlanesAreUnitLengthAndSpheresOutsideOnePlaneAreCulled)
{
    auto r3d = Renderer();
    float p[16], mv[16];
    FrustumMatrix(-1, 1, -1, 1, 1, 100, p); // a 90 degree cone
    Mat4Identity(mv);
    FrustumPlanes(p, mv, r3d->frustum);
    for (const float* pl : r3d->frustum)
        EXPECT_NEAR(pl[0] * pl[0] + pl[1] * pl[1] + pl[2] * pl[2], 1.0, 1e-5);
    // The right plane leans inwards from the right.
    EXPECT_NEAR(r3d->frustum[Dedudeve3D::kRight][0], -std::sqrt(0.5f), 1e-5f);
    EXPECT_NEAR(r3d->frustum[Dedudeve3D::kNear][3], -1, 1e-5f);
    EXPECT_NEAR(r3d->frustum[Dedudeve3D::kFar][3], 100, 1e-3f);

    struct Case {
        V3 c;
        float r;
        bool in;
    } cases[] = {
        {{0, 0, -10}, 0, true},    {{0, 0, 5}, 1, false},   {{0, 0, 5}, 6.5f, true},
        {{0, 0, -150}, 10, false}, {{0, 0, -105}, 10, true}, {{20, 0, -10}, 1, false},
        {{0, -20, -10}, 1, false}, {{0, 20, -10}, 12, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(r3d->SphereInFrustum(c.c.x, c.c.y, c.c.z, c.r), c.in)
            << c.c.x << "," << c.c.y << "," << c.c.z << " r " << c.r;

    // A camera moves the planes into world coordinates.
    Mat4Translation(0, 0, -50, mv); // camera at z = +50
    FrustumPlanes(p, mv, r3d->frustum);
    EXPECT_TRUE(r3d->SphereInFrustum(0, 0, 0, 0));
    EXPECT_FALSE(r3d->SphereInFrustum(0, 0, -60, 1));
}

TEST(Frustum, APointExactlyOnAPlaneWithRadiusZeroIsOutside)
{
    auto r3d = Renderer();
    float p[16], mv[16];
    OrthoMatrix(-8, 8, -8, 8, 1, 65, p); // exact binary fractions
    Mat4Identity(mv);
    FrustumPlanes(p, mv, r3d->frustum);
    EXPECT_FALSE(r3d->SphereInFrustum(8, 0, -10, 0));
    EXPECT_TRUE(r3d->SphereInFrustum(8, 0, -10, 0.01f));
    EXPECT_FALSE(r3d->SphereInFrustum(0, 0, -1, 0)) << "on the near plane";
    EXPECT_TRUE(r3d->SphereInFrustum(7.99f, 0, -10, 0));
}

namespace {
struct View {
    float mv[16], proj[16];
    int vp[4] = {0, 0, 640, 480};
    View()
    {
        Mat4Identity(mv);
        const float top = std::tan(22.5f * 3.14159265f / 180.0f);
        FrustumMatrix(-top * 4 / 3, top * 4 / 3, -top, top, 1, 1000, proj);
    }
};
} // namespace

TEST(Projection, ViewCentreProjectsToViewportCentreWithYFromTheTop)
{
    View v;
    float x = -1, y = -1, z = -1;
    ASSERT_EQ(ProjectPoint(v.mv, v.proj, v.vp, 480, 0, 0, -10, &x, &y, &z), 1);
    EXPECT_NEAR(x, 320, 1e-3);
    EXPECT_NEAR(y, 240, 1e-3);
    EXPECT_GT(z, 0);
    EXPECT_LT(z, 1);
    ASSERT_EQ(ProjectPoint(v.mv, v.proj, v.vp, 480, 1, 1, -10, &x, &y, &z), 1);
    EXPECT_GT(x, 320);
    EXPECT_LT(y, 240) << "a point above the centre has a smaller y";

    // A view of 300 x 200 whose top-left corner is at (10, 20) of a window
    // 480 high (GL places it 260 up from the bottom): its centre is window
    // point (160, 120), y counted from the window's top.
    const int inset[4] = {10, 260, 300, 200};
    ASSERT_EQ(ProjectPoint(v.mv, v.proj, inset, 480, 0, 0, -10, &x, &y, &z), 1);
    EXPECT_NEAR(x, 160, 1e-3);
    EXPECT_NEAR(y, 120, 1e-3);

    // On the camera's plane w is 0: no result, outputs untouched.
    x = y = z = 7;
    EXPECT_EQ(ProjectPoint(v.mv, v.proj, v.vp, 480, 3, 4, 0, &x, &y, &z), 0);
    EXPECT_EQ(x, 7);
    EXPECT_EQ(y, 7);
    EXPECT_EQ(z, 7);
}

TEST(Projection, UnProjectReachesNearAndFarPlanesAndUndoesProject)
{
    View v;
    float x, y, z;
    ASSERT_EQ(UnProjectPoint(v.mv, v.proj, v.vp, 320, 240, 0, &x, &y, &z), 1);
    ExpectNear({x, y, z}, {0, 0, -1}, 1e-4f);
    ASSERT_EQ(UnProjectPoint(v.mv, v.proj, v.vp, 320, 240, 1, &x, &y, &z), 1);
    ExpectNear({x, y, z}, {0, 0, -1000}, 0.5f);

    // Round trip: project gives y from the top, unproject takes it from the bottom.
    Mat4LookAt(3, 4, 20, 0, 0, 0, 0, 1, 0, v.mv);
    v.vp[0] = 10;
    for (V3 p : {V3{1, 2, 3}, V3{-4, 0.5f, -2}, V3{0, 0, 0}}) {
        float wx, wy, wz;
        ASSERT_EQ(ProjectPoint(v.mv, v.proj, v.vp, 480, p.x, p.y, p.z, &wx, &wy, &wz), 1);
        ASSERT_EQ(UnProjectPoint(v.mv, v.proj, v.vp, wx, 480 - wy, wz, &x, &y, &z), 1);
        ExpectNear({x, y, z}, p, 2e-3f);
    }
}

TEST(Projection, SingularMatricesUnProjectToNormalisedDeviceCoordinates)
{
    View v;
    for (float& e : v.proj) e = 0;
    float x, y, z;
    ASSERT_EQ(UnProjectPoint(v.mv, v.proj, v.vp, 320, 240, 0.5f, &x, &y, &z), 1);
    ExpectNear({x, y, z}, {0, 0, 0});
    ASSERT_EQ(UnProjectPoint(v.mv, v.proj, v.vp, 640, 0, 1, &x, &y, &z), 1);
    ExpectNear({x, y, z}, {1, -1, 1});
}

TEST(SphereGrid, EightyTrianglesOnTheSphereAndANegativeDepthStops)
{
    struct Collect {
        std::vector<V3> corners;
        int triangles = 0;
        void operator()(const float* a, const float* b, const float* c)
        {
            ++triangles;
            for (const float* p : {a, b, c}) corners.push_back({p[0], p[1], p[2]});
        }
    };
    const float centre[3] = {1, -2, 3};
    Collect all;
    SphereGridTriangles(centre, 2.5f, all);
    EXPECT_EQ(all.triangles, 80);
    for (V3 p : all.corners) {
        const float d = std::sqrt((p.x - 1) * (p.x - 1) + (p.y + 2) * (p.y + 2) + (p.z - 3) * (p.z - 3));
        EXPECT_NEAR(d, 2.5f, 1e-5f);
    }

    struct Depth {
        int depth, triangles;
    } depths[] = {{0, 1}, {1, 4}, {2, 16}, {-1, 1}, {-1000, 1}};
    for (const Depth& d : depths) {
        Collect c;
        SubdivideSphereFace(centre, 1, kIcosaVertices[0], kIcosaVertices[4], kIcosaVertices[1],
                            d.depth, c);
        EXPECT_EQ(c.triangles, d.triangles) << "depth " << d.depth;
    }
}

TEST(Renderer3D, StartsWithEmptyObjectSlotsAndFixedPipeline)
{
    auto r3d = Renderer();
    ASSERT_EQ(r3d->slots.Count(), Dedudeve3D::kSlotCount);
    for (int i = 0; i < r3d->slots.Count(); ++i) {
        const X_WORLD& w = r3d->slots[i];
        ASSERT_EQ(w.loaded, 0);
        ASSERT_EQ(w.isWorld, 0);
        ASSERT_EQ(w.objects.Count(), 0);
        ASSERT_EQ(w.textures.Count(), 0);
    }
    for (const ShaderSlot& s : r3d->shaders) {
        EXPECT_EQ(s.program, 0u);
        EXPECT_EQ(s.vertexShader, 0u);
        EXPECT_EQ(s.fragmentShader, 0u);
    }
    EXPECT_EQ(r3d->normalsMode, 2);
    EXPECT_EQ(r3d->level, 0);
    EXPECT_EQ(r3d->lightMask, 0);
    EXPECT_EQ(r3d->shadowPass, 0);
    EXPECT_EQ(r3d->currentShader, -1);
    // Selection goes through the GL entry point, which this test has no
    // context for: a recording stand-in takes its place.
    static GLhandleARB used = 99;
    const auto saved = glUseProgramObjectArb;
    glUseProgramObjectArb = [](GLhandleARB p) { used = p; };
    r3d->SetShader(4);
    EXPECT_EQ(r3d->currentShader, 4);
    EXPECT_EQ(used, 0u); // slot 4 holds no program
    r3d->SetShader(-9);
    EXPECT_EQ(r3d->currentShader, -1);
    glUseProgramObjectArb = saved;
}
