// The 3D commands' own rules without a GL context: the model-matrix stack,
// the face queries over a slot's triangles, the normals mode and the number
// conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"
#include "engine3d/x_commands.h"
#include "runtime/core.h"

namespace {

using namespace __VELTRIC__;

class XCommands : public ::testing::Test {
public:
    Dedudeve3D* r = nullptr;
    void SetUp() override
    {
        // The renderer's constructor makes no GL call; one instance lives on.
        static Dedudeve3D* shared = new Dedudeve3D(nullptr);
        r = shared;
        __g_pRbow3D = r;
        r->level = 0;
        for (MatrixLevel& l : r->levels) l.Reset();
        xcmds_detail::ForgetLevelOverflow();
        for (int s = 0; s < 4; ++s) r->slots[s].objects.SetCount(0);
    }
    const float* Composed()
    {
        r->BuildMatrix();
        return r->levels[r->level].composed;
    }
};

std::vector<float> M(std::function<void(float*)> make)
{
    std::vector<float> m(16);
    make(m.data());
    return m;
}
std::vector<float> Identity() { return M([](float* m) { Mat4Identity(m); }); }
std::vector<float> Mul(const std::vector<float>& a, const std::vector<float>& b)
{
    std::vector<float> o(16);
    Mat4Multiply(a.data(), b.data(), o.data());
    return o;
}
std::vector<float> T(float x, float y, float z)
{
    return M([&](float* m) { Mat4Translation(x, y, z, m); });
}
std::vector<float> R(float a, float x, float y, float z)
{
    return M([&](float* m) { Mat4Rotation(a, x, y, z, m); });
}
std::vector<float> S(float x, float y, float z)
{
    return M([&](float* m) { Mat4Scaling(x, y, z, m); });
}

void ExpectMatrix(const float* got, const std::vector<float>& want)
{
    for (int k = 0; k < 16; ++k) EXPECT_NEAR(got[k], want[k], 1e-4f) << "element " << k;
}

TEST_F(XCommands, MatrixCommandsComposeTheLevel)
{
    struct Case {
        const char* name;
        std::function<void()> commands;
        std::vector<float> want;
    } cases[] = {
        {"movement after rotation discards the rotation",
         [] { X_ROTATION(90, 0, 0, 1); X_MOVEMENT(1, 2, 3); }, T(1, 2, 3)},
        {"rotation after movement keeps both",
         [] { X_MOVEMENT(1, 2, 3); X_ROTATION(90, 0, 0, 1); },
         Mul(T(1, 2, 3), R(90, 0, 0, 1))},
        {"scaling keeps the movement",
         [] { X_MOVEMENT(1, 0, 0); X_SCALING(2, 2, 2); }, Mul(T(1, 0, 0), S(2, 2, 2))},
        {"movement keeps the scaling",
         [] { X_SCALING(3, 1, 1); X_MOVEMENT(0, 5, 0); }, Mul(T(0, 5, 0), S(3, 1, 1))},
        {"a pushed level starts from its parent",
         [] { X_MOVEMENT(1, 0, 0); X_PUSHMATRIX(); X_MOVEMENT(0, 1, 0); },
         Mul(T(1, 0, 0), T(0, 1, 0))},
        {"pop returns to the parent's matrix",
         [] { X_MOVEMENT(1, 0, 0); X_PUSHMATRIX(); X_MOVEMENT(0, 1, 0); X_POPMATRIX(); },
         T(1, 0, 0)},
        {"pop on level 0 resets it to the identity",
         [] { X_MOVEMENT(4, 4, 4); X_ROTATION(30, 1, 0, 0); X_POPMATRIX(); }, Identity()},
        {"a 17th rotation is ignored",
         [] { for (int i = 0; i < 17; ++i) X_ROTATION(10, 0, 0, 1); }, R(160, 0, 0, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        c.commands();
        ExpectMatrix(Composed(), c.want);
    }
}

TEST_F(XCommands, IgnoredRotationStillMarksTheLevelForRebuilding)
{
    for (int i = 0; i < 16; ++i) X_ROTATION(5, 0, 1, 0);
    r->BuildMatrix();
    X_ROTATION(5, 0, 1, 0);
    EXPECT_EQ(r->levels[0].rotationCount, 16);
    EXPECT_EQ(r->levels[0].built, 0);
}

TEST_F(XCommands, MultMatrixTakesOnlyOneDimensionOfSixteen)
{
    const std::vector<float> shift = T(7, 8, 9);
    DGIntArray flat, square, short15;
    DIM(flat, 16);
    DIM(square, 4, 4);
    DIM(short15, 15);
    for (int k = 0; k < 16; ++k) {
        flat(k) = shift[k];
        square(k % 4, k / 4) = shift[k];
    }
    X_MULTMATRIX(square);
    X_MULTMATRIX(short15);
    EXPECT_EQ(r->levels[0].matrixCount, 0);
    ExpectMatrix(Composed(), Identity());

    X_MOVEMENT(0, 0, 0);
    X_MULTMATRIX(flat);
    EXPECT_EQ(r->levels[0].matrixCount, 1);
    ExpectMatrix(Composed(), shift);

    // A level holds 16 free matrices; more never write past them.
    X_MOVEMENT(0, 0, 0);
    for (int i = 0; i < 20; ++i) X_MULTMATRIX(flat);
    EXPECT_EQ(r->levels[0].matrixCount, 16);
    ExpectMatrix(Composed(), T(7 * 16, 8 * 16, 9 * 16));
}

TEST_F(XCommands, PushesBeyondTheLastLevelStayPairedWithPops)
{
    X_MOVEMENT(1, 0, 0);
    for (int i = 0; i < 20; ++i) X_PUSHMATRIX();
    EXPECT_EQ(r->level, Dedudeve3D::kLevelCount - 1);
    for (int i = 0; i < 19; ++i) X_POPMATRIX();
    EXPECT_EQ(r->level, 1);
    X_POPMATRIX();
    EXPECT_EQ(r->level, 0);
    ExpectMatrix(Composed(), T(1, 0, 0));
}

TEST_F(XCommands, AutoNormalsIsTheWholeModeModuloThree)
{
    const struct {
        double mode;
        int want;
    } cases[] = {{4, 1}, {-1, -1}, {2, 2}, {3, 0}, {-4, -1}, {5.9, 2},
                 {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        X_AUTONORMALS(c.mode);
        EXPECT_EQ(r->normalsMode, c.want) << c.mode;
    }
}

TEST_F(XCommands, NumbersConvertWithoutUndefinedCasts)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(xcmds_detail::WholeNumber(-2.9), -2);
    EXPECT_EQ(xcmds_detail::WholeNumber(nan), 0);
    EXPECT_EQ(xcmds_detail::WholeNumber(1e300), 2147483647);
    EXPECT_EQ(xcmds_detail::WholeNumber(-1e300), -2147483647 - 1);
    EXPECT_EQ(xcmds_detail::ColourValue(0x00FF8040), 0x00FF8040u);
    EXPECT_EQ(xcmds_detail::ColourValue(4294967295.0), 0xFFFFFFFFu);
    EXPECT_EQ(xcmds_detail::ColourValue(-1), 0xFFFFFFFFu);
    EXPECT_EQ(xcmds_detail::ColourValue(nan), 0u);
}

// Slot fixture: objects whose frames hold triangle lists of given vertex
// counts; vertex k of object o has x = 100 o + k.
void Fill(X_WORLD& w, const std::vector<std::vector<int>>& framesPerObject)
{
    w.objects.AllocAtLeast(static_cast<int>(framesPerObject.size()));
    w.objects.SetCount(static_cast<int>(framesPerObject.size()));
    for (size_t o = 0; o < framesPerObject.size(); ++o) {
        MeshObjectX& obj = w.objects[static_cast<int>(o)].object;
        obj.Clear(true);
        const std::vector<int>& counts = framesPerObject[o];
        obj.frames.AllocAtLeast(static_cast<int>(counts.size()));
        obj.frames.SetCount(static_cast<int>(counts.size()));
        for (size_t f = 0; f < counts.size(); ++f) {
            Queue<POLY_NODE>& t = obj.frames[static_cast<int>(f)].triangles;
            t.Clear();
            for (int k = 0; k < counts[f]; ++k) {
                POLY_NODE p{};
                p.pos[0] = float(100 * o + k);
                p.pos[1] = float(f);
                p.pos[2] = -1;
                p.u = 0.25f;
                p.v = 0.75f;
                p.colour = 0xFFFFFFF0u + static_cast<std::uint32_t>(k % 3);
                p.normal[2] = 1;
                t.Push(p);
            }
        }
    }
}

TEST_F(XCommands, NumFacesCountsFrameZeroOfEveryObjectWithFrames)
{
    Fill(r->slots[1], {{100}});
    EXPECT_EQ(X_NUMFACES(1), 33);
    Fill(r->slots[2], {{9, 30}, {}, {6}});
    EXPECT_EQ(X_NUMFACES(2), 5);
    EXPECT_EQ(X_NUMFACES(3), 0); // empty slot
    EXPECT_EQ(X_NUMFACES(-1), 0);
    EXPECT_EQ(X_NUMFACES(Dedudeve3D::kSlotCount), 0);
}

TEST_F(XCommands, GetFaceWalksObjectsInOrder)
{
    // Object 0: 2 triangles in frame 1; object 1 has no frames; object 2:
    // 1 triangle in frame 1.
    Fill(r->slots[2], {{3, 6}, {}, {3, 3}});
    DGIntArray a;
    X_GETFACE(2, 1, 2, a); // the third face: object 2's first
    ASSERT_EQ(a.Bounds(0), 3);
    ASSERT_EQ(a.Bounds(1), 9);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(a(i, 0), 200 + i);
        EXPECT_EQ(a(i, 1), 1);
        EXPECT_EQ(a(i, 2), -1);
        EXPECT_FLOAT_EQ(a(i, 3), 0.25);
        EXPECT_FLOAT_EQ(a(i, 4), 0.75);
        EXPECT_EQ(a(i, 5), 4294967280.0 + i); // the colour as an unsigned number
        EXPECT_EQ(a(i, 6), 0);
        EXPECT_EQ(a(i, 8), 1);
    }
    X_GETFACE(2, 1, 1, a); // object 0's second face
    EXPECT_EQ(a(0, 0), 3);

    auto allZero = [](DGIntArray& x) {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 9; ++j)
                if (x(i, j) != 0) return false;
        return true;
    };
    const struct {
        double slot, frame, face;
    } missing[] = {{2, 1, 3}, {2, 5, 0}, {2, -1, 0}, {2, 0, -1}, {3, 0, 0}, {-7, 0, 0},
                   {1e12, 0, 0}};
    for (const auto& m : missing) {
        SCOPED_TRACE(testing::Message() << m.slot << " " << m.frame << " " << m.face);
        X_GETFACE(2, 1, 0, a); // something non-zero first
        X_GETFACE(m.slot, m.frame, m.face, a);
        EXPECT_TRUE(allZero(a));
    }
}

TEST_F(XCommands, CelShadesAreWholePartsOf255TimesTheValuesKeptToEightBits)
{
    DGIntArray a;
    const double values[] = {0, 0.5, 1, 1.2, -0.1, std::numeric_limits<double>::quiet_NaN()};
    const std::uint8_t want[] = {0, 127, 255, 50, 231, 0};
    DIM(a, 6);
    for (int i = 0; i < 6; ++i) a(i) = values[i];
    X_SETCELSHADES(a);
    ASSERT_EQ(gCelShadeDate.Count(), 6);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(gCelShadeDate[i], want[i]) << values[i];

    // An empty array leaves the ramp as it was.
    DGIntArray empty;
    X_SETCELSHADES(empty);
    EXPECT_EQ(gCelShadeDate.Count(), 6);
}

TEST(XCommandsShaderMessages, ReachStandardOutputOnlyInDebugMode)
{
    for (int debug : {0, 1}) {
        __DG_DEBUG = debug;
        ::testing::internal::CaptureStdout();
        rt_err_debug("link shader failed");
        rt_err_debug(nullptr);
        std::fflush(stdout);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), debug ? "link shader failed\n" : "");
    }
    __DG_DEBUG = 0;
}

TEST_F(XCommands, BuiltObjectKeepsItsCoordinatesOnAnAxisWithoutExtent)
{
    // A square flat in z at z = 0.5: the stored points must give 0.5 back.
    X_OBJSTART(3);
    X_OBJADDVERTEX(-1, -1, 0.5, 0, 0, 255);
    X_OBJADDVERTEX(1, -1, 0.5, 1, 0, 255);
    X_OBJADDVERTEX(-1, 1, 0.5, 0, 1, 255);
    X_OBJADDVERTEX(1, 1, 0.5, 1, 1, 255);
    X_OBJEND();
    ASSERT_EQ(X_NUMFACES(3), 2);
    DGIntArray a;
    for (int face = 0; face < 2; ++face) {
        X_GETFACE(3, 0, face, a);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(std::fabs(a(i, 0)), 1.0, 1e-2);
            EXPECT_NEAR(std::fabs(a(i, 1)), 1.0, 1e-2);
            EXPECT_NEAR(a(i, 2), 0.5, 1e-4);
            EXPECT_EQ(a(i, 5), 255);
        }
    }
}

} // namespace
