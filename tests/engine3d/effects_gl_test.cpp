// The render effects seen in pixels: one object drawn through the 3D
// commands with and without dot3 bump mapping, cel shading (with its
// outline) and sphere mapping, from the state X_MAKE3D leaves.
#include "tests/engine3d/gl_window3d.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "runtime/core.h"
#include "tests/engine3d/x_scene.h"

namespace {

using namespace __VELTRIC__;
using fixtures::Grid;
using fixtures::Picture;
using gltest::Rgb;

constexpr int kQuad = 40, kBox = 41, kMirrorQuad = 42;
constexpr int kNormalMap = 1, kWhiteMap = 2, kQuadrants = 3;
constexpr double kWhite = 0xFFFFFF;
const Rgb kBackground{40, 60, 180};

// Unit normal (nx, 0, nz) packed into a texel as the dot3 combiner reads it.
Rgb Packed(double nx, double nz)
{
    auto pack = [](double v) { return static_cast<std::uint8_t>(std::lround((v * 0.5 + 0.5) * 255)); };
    return Rgb{pack(nx), pack(0), pack(nz)};
}

class Effects : public gltest::CommandWindow3D {
public:
    void TearDown() override
    {
        X_SPHEREMAPPING(0);
        X_MAKE2D();
        gltest::CommandWindow3D::TearDown();
    }

