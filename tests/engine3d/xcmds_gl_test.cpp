// The 3D commands on a real GL context: an object built vertex by vertex is
// drawn, counted, saved and loaded again; the texture, cull and mipmapping
// state the commands keep; the end of a shadow pass; projections both ways;
// the debug markers of the collision commands, read back as pixels.
#include "tests/media/gl_window.h"

#include <cmath>
#include <cstring>
#include <functional>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "media/commands2d.h"
#include "media/image.h"
#include "runtime/core.h"
#include "runtime/frame.h"
#include "runtime/shoebox.h"

namespace {

using namespace __VELTRIC__;
using gltest::Rgb;

constexpr double kRed = 0x0000FF;

const char* kVertex = "void main() { gl_Position = ftransform(); }\n";
const char* kFragment = "uniform float level;\n"
                        "uniform int TextureID2;\n"
                        "void main() { gl_FragColor = vec4(level, float(TextureID2), 0.0, 1.0); }\n";
const char* kBroken = "void main() { gl_FragColor = 1 +; }\n";

class XCommandsGL : public gltest::Window {
public:
    void SetUp() override
    {
        gltest::Window::SetUp();
        if (!__g_pRbow3D) __g_pRbow3D = new Dedudeve3D(R);
        if (!__g_ShoeBox_Data) {
            __g_ShoeBox_Data = new RTShoeBox;
            __g_ShoeBox_Data->SetArchive("");
        }
        __DG_DEBUG = 0;
        X_MAKE3D(1, 100, 45);
        X_CAMERA(0, 0, 5, 0, 0, 0);
    }
    void TearDown() override
    {
        X_SETSHADER(-1);
        __DG_DEBUG = 0;
        gltest::Window::TearDown();
    }
    // A red square of side 2 in the plane z = 0 as one triangle strip.
    static void BuildSquare(int slot)
    {
        X_OBJSTART(slot);
        X_OBJADDVERTEX(-1, -1, 0, 0, 0, kRed);
        X_OBJADDVERTEX(1, -1, 0, 1, 0, kRed);
        X_OBJADDVERTEX(-1, 1, 0, 0, 1, kRed);
        X_OBJADDVERTEX(1, 1, 0, 1, 1, kRed);
        X_OBJEND();
    }
    static bool Reddish(Rgb c) { return c.r > 128 && c.g < 64 && c.b < 64; }
    // Pixels of the whole window matching a test.
    template <class F> static int Count(F match)
    {
        std::vector<unsigned char> p(W * H * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, p.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        int n = 0;
        for (int i = 0; i < W * H; ++i) n += match(Rgb{p[3 * i], p[3 * i + 1], p[3 * i + 2]});
        return n;
    }
    // Draws one white point at the world position X_SCREEN2WORLD gives for
    // the centre of window pixel (px, py) on a cleared frame, checks that it
    // lit that pixel and no other, and hands back the world position.
    static void DrawPointAtPixel(int px, int py, double& x, double& y, double& z)
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        X_SCREEN2WORLD(px + 0.5, py + 0.5, 0.5, x, y, z);
        glColor3ub(255, 255, 255);
        glBegin(GL_POINTS);
        glVertex3d(x, y, z);
        glEnd();
        EXPECT_EQ(Read(px, py), (Rgb{255, 255, 255}));
        EXPECT_EQ(Count([](Rgb c) { return c.r > 0; }), 1);
    }
    // Window position of a world point.
    static void Screen(double x, double y, double z, int& sx, int& sy)
    {
        double fx = -1, fy = -1, fz = -1;
        X_WORLD2SCREEN(x, y, z, fx, fy, fz);
        sx = static_cast<int>(std::lround(fx));
        sy = static_cast<int>(std::lround(fy));
    }
};

TEST_F(XCommandsGL, BuiltObjectIsDrawnCountedSavedAndLoaded)
{
    BuildSquare(10);
    EXPECT_EQ(X_NUMFACES(10), 2);
    X_DRAWOBJ(10, 0);
    EXPECT_TRUE(Reddish(Read(W / 2, H / 2))) << Read(W / 2, H / 2);
    EXPECT_EQ(Read(5, 5), (Rgb{0, 0, 0}));

    DGIntArray face;
    X_GETFACE(10, 0, 0, face);
    EXPECT_EQ(face(0, 5), kRed);
    EXPECT_NEAR(std::fabs(face(0, 0)), 1.0, 1e-2);

    // Saved, then loaded into another slot through the data archive.
    const std::string file = Path("square.ddd");
    X_SAVEOBJ(DGStr(file.c_str()), 10);
    X_LOADOBJ(DGStr(file.c_str()), 11);
    EXPECT_EQ(X_NUMFACES(11), 2);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    X_DRAWANIM(11, 0, 0, 0.5, 1);
    EXPECT_TRUE(Reddish(Read(W / 2, H / 2))) << Read(W / 2, H / 2);

    // A name the archive cannot resolve leaves the slot as it was.
    X_LOADOBJ(DGStr(Path("missing.ddd").c_str()), 11);
    EXPECT_EQ(X_NUMFACES(11), 2);
}

// A screen saved as PNG in the middle of a 3D frame: the colour-key probe is
// written at its window pixel whatever projection, lighting and depth state the
// 3D view has, so only pixels of the key colour become transparent, the probed
// pixel keeps its colour and the frame goes on drawing in 3D afterwards.
TEST_F(XCommandsGL, ScreenSavedInA3DFrameKeepsItsColoursAndTheViewGoesOn)
{
    BuildSquare(10);
    X_DRAWOBJ(10, 0);
    const Rgb corner = Read(4, 4);
    const std::string file = Path("shot.png");
    ASSERT_EQ(SAVEBMP(DGStr(file.c_str())), 1);
    EXPECT_EQ(Read(4, 4), corner);

    OPENGL_IMAGE shot;
    ASSERT_EQ(shot.LoadImagePNG(file.c_str(), kNoColorKey), 1);
    ASSERT_EQ(shot.width, W);
    ASSERT_EQ(shot.height, H);
    int clear = 0;
    for (int i = 0; i < W * H; ++i) clear += shot.pixels[4 * i + 3] == 0;
    EXPECT_EQ(clear, 0) << "pixels saved as transparent";
    const unsigned char* mid = &shot.pixels[4 * ((H / 2) * W + W / 2)];
    EXPECT_TRUE(Reddish(Rgb{mid[0], mid[1], mid[2]}));

    // The 3D view is untouched: the square lands where it did.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    X_DRAWOBJ(10, 0);
    EXPECT_TRUE(Reddish(Read(W / 2, H / 2))) << Read(W / 2, H / 2);
    EXPECT_EQ(Read(5, 5), (Rgb{0, 0, 0}));
}

TEST_F(XCommandsGL, CullModeIsRememberedAcrossSprites)
{
    const struct {
        double mode;
        int want;
        bool culled;
        GLint front;
    } cases[] = {{0.5, 1, true, GL_CW}, {-3, -1, true, GL_CCW}, {0, 0, false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        X_CULLMODE(c.mode);
        X_SPRITE(0, 0, 0, 0, 1);
        EXPECT_EQ(__current_cullmode, c.want);
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, c.culled);
        GLint front = 0;
        glGetIntegerv(GL_FRONT_FACE, &front);
        if (c.culled) {
            EXPECT_EQ(front, c.front);
        }
    }
    // A new 3D viewport forgets the cull mode.
    X_CULLMODE(1);
    X_MAKE3D(1, 100, 45);
    EXPECT_EQ(__current_cullmode, 0);
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(XCommandsGL, TextureStateIsKeptUntilViewportAndFrame)
{
    X_MIPMAPPING(1);
    X_SETTEXTURE(3, 4);
    EXPECT_EQ(__g_TexState3D[0], 3);
    EXPECT_EQ(__g_TexState3D[1], 4);
    __g_pRbow3D->lightMask = 5;
    __g_pRbow3D->effectOn = 1;
    X_MAKE3D(1, 100, 45);
    EXPECT_EQ(__g_TexState3D[0], -1);
    EXPECT_EQ(__g_TexState3D[1], -1);
    EXPECT_EQ(__g_TexState3D[2], 1); // mipmapping survives a new viewport
    EXPECT_EQ(__g_pRbow3D->lightMask, 0);
    EXPECT_EQ(__g_pRbow3D->effectOn, 0);
    SHOWSCREEN();
    EXPECT_EQ(__g_TexState3D[2], 0); // but not a new frame
}

TEST_F(XCommandsGL, Make2DEndsTheShadowPassAndRestoresTheWholeWindow)
{
    __g_pRbow->Make2DViewport(10, 10, 100, 100);
    X_MAKE3D(1, 100, 45);
    __g_pRbow3D->DoShadows(true);
    ASSERT_EQ(__g_pRbow3D->shadowPass, 1);
    X_MAKE2D();
    EXPECT_EQ(__g_pRbow3D->shadowPass, 0);
    GLint vp[4];
    glGetIntegerv(GL_VIEWPORT, vp);
    EXPECT_EQ(vp[2], W);
    EXPECT_EQ(vp[3], H);
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_TRUE(mask[0] && mask[1] && mask[2]);
}

TEST_F(XCommandsGL, ProjectionsGoBothWaysAndLeaveOutputsOnFailure)
{
    double sx = 0, sy = 0, sz = 0;
    X_WORLD2SCREEN(1, 1, 0, sx, sy, sz);
    EXPECT_GT(sx, W / 2);
    EXPECT_LT(sy, H / 2); // window y counts down from the top
    double x = 9, y = 9, z = 9;
    X_SCREEN2WORLD(sx, sy, sz, x, y, z);
    EXPECT_NEAR(x, 1, 1e-2);
    EXPECT_NEAR(y, 1, 1e-2);
    EXPECT_NEAR(z, 0, 1e-2);

    // The eye itself lies on the camera's plane: nothing is written.
    sx = sy = sz = 7;
    X_WORLD2SCREEN(0, 0, 5, sx, sy, sz);
    EXPECT_EQ(sx, 7);
    EXPECT_EQ(sy, 7);
    EXPECT_EQ(sz, 7);
}

TEST_F(XCommandsGL, WorldToScreenAndBackReturnsThePointAcrossTheWholeWindow)
{
    // A grid of points from edge to edge of the view on planes before,
    // through and behind the camera's target (45 degrees over the height).
    const double halfTan = std::tan(22.5 * std::acos(-1.0) / 180.0);
    int checked = 0;
    for (double z : {3.0, 0.0, -5.0}) {
        const double halfH = (5.0 - z) * halfTan, halfW = halfH * W / H;
        for (int i = 0; i <= 8; ++i) {
            for (int j = 0; j <= 8; ++j) {
                const double x = halfW * (i / 4.0 - 1.0), y = halfH * (j / 4.0 - 1.0);
                SCOPED_TRACE(testing::Message() << "(" << x << ", " << y << ", " << z << ")");
                double sx = -1, sy = -1, sz = -1;
                X_WORLD2SCREEN(x, y, z, sx, sy, sz);
                EXPECT_NEAR(sx, W * i / 8.0, 1e-3);
                EXPECT_NEAR(sy, H - H * j / 8.0, 1e-3); // counted down from the top
                double bx = 1e9, by = 1e9, bz = 1e9;
                X_SCREEN2WORLD(sx, sy, sz, bx, by, bz);
                EXPECT_NEAR(bx, x, 1e-4);
                EXPECT_NEAR(by, y, 1e-4);
                EXPECT_NEAR(bz, z, 1e-4);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 3 * 81);
}

TEST_F(XCommandsGL, ScreenPositionsNameThePixelsPointsAreDrawnIn)
{
    // A point is drawn in the pixel (floor sx, floor sy) of its screen
    // position, counted from the top-left corner, both ways.
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_FOG);
    glPointSize(1);
    const int pixels[][2] = {{0, 0}, {W - 1, 0}, {0, H - 1}, {W - 1, H - 1}, {W / 2, H / 2}, {123, 77}};
    for (const auto& px : pixels) {
        SCOPED_TRACE(testing::Message() << "pixel " << px[0] << ", " << px[1]);
        double x = 0, y = 0, z = 0;
        DrawPointAtPixel(px[0], px[1], x, y, z);
        double sx = 0, sy = 0, sz = 0;
        X_WORLD2SCREEN(x, y, z, sx, sy, sz);
        EXPECT_NEAR(sx, px[0] + 0.5, 1e-3);
        EXPECT_NEAR(sy, px[1] + 0.5, 1e-3);
    }
}

TEST_F(XCommandsGL, ProjectionsInAViewportUseWindowCoordinates)
{
    // Split-screen and inset views: the commands speak window coordinates,
    // y from the window's top, whatever part of the window the view fills.
    glDisable(GL_POINT_SMOOTH);
    glPointSize(1);
    struct View {
        const char* what;
        int x, y, w, h;
    } views[] = {
        {"whole window", 0, 0, W, H},
        {"offset", 10, 20, 300, 200},
        {"small, at the bottom right", W - 69, H - 55, 64, 48},
    };
    for (const View& v : views) {
        SCOPED_TRACE(v.what);
        VIEWPORT(0, 0, W, H);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        VIEWPORT(v.x, v.y, v.w, v.h);
        X_MAKE3D(1, 100, 45);
        X_CAMERA(0, 0, 5, 0, 0, 0);

        // The camera's target is drawn at the viewport's centre.
        double sx = -1, sy = -1, sz = -1;
        X_WORLD2SCREEN(0, 0, 0, sx, sy, sz);
        EXPECT_NEAR(sx, v.x + v.w / 2.0, 1e-3);
        EXPECT_NEAR(sy, v.y + v.h / 2.0, 1e-3);

        // Round trip over the viewport, edge to edge, at three depths.
        for (double depth : {0.1, 0.5, 0.9})
            for (int i = 0; i <= 4; ++i)
                for (int j = 0; j <= 4; ++j) {
                    const double px = v.x + v.w * i / 4.0, py = v.y + v.h * j / 4.0;
                    double x = 1e9, y = 1e9, z = 1e9;
                    X_SCREEN2WORLD(px, py, depth, x, y, z);
                    double bx = -1, by = -1, bz = -1;
                    X_WORLD2SCREEN(x, y, z, bx, by, bz);
                    double wx = 1e9, wy = 1e9, wz = 1e9;
                    X_SCREEN2WORLD(bx, by, bz, wx, wy, wz);
                    EXPECT_NEAR(bx, px, 1e-2) << px << "," << py;
                    EXPECT_NEAR(by, py, 1e-2) << px << "," << py;
                    EXPECT_NEAR(wx, x, 1e-4) << px << "," << py;
                    EXPECT_NEAR(wy, y, 1e-4) << px << "," << py;
                    EXPECT_NEAR(wz, z, 1e-4) << px << "," << py;
                }

        // A point drawn at the world position of a pixel lights that pixel.
        const int pixels[][2] = {{v.x, v.y},
                                 {v.x + v.w - 1, v.y},
                                 {v.x, v.y + v.h - 1},
                                 {v.x + v.w - 1, v.y + v.h - 1},
                                 {v.x + v.w / 2, v.y + v.h / 3}};
        for (const auto& px : pixels) {
            SCOPED_TRACE(testing::Message() << "pixel " << px[0] << ", " << px[1]);
            glDisable(GL_TEXTURE_2D);
            double x = 0, y = 0, z = 0;
            DrawPointAtPixel(px[0], px[1], x, y, z);
        }
    }
    VIEWPORT(0, 0, W, H);
}

TEST_F(XCommandsGL, ViewportsAtTheEndsOfTheNumberRangeLeaveTheNextViewWhole)
{
    // A 3D view opened in a viewport placed far outside the window: its rows
    // counted from the bottom must not wrap, and the next whole-window view
    // draws as usual.
    constexpr int kMax = 2147483647, kMin = -2147483647 - 1;
    const int cases[][4] = {
        {kMax, kMin, 480, 480}, {0, kMin, 8, 8},   {kMin, kMax, 8, 8},
        {kMax, kMax, 10, 10},   {0, kMax, 1, kMax}, {kMin, kMin, kMax, kMax},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << "," << c[1] << " " << c[2] << "x" << c[3]);
        VIEWPORT(c[0], c[1], c[2], c[3]);
        X_MAKE3D(1, 100, 45);
        VIEWPORT(0, 0, 0, 0);
        X_MAKE3D(1, 100, 45);
        X_CAMERA(0, 0, 5, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        BuildSquare(10);
        X_DRAWOBJ(10, 0);
        EXPECT_TRUE(Reddish(Read(W / 2, H / 2))) << Read(W / 2, H / 2);
    }
}

TEST_F(XCommandsGL, RaysThroughPixelsHitAScaledObjectExactlyWhereItIsDrawn)
{
    // The square scaled non-uniformly, turned and moved; a ray from the eye
    // through each pixel centre of a row across it hits where the square
    // covers the pixel and misses where it does not.
    BuildSquare(21);
    X_MOVEMENT(0.3, -0.2, 0);
    X_SCALING(1.5, 0.6, 0.5);
    X_ROTATION(25, 0, 0, 1);
    X_ROTATION(30, 1, 0, 0);
    X_DRAWOBJ(21, 0);
    int sx = 0, sy = 0;
    Screen(0.3, -0.2, 0, sx, sy); // the square's middle
    std::vector<bool> covered(W);
    for (int x = 0; x < W; ++x) covered[static_cast<std::size_t>(x)] = Reddish(Read(x, sy));
    int inside = 0, checked = 0;
    for (int x = 1; x < W - 1; ++x) {
        // Pixels at the rim are covered by the rasteriser's tie rule.
        const std::size_t i = static_cast<std::size_t>(x);
        if (covered[i - 1] != covered[i] || covered[i + 1] != covered[i]) continue;
        double nx = 0, ny = 0, nz = 0, fx = 0, fy = 0, fz = 0;
        X_SCREEN2WORLD(x + 0.5, sy + 0.5, 0, nx, ny, nz);
        X_SCREEN2WORLD(x + 0.5, sy + 0.5, 1, fx, fy, fz);
        const double t = X_COLLISIONRAY(21, 0, nx, ny, nz, fx - nx, fy - ny, fz - nz);
        EXPECT_EQ(covered[i], t > 0) << "pixel " << x << ", " << sy << ": factor " << t;
        inside += covered[i];
        ++checked;
    }
    EXPECT_GT(inside, 50);
    EXPECT_GT(checked - inside, 50);
}

TEST_F(XCommandsGL, CollisionCommandsAnswerAndDrawTheirOutcomeInDebugMode)
{
    BuildSquare(20);
    auto red = [](Rgb c) { return c.r > 200 && c.g < 60 && c.b < 60; };
    auto green = [](Rgb c) { return c.g > 200 && c.r < 60 && c.b < 60; };
    struct Case {
        const char* name;
        std::function<double()> query;
        double want;
        bool redMarker;
    } cases[] = {
        {"sphere hit", [] { return X_COLLISION(20, 0, 0.5, 0, 0, 0.2); }, 1, true},
        {"sphere miss", [] { return X_COLLISION(20, 0, 0.5, 3, 0, 0); }, 0, false},
        {"box hit", [] { return X_COLLISIONAABB(20, 0, 0, 0, 0, 1, 1, 1); }, 1, true},
        {"box miss", [] { return X_COLLISIONAABB(20, 0, 0, 0, 2, 1, 1, 1); }, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        __DG_DEBUG = 0;
        EXPECT_EQ(c.query(), c.want);
        EXPECT_EQ(Count(red) + Count(green), 0); // no marker without debug mode
        __DG_DEBUG = 1;
        EXPECT_EQ(c.query(), c.want);
        EXPECT_EQ(Count(red) > 0, c.redMarker);
        EXPECT_EQ(Count(green) > 0, !c.redMarker);
    }
    EXPECT_EQ(X_COLLISIONSPHEREBOX(0, 0, 0.8, 0.5, 2, 2, 2), 1);
    EXPECT_EQ(X_COLLISIONSPHEREBOX(0, 0, 2, 0.5, 2, 2, 2), 0);
}

TEST_F(XCommandsGL, RayMarkerEndsAtTheHitWhateverTheDirectionLength)
{
    // The square seen edge-on: a ray along x from x = -3 hits it at x = 0.
    X_OBJSTART(21);
    X_OBJADDVERTEX(0, -1, -1, 0, 0, kRed);
    X_OBJADDVERTEX(0, -1, 1, 0, 0, kRed);
    X_OBJADDVERTEX(0, 1, -1, 0, 0, kRed);
    X_OBJADDVERTEX(0, 1, 1, 0, 0, kRed);
    X_OBJEND();
    auto green = [](Rgb c) { return c.g > 200 && c.r < 60 && c.b < 60; };
    for (double len : {1.0, 2.0, 0.5}) {
        SCOPED_TRACE(len);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        __DG_DEBUG = 1;
        EXPECT_NEAR(X_COLLISIONRAY(21, 0, -3, 0.5, 0, len, 0, 0), 3.0, 1e-3);
        int ax, ay, bx, by, cx, cy;
        Screen(-2.5, 0.5, 0, ax, ay); // on the way
        Screen(-0.3, 0.5, 0, bx, by); // just before the hit
        Screen(0.5, 0.5, 0, cx, cy);  // beyond it
        EXPECT_TRUE(green(Read(ax, ay))) << Read(ax, ay);
        EXPECT_TRUE(green(Read(bx, by))) << Read(bx, by);
        EXPECT_FALSE(green(Read(cx, cy))) << Read(cx, cy);
    }
    __DG_DEBUG = 1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    EXPECT_EQ(X_COLLISIONRAY(21, 0, -3, 1.5, 0, 1, 0, 0), 0); // passes above: red, width 1
    EXPECT_GT(Count([](Rgb c) { return c.r > 200 && c.g < 60; }), 0);
}

TEST_F(XCommandsGL, ShaderCommandsLoadSelectAndFeedTheProgram)
{
    const std::string vs = WriteFile("x.vs", fixtures::Bytes(kVertex, kVertex + std::strlen(kVertex)));
    const std::string fs = WriteFile("x.fs", fixtures::Bytes(kFragment, kFragment + std::strlen(kFragment)));
    const std::string bad = WriteFile("bad.fs", fixtures::Bytes(kBroken, kBroken + std::strlen(kBroken)));
    ASSERT_EQ(X_LOADSHADER(4, DGStr(vs.c_str()), DGStr(fs.c_str())), 1);

    // A new 3D viewport points the shader's second texture unit at unit 1.
    X_SETSHADER(4);
    X_MAKE3D(1, 100, 45);
    X_CAMERA(0, 0, 5, 0, 0, 0);
    X_PUTSHADER(DGStr("level"), 1.0);
    BuildSquare(12);
    X_DRAWOBJ(12, 0);
    EXPECT_EQ(Read(W / 2, H / 2), (Rgb{255, 255, 0}));
    X_SETSHADER(-1);

    // A failed compile answers 0; its messages appear only in debug mode.
    for (int debug : {0, 1}) {
        __DG_DEBUG = debug;
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(X_LOADSHADER(5, DGStr(vs.c_str()), DGStr(bad.c_str())), 0);
        const std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(out.find("fragment shader failed\n") != std::string::npos, debug == 1) << out;
    }
}

} // namespace
