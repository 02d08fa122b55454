// A lit scene built and drawn with the 3D commands as a program draws it,
// starting from the state X_MAKE3D leaves: a floor, a box hovering above it
// and a shadow light. Pixels are read from the back buffer before and after
// the shadow pass, at every cull mode a program may choose.
#include "tests/engine3d/gl_window3d.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "runtime/core.h"
#include "runtime/shoebox.h"
#include "tests/engine3d/x_scene.h"

namespace {

using namespace __VELTRIC__;
using gltest::Rgb;

constexpr int kFloor = 30, kBox = 31, kHalfBox = 32, kAnimatedBox = 33;
constexpr double kWhite = 0xFFFFFF, kOrange = 0x0080FF;

// The shadow light: up and to the left of the box, so that the shadow
// falls on the floor to the right of it, in view of the camera.
constexpr double kLight[3] = {-6, 10, 0};

struct CullCase {
    int cullMode;
    bool clockwise; // winding of every object seen from outside
};
// The default after X_MAKE3D first, with either winding; then each mode
// with the winding whose faces it keeps.
const CullCase kCullCases[] = {{0, true}, {0, false}, {1, true}, {-1, false}};

std::string Name(const CullCase& c)
{
    std::ostringstream s;
    s << "cull mode " << c.cullMode << (c.clockwise ? ", clockwise" : ", counter-clockwise");
    return s.str();
}

class ShadowScene : public gltest::CommandWindow3D {
public:
    void TearDown() override
    {
        X_SPOT_LT(0, 0, 0, 0, 0, 0, 0, 0, 0); // the sun off again
        X_MAKE2D();
        gltest::CommandWindow3D::TearDown();
    }

    // The floor (half side 20 at height 0); a box of 2 x 2 x 2 from height 1
    // to 3; the same box at half size from height 0.5 to 1.5, which a
    // scaling by 2 makes as large as the first.
    static void Build(bool clockwise)
    {
        xscene::Floor(kFloor, 0, 20, kWhite, clockwise);
        const double lo[3] = {-1, 1, -1}, hi[3] = {1, 3, 1};
        xscene::Box(kBox, lo, hi, kOrange, clockwise);
        const double hlo[3] = {-0.5, 0.5, -0.5}, hhi[3] = {0.5, 1.5, 0.5};
        xscene::Box(kHalfBox, hlo, hhi, kOrange, clockwise);
    }

    // A new 3D frame as a program starts it, a sun shining straight down.
    static void Begin(const CullCase& c)
    {
        Clear({0, 0, 0});
        X_MAKE3D(1, 100, 45);
        if (c.cullMode != 0) X_CULLMODE(c.cullMode);
        X_CAMERA(0, 10, 10, 0, 0, 0);
        X_SPOT_LT(0, 0xFFFFFF, 0, 10, 0, 0, -1, 0, 180);
    }

    // The caster: the box; the half box scaled by 2; or the box mirrored
    // by a negative scaling, which leaves its shape as it is.
    enum Caster { kPlain, kScaled, kMirrored };
    static void DrawCaster(Caster caster)
    {
        if (caster == kScaled) {
            X_SCALING(2, 2, 2);
            X_DRAWOBJ(kHalfBox, 0);
            X_SCALING(1, 1, 1);
        } else if (caster == kMirrored) {
            X_SCALING(-1, 1, 1);
            X_DRAWOBJ(kBox, 0);
            X_SCALING(1, 1, 1);
        } else {
            X_DRAWOBJ(kBox, 0);
        }
    }

    static void ShadowPass(Caster caster)
    {
        X_SPOT_LT(-3, 0xFFFFFF, kLight[0], kLight[1], kLight[2], 0, 0, 0, 1);
        DrawCaster(caster);
        X_MAKE2D(); // ends the pass
    }