    // A square of side 2 facing the camera in the plane z = 0, wound
    // clockwise seen from the camera, texture u running 0..1 along x.
    // With u given, every vertex gets (u, u) as texture coordinates.
    static void Quad(int slot, double u = -1)
    {
        X_OBJSTART(slot);
        const double corner[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
        for (const auto& c : corner) {
            const double tu = u >= 0 ? u : (c[0] + 1) / 2, tv = u >= 0 ? u : (c[1] + 1) / 2;
            X_OBJADDVERTEX(c[0], c[1], 0, tu, tv, kWhite);
        }
        X_OBJEND();
    }

    // A new frame: background, 3D from X_MAKE3D, camera on the z axis.
    static void Begin(double cullMode, double eyeZ = 4)
    {
        Clear(kBackground);
        X_MAKE3D(1, 100, 45);
        if (cullMode != 0) X_CULLMODE(cullMode);
        X_CAMERA(0, 0, eyeZ, 0, 0, 0);
    }

    struct Pixel {
        int x, y;
    };
    static Pixel Where(double x, double y, double z)
    {
        double sx = -1, sy = -1, sz = -1;
        X_WORLD2SCREEN(x, y, z, sx, sy, sz);
        return Pixel{static_cast<int>(std::lround(sx)), static_cast<int>(std::lround(sy))};
    }

    static std::vector<Rgb> Frame()
    {
        std::vector<unsigned char> p(static_cast<std::size_t>(W) * H * 3);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, p.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        std::vector<Rgb> out(static_cast<std::size_t>(W) * H);
        // Rows from the top, as Read counts them.
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const unsigned char* q = &p[(static_cast<std::size_t>(H - 1 - y) * W + x) * 3];
                out[static_cast<std::size_t>(y) * W + x] = Rgb{q[0], q[1], q[2]};
            }
        return out;
    }
};

bool Near(Rgb a, Rgb b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

TEST_F(Effects, BumpMappingLightsTheNormalMapTexelsThatFaceTheLight)
{
    // The normal map's left half leans its normals 60 degrees towards -u,
    // the right half 60 degrees towards +u; the colour texture is white.
    const double s = std::sin(M_PI / 3), c = std::cos(M_PI / 3);
    ASSERT_EQ(LoadGrid(kNormalMap, Picture(16, 16, [&](int x, int) {
                           return x < 8 ? Packed(-s, c) : Packed(s, c);
                       })),
              1);
    ASSERT_EQ(LoadGrid(kWhiteMap, Picture(16, 16, [](int, int) { return Rgb{255, 255, 255}; })), 1);
    Quad(kQuad);
    const double far = 1000;
    struct Case {
        const char* name;
        double lightX; // the effect light far out to this side, 30 degrees off the axis
        bool rightLit;
    } cases[] = {{"light on the right", far * std::tan(M_PI / 6), true},
                 {"light on the left", -far * std::tan(M_PI / 6), false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        // Without the effect the normal map is drawn as a picture.
        Begin(0);
        const Pixel left = Where(-0.5, 0, 0), right = Where(0.5, 0, 0);
        X_SETTEXTURE(kWhiteMap, kNormalMap);
        X_DRAWOBJ(kQuad, 0);
        EXPECT_TRUE(Near(Read(left.x, left.y), Packed(-s, c), 3)) << Read(left.x, left.y);
        EXPECT_TRUE(Near(Read(right.x, right.y), Packed(s, c), 3)) << Read(right.x, right.y);

        // With it every texel shows the cosine between its normal and the
        // light: cos 30 degrees for the half leaning towards the light,
        // cos 90 degrees for the other.
        Begin(0);
        X_SETTEXTURE(kWhiteMap, kNormalMap);
        X_SPOT_LT(-1, 0xFFFFFF, k.lightX, 0, far, 0, 0, 0, 1);
        X_DRAWOBJ(kQuad, 0);
        const Rgb lit = Read((k.rightLit ? right : left).x, right.y);
        const Rgb dark = Read((k.rightLit ? left : right).x, right.y);
        const std::uint8_t cos30 = static_cast<std::uint8_t>(std::lround(255 * std::cos(M_PI / 6)));
        EXPECT_TRUE(Near(lit, Rgb{cos30, cos30, cos30}, 8)) << lit;
        EXPECT_TRUE(Near(dark, Rgb{0, 0, 0}, 8)) << dark;
    }
}

TEST_F(Effects, CelShadingQuantisesToTheRampAndOutlinesTheSilhouette)
{
    // The default ramp has the levels 100, 160, 207 and 255.
    const std::set<int> levels = {100, 160, 207, 255};
    auto onRamp = [&](Rgb p) {
        for (int l : levels)
            if (std::abs(p.r - l) <= 3 && p.g == p.r && p.b == p.r) return true;
        return false;
    };
    const double lo[3] = {-1, -1, -1}, hi[3] = {1, 1, 1};
    xscene::Box(kBox, lo, hi, kWhite, true);
    struct Case {
        int cullMode;
        bool outline;
    } cases[] = {{0, false}, {1, true}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.cullMode);
        // The box turned so three faces show, unlit and white.
        auto draw = [&](bool cel) {
            Begin(k.cullMode, 6);
            X_ROTATION(30, 1, 0, 0);
            X_ROTATION(40, 0, 1, 0);
            if (cel) X_SPOT_LT(-2, 0xFFFFFF, 3, 8, 10, 0, 0, 0, 1);
            X_DRAWOBJ(kBox, 0);
            return Frame();
        };
        const std::vector<Rgb> plain = draw(false), cel = draw(true);

        int inside = 0, quantised = 0, changed = 0, rim = 0, strayDark = 0;
        std::set<int> bands;
        auto isBox = [&](int x, int y) {
            return x >= 0 && y >= 0 && x < W && y < H &&
                   !(plain[static_cast<std::size_t>(y) * W + x] == kBackground);
        };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const Rgb p = plain[static_cast<std::size_t>(y) * W + x];
                const Rgb q = cel[static_cast<std::size_t>(y) * W + x];
                if (isBox(x, y)) {
                    ASSERT_EQ(p, (Rgb{255, 255, 255})) << "plain box pixel " << x << "," << y;
                    ++inside;
                    if (onRamp(q)) {
                        ++quantised;
                        for (int l : levels)
                            if (std::abs(q.r - l) <= 3) bands.insert(l);
                    }
                    changed += !(q == p);
                    continue;
                }
                if (q == kBackground) continue;
                // Outside the plain box: only a black rim close to it.
                bool nearBox = false;
                for (int dy = -3; dy <= 3 && !nearBox; ++dy)
                    for (int dx = -3; dx <= 3 && !nearBox; ++dx) nearBox = isBox(x + dx, y + dy);
                if (nearBox && q.r < 20 && q.g < 20 && q.b < 20)
                    ++rim;
                else
                    ++strayDark;
            }
        ASSERT_GT(inside, 5000);
        // The ramp texture is filtered linearly, so a thin seam between two
        // bands takes values between them.
        EXPECT_GE(quantised, inside * 9 / 10) << "cel pixels on the ramp";
        EXPECT_GE(bands.size(), 2u) << "faces turned differently fall in different bands";
        EXPECT_GT(changed, inside / 4) << "the effect changes the object";
        EXPECT_EQ(strayDark, 0);
        if (k.outline) {
            // A rim of about two pixels all round: several hundred pixels.
            EXPECT_GT(rim, 300);
        } else {
            EXPECT_EQ(rim, 0) << "no outline without culling";
        }
    }
}

TEST_F(Effects, SphereMappingTakesTheColourFromTheViewNotTheTextureCoordinates)
{
    // Four quadrants; every vertex of the square has u = v = 0.1, so drawn
    // plainly it is one colour all over.
    const Rgb red{230, 20, 20}, green{20, 230, 20}, blue{20, 20, 230}, yellow{230, 230, 20};
    ASSERT_EQ(LoadGrid(kQuadrants, Picture(16, 16, [&](int x, int y) {
                           return y < 8 ? (x < 8 ? red : green) : (x < 8 ? blue : yellow);
                       })),
              1);
    Quad(kMirrorQuad, 0.1);
    auto draw = [&](bool mapped) {
        Begin(0, 2.5);
        X_AMBIENT_LT(0, 0xFFFFFF); // lit from the camera's side
        X_SETTEXTURE(kQuadrants, -1);
        X_SPHEREMAPPING(mapped ? 1 : 0);
        X_DRAWOBJ(kMirrorQuad, 0);
        X_SPOT_LT(0, 0, 0, 0, 0, 0, 0, 0, 0);
        struct Corners {
            Rgb topLeft, topRight, bottomLeft, bottomRight;
        } k;
        auto at = [](double x, double y) {
            const Pixel p = Where(x, y, 0);
            return Read(p.x, p.y);
        };
        k.topLeft = at(-0.7, 0.7);
        k.topRight = at(0.7, 0.7);
        k.bottomLeft = at(-0.7, -0.7);
        k.bottomRight = at(0.7, -0.7);
        return k;
    };
    const auto plain = draw(false);
    for (Rgb p : {plain.topRight, plain.bottomLeft, plain.bottomRight})
        EXPECT_TRUE(Near(p, plain.topLeft, 2)) << p << " vs " << plain.topLeft;

    // Mapped, the reflected view direction picks the texel: towards the
    // right edge of the square from the picture's right half, towards the
    // left edge from its left half, and up and down from different rows.
    const auto mapped = draw(true);
    auto isOneOf = [&](Rgb p, Rgb a, Rgb b) { return Near(p, a, 12) || Near(p, b, 12); };
    EXPECT_TRUE(isOneOf(mapped.topLeft, red, blue)) << mapped.topLeft;
    EXPECT_TRUE(isOneOf(mapped.bottomLeft, red, blue)) << mapped.bottomLeft;
    EXPECT_TRUE(isOneOf(mapped.topRight, green, yellow)) << mapped.topRight;
    EXPECT_TRUE(isOneOf(mapped.bottomRight, green, yellow)) << mapped.bottomRight;
    EXPECT_FALSE(Near(mapped.topLeft, mapped.bottomLeft, 12));
    EXPECT_FALSE(Near(mapped.topRight, mapped.bottomRight, 12));
}

TEST_F(Effects, ALongCelRampOfFiveMillionValuesBuildsTheTextureFromTheWholeRamp)
{
    // More values than 512 * n fits in 32 bits: the texel's ramp index must
    // not overflow. Every value is 0 except the one texel 256 reaches.
    constexpr int kValues = 5000000, kMarked = 2500000;
    DGIntArray ramp;
    DIM(ramp, kValues);
    for (int i = 0; i < kValues; ++i) ramp(i) = 0.5 / 255;
    ramp(kMarked) = 200.5 / 255;
    X_SETCELSHADES(ramp);
    ASSERT_EQ(gCelShadeDate.Count(), kValues);

    Quad(kQuad);
    Begin(1);
    X_SPOT_LT(-2, 0xFFFFFF, 3, 8, 10, 0, 0, 0, 1);
    X_DRAWOBJ(kQuad, 0); // builds the cel texture from the ramp
    const MeshObjectX& o = r3d->slots[kQuad].objects[0].object;
    ASSERT_NE(o.celTexture, 0u);
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, o.celTexture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    ASSERT_EQ(w, 512);
    std::vector<std::uint8_t> px(static_cast<std::size_t>(w) * h * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    for (int x = 0; x < w; ++x) {
        // The white object's row is the plain ramp, grey.
        const std::uint8_t* t = &px[static_cast<std::size_t>(x) * 4];
        const int want = x == 256 ? 200 : 0;
        ASSERT_EQ(t[0], want) << "texel " << x;
        ASSERT_EQ(t[1], want) << "texel " << x;
    }
    r3d->SetCelShades(nullptr, 0);
    gCelShadeDate.Clear(); // the next cel draw takes the default ramp again
}

} // namespace
