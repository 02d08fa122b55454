// Object collision queries: world-space spheres, boxes, rays and cones
// against object triangles at the current model matrix and over slots.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "engine3d/collision_geometry.h"
#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"

using namespace __VELTRIC__;

namespace {

using Tri = std::vector<float>;  // nine coordinates
using Frame = std::vector<Tri>;

POLY_NODE Vertex(float x, float y, float z)
{
    POLY_NODE n{};
    n.pos[0] = x, n.pos[1] = y, n.pos[2] = z;
    return n;
}

// Gives `obj` frames holding the listed triangles, then its bounding spheres
// as loading would.
void Fill(MeshObjectX& obj, const std::vector<Frame>& frames)
{
    for (const auto& tris : frames) {
        obj.frames.Push(POLY_FRAME());
        POLY_FRAME& f = obj.frames[obj.frames.Count() - 1];
        for (const Tri& t : tris) {
            const float* p = t.data();
            for (int i = 0; i < 3; ++i) f.triangles.Push(Vertex(p[3 * i], p[3 * i + 1], p[3 * i + 2]));
        }
    }
    obj.CalcMaxRadius();
}

// The unit square in the plane z = 0 as two triangles.
const Frame kSquare = {{0, 0, 0, 1, 0, 0, 1, 1, 0}, {0, 0, 0, 1, 1, 0, 0, 1, 0}};

// A large triangle in the plane z = depth around the z axis.
Tri Wall(float depth) { return {-10, -10, depth, 10, -10, depth, 0, 10, depth}; }

class CollisionQueries : public ::testing::Test {
protected:
    std::unique_ptr<Dedudeve3D> r = std::make_unique<Dedudeve3D>(nullptr);

    // Model matrix of level 0: the object turned by `angle` degrees about z,
    // then moved; composed by the renderer as the 3D commands leave it.
    void Place(float mx, float my, float mz, float angle = 0)
    {
        MatrixLevel& L = r->levels[0];
        L.Reset();
        L.movement[0] = mx, L.movement[1] = my, L.movement[2] = mz;
        if (angle != 0) {
            L.rotations[0] = {angle, 0, 0, 1};
            L.rotationCount = 1;
        }
        L.built = 0;
        r->level = 0;
    }
    MeshObjectX& SlotObject(int slot)
    {
        X_WORLD& w = r->slots[slot];
        w.objects.Push(X_WORLD::DATA());
        w.loaded = 1;
        return w.objects[w.objects.Count() - 1].object;
    }
};

} // namespace