    struct Spot {
        const char* name;
        double x, y, z;
        bool shadowed;
    };
    struct Pixel {
        int x, y;
    };
    // Window position of a world point under the current 3D camera.
    static Pixel Where(const Spot& s)
    {
        double sx = -1, sy = -1, sz = -1;
        X_WORLD2SCREEN(s.x, s.y, s.z, sx, sy, sz);
        return Pixel{static_cast<int>(std::lround(sx)), static_cast<int>(std::lround(sy))};
    }
    static Rgb At(Pixel p) { return Read(p.x, p.y); }
};

// The floor to the right of the box lies in its shadow from x = 1.8 (below
// the box's lower edge) to x = 4 (below its upper edge); the box's top and
// its side towards the light face the light.
const ShadowScene::Spot kSpots[] = {
    {"floor in the shadow", 2.4, 0, 0, true},
    {"floor at the shadow's far end", 3.6, 0, 0, true},
    {"floor beyond the shadow", 5, 0, 0, false},
    {"floor left of the box", -4, 0, 0, false},
    {"floor in front of the box", 0, 0, 3, false},
    {"top of the box", 0, 3, 0, false},
    {"top of the box near its edge", -0.8, 3, 0.8, false},
};

bool Half(Rgb shade, Rgb lit)
{
    return std::abs(shade.r - (lit.r + 1) / 2) <= 2 && std::abs(shade.g - (lit.g + 1) / 2) <= 2 &&
           std::abs(shade.b - (lit.b + 1) / 2) <= 2;
}

bool Same(Rgb a, Rgb b)
{
    return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
}

TEST_F(ShadowScene, CasterShadowsTheFloorAndKeepsItsLitFacesAtEveryCullMode)
{
    const struct {
        Caster caster;
        const char* name;
    } casters[] = {{kPlain, ""}, {kScaled, ", half box scaled by 2"}, {kMirrored, ", mirrored"}};
    for (const auto& k : casters) {
        for (const CullCase& c : kCullCases) {
            // With culling on, a mirrored object shows the inside of its far
            // faces, as GL draws it; the default cull mode 0 shows its outside.
            if (k.caster == kMirrored && c.cullMode != 0) continue;
            SCOPED_TRACE(Name(c) + k.name);
            Build(c.clockwise);
            // Without the shadow pass: what every spot looks like lit.
            Begin(c);
            X_DRAWOBJ(kFloor, 0);
            DrawCaster(k.caster);
            std::vector<Pixel> at;
            std::vector<Rgb> lit;
            for (const Spot& s : kSpots) {
                at.push_back(Where(s));
                lit.push_back(At(at.back()));
            }
            if (c.clockwise) {
                // Wound the other way, the normals point inwards and only the
                // ambient light reaches the surfaces.
                ASSERT_GT(lit[0].r, 200) << "the floor is lit: " << lit[0];
                ASSERT_GT(lit[5].r, 200) << "the top of the box is lit: " << lit[5];
            }

            Begin(c);
            X_DRAWOBJ(kFloor, 0);
            DrawCaster(k.caster);
            ShadowPass(k.caster);
            for (std::size_t i = 0; i < lit.size(); ++i) {
                const Spot& s = kSpots[i];
                const Rgb got = At(at[i]);
                if (s.shadowed) {
                    EXPECT_TRUE(Half(got, lit[i])) << s.name << ": " << got << ", lit " << lit[i];
                } else {
                    EXPECT_TRUE(Same(got, lit[i])) << s.name << ": " << got << ", lit " << lit[i];
                }
            }
        }
    }
}

TEST_F(ShadowScene, CullModeStaysAsChosenWhileThePassGoesOn)
{
    // Drawing a volume must not leave its own culling behind for what the
    // program draws next in the same pass.
    for (const CullCase& c : kCullCases) {
        SCOPED_TRACE(Name(c));
        Build(c.clockwise);
        Begin(c);
        X_SPOT_LT(-3, 0xFFFFFF, kLight[0], kLight[1], kLight[2], 0, 0, 0, 1);
        DrawCaster(kPlain);
        EXPECT_EQ(glIsEnabled(GL_CULL_FACE) == GL_TRUE, c.cullMode != 0);
        GLint front = 0, face = 0;
        glGetIntegerv(GL_FRONT_FACE, &front);
        glGetIntegerv(GL_CULL_FACE_MODE, &face);
        if (c.cullMode != 0) {
            EXPECT_EQ(front, c.cullMode == 1 ? GL_CW : GL_CCW);
        }
        EXPECT_EQ(face, GL_BACK);
        X_MAKE2D();
    }
}

TEST_F(ShadowScene, StretchedObjectPartlyInViewIsDrawn)
{
    // The half box stretched 8 times along x and moved left: its centre lies
    // outside the left edge of the view, its right end inside it.
    const Spot inView{"right end of the bar", -6, 1.5, 0, false};
    const Spot centre{"centre of the bar", -9, 1, 0, false};
    for (const CullCase& c : kCullCases) {
        SCOPED_TRACE(Name(c));
        Build(c.clockwise);
        Begin(c);
        const Pixel p = Where(inView);
        ASSERT_TRUE(p.x > 0 && p.x < W && p.y > 0 && p.y < H);
        ASSERT_LT(Where(centre).x, 0) << "the bar's centre is out of view";
        X_MOVEMENT(-9, 0, 0);
        X_SCALING(8, 1, 1);
        X_DRAWOBJ(kHalfBox, 0);
        X_SCALING(1, 1, 1);
        const Rgb got = At(p);
        EXPECT_GT(got.r, 40) << got;
        if (c.clockwise) {
            EXPECT_GT(got.r, 2 * got.b) << "lit orange: " << got;
        }
    }
}

TEST_F(ShadowScene, StillFrameDrawnAfterAnEffectShowsTheNewNormals)
{
    // Objects built without normals: the first still draw stores their
    // vertices in a buffer; a shadow or cel draw then gives them normals.
    // The next still draw is lit as an object that never had the old ones.
    struct Case {
        const char* effect;
        int light;
    } effects[] = {{"shadow", -3}, {"cel shading", -2}};
    const Spot centre{"middle of the box's top", 0, 3, 0, false};
    for (const auto& e : effects) {
        for (const CullCase& c : kCullCases) {
            SCOPED_TRACE(Name(c) + ", " + e.effect);
            X_AUTONORMALS(0);
            Build(c.clockwise);
            const double lo[3] = {-1, 1, -1}, hi[3] = {1, 3, 1};
            xscene::Box(kBox + 10, lo, hi, kOrange, c.clockwise); // a twin
            X_AUTONORMALS(2);

            Begin(c);
            X_DRAWOBJ(kBox, 0); // buffered without normals
            X_SPOT_LT(e.light, 0xFFFFFF, kLight[0], kLight[1], kLight[2], 0, 0, 0, 1);
            X_DRAWOBJ(kBox, 0);
            X_DRAWOBJ(kBox + 10, 0);
            X_MAKE2D();

            Begin(c);
            const Pixel p = Where(centre);
            X_DRAWOBJ(kBox, 0);
            const Rgb again = At(p);
            Begin(c);
            X_DRAWOBJ(kBox + 10, 0);
            const Rgb fresh = At(p);
            EXPECT_EQ(again, fresh);
        }
    }
}

// The box as a text object file of two frames, frame 1 being frame 0 moved
// by 4 away from the camera; each side a four-corner face.
void WriteAnimatedBox(const std::string& path, bool clockwise)
{
    std::ostringstream o;
    o << "DDDA 1.1\n0\n6\n";
    // Corner c is at x = +-1, y = 1 or 3, z = +-1 by its bits 0, 1, 2.
    const int faces[6][4] = {{0, 2, 6, 4}, {1, 3, 7, 5}, {0, 1, 5, 4},
                             {2, 3, 7, 6}, {0, 1, 3, 2}, {4, 5, 7, 6}};
    auto corner = [](int c, int k) {
        return k == 0 ? ((c & 1) ? 1 : -1) : k == 1 ? ((c & 2) ? 3 : 1) : ((c & 4) ? 1 : -1);
    };
    for (const auto& f : faces) {
        // Turned round when its winding seen from outside is not the one asked for.
        int d1[3] = {}, d2[3] = {}, out[3] = {};
        for (int k = 0; k < 3; ++k) {
            d1[k] = corner(f[1], k) - corner(f[0], k);
            d2[k] = corner(f[2], k) - corner(f[0], k);
            out[k] = corner(f[0], k) + corner(f[2], k) - (k == 1 ? 4 : 0);
        }
        const int ccw = (d1[1] * d2[2] - d1[2] * d2[1]) * out[0] +
                        (d1[2] * d2[0] - d1[0] * d2[2]) * out[1] +
                        (d1[0] * d2[1] - d1[1] * d2[0]) * out[2];
        const bool turn = (ccw > 0) == clockwise;
        o << "255 128 0 4";
        for (int j = 0; j < 4; ++j) o << " " << f[turn ? 3 - j : j] << " 0";
        o << "\n";
    }
    o << "2\n";
    for (int dz : {0, -4}) {
        o << "8\n";
        for (int c = 0; c < 8; ++c)
            o << corner(c, 0) << " " << corner(c, 1) << " " << corner(c, 2) + dz << " "
              << corner(c, 0) * 0.577 << " " << (corner(c, 1) - 2) * 0.577 << " "
              << corner(c, 2) * 0.577 << "\n";
    }
    std::ofstream(path) << o.str();
}

TEST_F(ShadowScene, AnimatedCasterThrowsTheShadowOfTheShapeAsDrawn)
{
    if (!__g_ShoeBox_Data) {
        __g_ShoeBox_Data = new RTShoeBox;
        __g_ShoeBox_Data->SetArchive("");
    }
    struct Draw {
        double frame1, frame2, factor, interpolate;
        double z; // where the blend puts the box's centre
    } draws[] = {
        {0, 1, 0, 0, 0}, // factor 0: all of the first frame
        {0, 1, 0.5, 0, -2},
        {0, 1, 1, 0, -4},
        {0, 1, 0.5, 1, -2},
        {1, 0, 0.25, 1, -3},
    };
    for (const CullCase& c : kCullCases) {
        const std::string file = Path(c.clockwise ? "cw.ddd" : "ccw.ddd");
        WriteAnimatedBox(file, c.clockwise);
        xscene::Floor(kFloor, 0, 20, kWhite, c.clockwise);
        X_LOADOBJ(DGStr(file.c_str()), kAnimatedBox);
        ASSERT_EQ(X_NUMFACES(kAnimatedBox), 12);
        for (const Draw& d : draws) {
            SCOPED_TRACE(Name(c) + ", frames " + std::to_string(d.frame1) + " to " +
                         std::to_string(d.frame2) + " at " + std::to_string(d.factor));
            auto draw = [&d] {
                X_DRAWANIM(kAnimatedBox, d.frame1, d.frame2, d.factor, d.interpolate);
            };
            // The floor in the shadow of the box where it is drawn, and where
            // the shadow of the other frame would fall.
            const Spot spots[] = {
                {"top of the box", 0, 3, d.z, false},
                {"floor in its shadow", 2.4, 0, d.z, true},
                {"floor in another frame's shadow", 2.4, 0, d.z == 0 ? -4.0 : 0.0, false},
            };
            Begin(c);
            X_DRAWOBJ(kFloor, 0);
            draw();
            std::vector<Pixel> at;
            std::vector<Rgb> lit;
            for (const Spot& s : spots) {
                at.push_back(Where(s));
                lit.push_back(At(at.back()));
            }
            // Orange, or grey where only the ambient light reaches it; the
            // white floor when the box is elsewhere.
            EXPECT_LT(lit[0].b, 128) << "the box is drawn there: " << lit[0];

            Begin(c);
            X_DRAWOBJ(kFloor, 0);
            draw();
            X_SPOT_LT(-3, 0xFFFFFF, kLight[0], kLight[1], kLight[2], 0, 0, 0, 1);
            draw();
            X_MAKE2D();
            for (std::size_t i = 0; i < lit.size(); ++i) {
                const Rgb got = At(at[i]);
                if (spots[i].shadowed) {
                    EXPECT_TRUE(Half(got, lit[i])) << spots[i].name << ": " << got << ", lit " << lit[i];
                } else {
                    EXPECT_TRUE(Same(got, lit[i])) << spots[i].name << ": " << got << ", lit " << lit[i];
                }
            }
        }
    }
}

} // namespace