TEST_F(CollisionQueries, SphereAgainstAPlacedSquare)
{
    MeshObjectX square;
    Fill(square, {kSquare});
    Place(10, 0, 0);
    struct Case {
        const char* what;
        int frame;
        float radius, x, y, z;
        bool hit;
    } cases[] = {
        {"over the face", 0, 1, 10.5f, 0.5f, 0.5f, true},
        {"where the square would be unmoved", 0, 1, 0.5f, 0.5f, 0.5f, false},
        {"above the face, out of reach", 0, 1, 10.5f, 0.5f, 1.2f, false},
        {"beside the middle of an edge", 0, 0.35f, 11.3f, 0.5f, 0, true},
        {"beside an edge, out of reach", 0, 0.25f, 11.3f, 0.5f, 0, false},
        {"around the first vertex", 0, 0.1f, 10, 0, 0.05f, true},
        {"a frame beyond the object's frames", 1, 1, 10.5f, 0.5f, 0.5f, false},
        {"a negative frame", -1, 1, 10.5f, 0.5f, 0.5f, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hit, r->CollisionSphere(square, c.frame, c.radius, c.x, c.y, c.z)) << c.what;

    // Turned by 90 degrees about z the square covers x 9..10, y 0..1.
    Place(10, 0, 0, 90);
    EXPECT_TRUE(r->CollisionSphere(square, 0, 0.2f, 9.5f, 0.5f, 0.1f));
    EXPECT_FALSE(r->CollisionSphere(square, 0, 0.2f, 10.5f, 0.5f, 0.1f));
}

TEST_F(CollisionQueries, TooFewTriangleVerticesAreNoContact)
{
    MeshObjectX empty;
    empty.frames.Push(POLY_FRAME());
    empty.frames[0].triangles.Push(Vertex(0, 0, 0));
    empty.frames[0].triangles.Push(Vertex(1, 0, 0));
    float c[3] = {0, 0, 0}, a[3] = {1, 0, 0}, b[3] = {0, 1, 0}, z[3] = {0, 0, 1};
    EXPECT_FALSE(r->CollisionSphere(empty, 0, 5, 0, 0, 0));
    EXPECT_FALSE(r->CollisionAABB(empty, 0, c, a, b, z));
    EXPECT_EQ(0.0f, r->CollisionRay(empty, 0, 0, 0, 5, 0, 0, -1));
    EXPECT_EQ(0.0, r->CollisionCone(empty, 0, 0, 0, 5, 0, 0, -1, 30));
}

TEST_F(CollisionQueries, RayChoosesTheNearestHitAheadElseTheNearestBehind)
{
    struct Case {
        const char* what;
        float near, far;  // depths of the two walls
        float t;
    } cases[] = {
        {"two hits ahead", -3, -5, 3},
        {"two hits behind", 2, 7, -2},
        {"one behind, one ahead", 1, -4, 4},
    };
    for (const Case& c : cases) {
        MeshObjectX walls;
        Fill(walls, {{Wall(c.near), Wall(c.far)}});
        Place(0, 0, 0);
        // Looking down -z with a direction of length 2: factors are distances.
        EXPECT_NEAR(c.t, r->CollisionRay(walls, 0, 0, 0, 0, 0, 0, -2), 1e-5f) << c.what;
    }

    // A wall turned and moved by a rigid model matrix still gives distances.
    MeshObjectX wall;
    Fill(wall, {{Wall(0)}});
    Place(1, 2, -6, 30);
    EXPECT_NEAR(6, r->CollisionRay(wall, 0, 1, 2, 0, 0, 0, -1), 1e-4f);
    EXPECT_EQ(0.0f, r->CollisionRay(wall, 0, 50, 2, 0, 0, 0, -1));  // passes beside it
}

TEST_F(CollisionQueries, SlotFormsCombineTheirObjects)
{
    Place(0, 0, 0);
    MeshObjectX& aside = SlotObject(7);
    Fill(aside, {{{100, 100, -1, 101, 100, -1, 100, 101, -1}}});
    MeshObjectX& ahead = SlotObject(7);
    Fill(ahead, {{Wall(-2)}});
    EXPECT_NEAR(2, r->CollisionRay(7, 0, 0, 0, 0, 0, 0, -1), 1e-5f);

    MeshObjectX& behind = SlotObject(8);
    Fill(behind, {{Wall(1)}});
    MeshObjectX& front = SlotObject(8);
    Fill(front, {{Wall(-4)}});
    EXPECT_NEAR(4, r->CollisionRay(8, 0, 0, 0, 0, 0, 0, -1), 1e-5f);

    EXPECT_TRUE(r->CollisionSphere(7, 0, 0.5f, 0, 0, -2.2f));     // only the second object
    EXPECT_TRUE(r->CollisionSphere(7, 0, 0.5f, 100.2f, 100.2f, -1)); // only the first
    EXPECT_EQ(1.0, r->CollisionCone(7, 0, 0, 0, 0, 0, 0, -1, 5));
    float c[3] = {100.2f, 100.2f, -1.2f}, a[3] = {0.5f, 0, 0}, b[3] = {0, 0.5f, 0}, z[3] = {0, 0, 0.5f};
    EXPECT_TRUE(r->CollisionAABB(7, 0, c, a, b, z));

    // Empty slots and slot numbers outside the table give no contact.
    for (int slot : {9, -1, Dedudeve3D::kSlotCount, 100000}) {
        EXPECT_FALSE(r->CollisionSphere(slot, 0, 1000, 0, 0, 0)) << slot;
        EXPECT_FALSE(r->CollisionAABB(slot, 0, c, a, b, z)) << slot;
        EXPECT_EQ(0.0f, r->CollisionRay(slot, 0, 0, 0, 0, 0, 0, -1)) << slot;
        EXPECT_EQ(0.0, r->CollisionCone(slot, 0, 0, 0, 0, 0, 0, -1, 45)) << slot;
    }
}

TEST_F(CollisionQueries, OrientedBoxAgainstAPlacedSquare)
{
    MeshObjectX square;
    Fill(square, {kSquare});
    Place(0, 0, 5);
    float a[3] = {0.5f, 0, 0}, b[3] = {0, 0.5f, 0}, z[3] = {0, 0, 0.5f};
    float on[3] = {0.5f, 0.5f, 5.3f}, above[3] = {0.5f, 0.5f, 5.7f}, unmoved[3] = {0.5f, 0.5f, 0.3f};
    EXPECT_TRUE(r->CollisionAABB(square, 0, on, a, b, z));
    EXPECT_FALSE(r->CollisionAABB(square, 0, above, a, b, z));
    EXPECT_FALSE(r->CollisionAABB(square, 0, unmoved, a, b, z));

    // Slanted half axes whose sum is short: the corner centre - s1 lies on
    // the square although the centre is far from it.
    float s1[3] = {2, 0, 2}, s2[3] = {-2, 0, -1.95f}, s3[3] = {0, 0.01f, 0};
    float slanted[3] = {2.9f, 0.5f, 7};
    EXPECT_TRUE(r->CollisionAABB(square, 0, slanted, s1, s2, s3));
}

TEST_F(CollisionQueries, ConeAgainstAPlacedWall)
{
    MeshObjectX wall;
    Fill(wall, {{Wall(0)}});
    Place(100, 0, 0);
    struct Case {
        const char* what;
        float x, y, z, ax, ay, az, angle;
        double hit;
    } cases[] = {
        {"pointing at the moved wall", 100, 0, 10, 0, 0, -1, 10, 1},
        {"pointing away", 100, 0, 10, 0, 0, 1, 10, 0},
        {"pointing past it", 100, 0, 10, 1, 0, 0, 30, 0},
        {"a long way off along the axis", 100, 0, 50000, 0, 0, -3, 1, 1},
        {"a wide cone grazing the wall from the side", 130, 0, 1, 0, 0, -1, 89, 1},
        {"where the wall would be unmoved", 0, 0, 10, 0, 0, -1, 10, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.hit, r->CollisionCone(wall, 0, c.x, c.y, c.z, c.ax, c.ay, c.az, c.angle))
            << c.what;
}

TEST_F(CollisionQueries, SphereAgainstTheBoxAtTheModelMatrix)
{
    Place(5, 0, 0);
    EXPECT_TRUE(r->CollisionSphereBox(5.5f, 0.5f, -0.5f, 0, 1, 1, 1));  // inside, radius 0
    EXPECT_TRUE(r->CollisionSphereBox(6.5f, 0, 0, 0.6f, 1, 1, 1));
    EXPECT_FALSE(r->CollisionSphereBox(6.5f, 0, 0, 0.4f, 1, 1, 1));
    EXPECT_FALSE(r->CollisionSphereBox(0, 0, 0, 0.5f, 1, 1, 1));
    // Turned by 90 degrees the long side runs along y.
    Place(5, 0, 0, 90);
    EXPECT_TRUE(r->CollisionSphereBox(5, 2.5f, 0, 0.1f, 3, 1, 1));
    EXPECT_FALSE(r->CollisionSphereBox(7.5f, 0, 0, 0.1f, 3, 1, 1));
}

// Placements of an object by the model matrix: scalings uniform, shrinking,
// non-uniform and mirrored, each alone and with a turn about a slanted axis,
// always moved away from the origin.
struct Placement {
    const char* what;
    float sx, sy, sz;
    bool turned;
};
const Placement kPlacements[] = {
    {"scale 2", 2, 2, 2, false},           {"scale 2, turned", 2, 2, 2, true},
    {"scale 0.5", 0.5f, 0.5f, 0.5f, false}, {"scale 0.5, turned", 0.5f, 0.5f, 0.5f, true},
    {"scale (2, 1, 0.5)", 2, 1, 0.5f, false}, {"scale (2, 1, 0.5), turned", 2, 1, 0.5f, true},
    {"mirrored (-1, 1, 1)", -1, 1, 1, false}, {"mirrored (-1, 1, 1), turned", -1, 1, 1, true},
};

using V3 = std::array<float, 3>;
V3 Add(V3 a, V3 b, float k = 1) { return {a[0] + k * b[0], a[1] + k * b[1], a[2] + k * b[2]}; }
V3 Cross(V3 a, V3 b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
V3 Unit(V3 v)
{
    const float l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    return {v[0] / l, v[1] / l, v[2] / l};
}

class ScaledCollision : public CollisionQueries {
protected:
    // Level 0 as X_MOVEMENT, X_SCALING and X_ROTATION leave it.
    void Put(const Placement& p)
    {
        MatrixLevel& L = r->levels[0];
        L.Reset();
        L.movement[0] = 3, L.movement[1] = -2, L.movement[2] = 1;
        L.scaling[0] = p.sx, L.scaling[1] = p.sy, L.scaling[2] = p.sz;
        if (p.turned) {
            L.rotations[0] = {40, 1, 2, 0.5f};
            L.rotationCount = 1;
        }
        L.built = 0;
        r->level = 0;
    }
    // Where drawing puts an object point: the level's built matrix.
    V3 Drawn(float x, float y, float z)
    {
        r->BuildMatrix();
        const float in[4] = {x, y, z, 1};
        float out[4];
        Mat4Transform(r->levels[r->level].composed, in, out);
        return {out[0], out[1], out[2]};
    }
};

TEST_F(ScaledCollision, QueriesFindTheTriangleWhereItIsDrawn)
{
    // The triangle (0,0,0) (4,0,0) (0,4,0); objects of a world slot too, the
    // first of them far off.
    const Tri kTriangle = {0, 0, 0, 4, 0, 0, 0, 4, 0};
    MeshObjectX tri;
    Fill(tri, {{kTriangle}});
    Fill(SlotObject(5), {{{500, 500, 500, 501, 500, 500, 500, 501, 500}}});
    Fill(SlotObject(5), {{kTriangle}});
    r->slots[5].isWorld = 1;

    for (const Placement& p : kPlacements) {
        SCOPED_TRACE(p.what);
        Put(p);
        const V3 w0 = Drawn(0, 0, 0), w1 = Drawn(4, 0, 0), w2 = Drawn(0, 4, 0);
        const V3 n = Unit(Cross(Add(w1, w0, -1), Add(w2, w0, -1)));
        struct Target {
            const char* what;
            V3 at; // a point of the triangle's plane
            bool inside;
        } targets[] = {
            {"inside", Drawn(1, 1, 0), true},
            {"inside, near the long edge", Drawn(1.9f, 1.9f, 0), true},
            {"just beyond the long edge", Drawn(2.1f, 2.1f, 0), false},
            {"just beyond the short edge", Drawn(1, -0.1f, 0), false},
        };
        for (const Target& t : targets) {
            SCOPED_TRACE(t.what);
            const V3 o = Add(t.at, n, 5);
            // A ray along the normal: the factor is the world distance 5.
            const float want = t.inside ? 5.0f : 0.0f;
            EXPECT_NEAR(want, r->CollisionRay(tri, 0, o[0], o[1], o[2], -n[0], -n[1], -n[2]), 1e-3f);
            EXPECT_NEAR(want, r->CollisionRay(5, 0, o[0], o[1], o[2], -2 * n[0], -2 * n[1], -2 * n[2]),
                        1e-3f);
            EXPECT_EQ(t.inside ? 1.0 : 0.0,
                      r->CollisionCone(5, 0, o[0], o[1], o[2], -n[0], -n[1], -n[2], 0.05f));
            if (!t.inside) continue;
            // Spheres and boxes half a unit off the face: touching or apart.
            const V3 c = Add(t.at, n, 0.5f);
            EXPECT_TRUE(r->CollisionSphere(tri, 0, 0.55f, c[0], c[1], c[2]));
            EXPECT_TRUE(r->CollisionSphere(5, 0, 0.55f, c[0], c[1], c[2]));
            EXPECT_FALSE(r->CollisionSphere(tri, 0, 0.45f, c[0], c[1], c[2]));
            EXPECT_FALSE(r->CollisionSphere(5, 0, 0.45f, c[0], c[1], c[2]));
            // An axis-aligned cube reaches sum |n_i| * half along the normal.
            const float reach = std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2]);
            for (float h : {0.55f / reach, 0.45f / reach}) {
                const float ax[3] = {h, 0, 0}, ay[3] = {0, h, 0}, az[3] = {0, 0, h};
                const bool touching = h * reach > 0.5f;
                EXPECT_EQ(touching, r->CollisionAABB(tri, 0, c.data(), ax, ay, az)) << h;
                EXPECT_EQ(touching, r->CollisionAABB(5, 0, c.data(), ax, ay, az)) << h;
            }
        }
    }
}

TEST_F(ScaledCollision, SphereBoxTakesTheBoxAsDrawnAtTheModelMatrix)
{
    // The box of half size 1 at the level's matrix, as a unit cube model of
    // side 2 would be drawn: a sphere half a world unit off the middle of
    // each face touches it with radius 0.55 and misses it with 0.45.
    auto check = [&](const char* what) {
        SCOPED_TRACE(what);
        r->BuildMatrix();
        const float* m = r->levels[r->level].composed;
        const V3 col[3] = {{m[0], m[1], m[2]}, {m[4], m[5], m[6]}, {m[8], m[9], m[10]}};
        for (int axis = 0; axis < 3; ++axis)
            for (float side : {-1.0f, 1.0f}) {
                SCOPED_TRACE(testing::Message() << "face " << side << " on axis " << axis);
                V3 centre{}, unit{};
                centre[static_cast<std::size_t>(axis)] = side;
                unit[static_cast<std::size_t>(axis)] = side;
                const V3 faceMiddle = Drawn(centre[0], centre[1], centre[2]);
                // Outward normal of the drawn face: across its two edges.
                V3 out = Unit(Cross(col[(axis + 1) % 3], col[(axis + 2) % 3]));
                const V3 inward = Add(Drawn(0, 0, 0), faceMiddle, -1);
                if (out[0] * inward[0] + out[1] * inward[1] + out[2] * inward[2] > 0)
                    out = {-out[0], -out[1], -out[2]};
                const V3 c = Add(faceMiddle, out, 0.5f);
                EXPECT_TRUE(r->CollisionSphereBox(c[0], c[1], c[2], 0.55f, 1, 1, 1));
                EXPECT_FALSE(r->CollisionSphereBox(c[0], c[1], c[2], 0.45f, 1, 1, 1));
            }
        const V3 middle = Drawn(0, 0, 0);
        EXPECT_TRUE(r->CollisionSphereBox(middle[0], middle[1], middle[2], 0, 1, 1, 1));
    };
    for (const Placement& p : kPlacements) {
        Put(p);
        check(p.what);
    }
    // A level turned on top of a non-uniformly scaled parent slants the box.
    Put({"", 2, 1, 1, false});
    r->BuildMatrix();
    std::memcpy(r->levels[1].composed, r->levels[0].composed, sizeof r->levels[1].composed);
    r->levels[1].matrixCount = 0;
    r->levels[1].rotationCount = 1;
    r->levels[1].rotations[0] = {45, 0, 0, 1};
    r->levels[1].scaling[0] = r->levels[1].scaling[1] = r->levels[1].scaling[2] = 1;
    r->levels[1].movement[0] = r->levels[1].movement[1] = r->levels[1].movement[2] = 0;
    r->levels[1].built = 0;
    r->level = 1;
    check("turned under a scaled parent");
    r->level = 0;
}

TEST_F(CollisionQueries, ConeBoundNeverRejectsWhatTheTrianglesAccept)
{
    // Random small objects and cones; the query must agree with the bare
    // triangle tests, whatever its early rejection decides.
    std::mt19937 rng(1234);
    std::uniform_real_distribution<float> pos(-20, 20), unit(-1, 1), angle(0.5f, 89);
    Place(0, 0, 0);
    int hits = 0;
    for (int n = 0; n < 3000; ++n) {
        float cx = pos(rng), cy = pos(rng), cz = pos(rng);
        Tri t(9);
        for (int i = 0; i < 9; ++i) t[i] = (i % 3 == 0 ? cx : i % 3 == 1 ? cy : cz) + unit(rng) * 3;
        MeshObjectX obj;
        Fill(obj, {{t}});
        float apex[3] = {pos(rng), pos(rng), pos(rng)};
        float axis[3] = {unit(rng), unit(rng), unit(rng)};
        float len = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
        if (len < 0.1f) continue;
        float a = angle(rng);
        float unitAxis[3] = {axis[0] / len, axis[1] / len, axis[2] / len};
        float tri[3][3] = {{t[0], t[1], t[2]}, {t[3], t[4], t[5]}, {t[6], t[7], t[8]}};
        bool expected = TriangleAndCone(unitAxis, apex, std::cos(a * 0.017453292f), tri);
        hits += expected;
        ASSERT_EQ(expected ? 1.0 : 0.0,
                  r->CollisionCone(obj, 0, apex[0], apex[1], apex[2], axis[0], axis[1], axis[2], a))
            << "case " << n;
    }
    EXPECT_GT(hits, 100);  // the sample holds contacts as well as misses
}
