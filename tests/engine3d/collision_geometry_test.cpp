// Collision geometry: planes, spheres, boxes, rays, cones and rigid matrices.
#include <gtest/gtest.h>

#include <cmath>

#include "engine3d/collision_geometry.h"

using namespace __VELTRIC__;

namespace {

struct Vec {
    float v[3];
};

// A triangle in the plane z = 0 around the origin.
float gFlat[3][3] = {{-1, -1, 0}, {1, -1, 0}, {0, 1, 0}};

// The unit square in the plane z = 0.
float gSquare[4][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};

} // namespace

TEST(ClassifySphere, SidesOfThePlaneAndTheSignedDistance)
{
    struct Case {
        float z, radius;
        float normalScale;
        int side;
        float distance;
    } cases[] = {
        {0.5f, 1, 1, 1, 0.5f},   // cuts
        {-0.5f, 1, 1, 1, -0.5f}, // cuts from behind
        {3, 1, 1, 2, 3},         // in front
        {-3, 1, 1, 0, -3},       // behind
        {1, 1, 1, 2, 1},         // touches from the front: still in front
        {-1, 1, 1, 0, -1},       // touches from behind: still behind
        {3, 1, 2, 2, 6},         // the normal is used unnormalised
    };
    for (const Case& c : cases) {
        float centre[3] = {7, -2, c.z};
        float normal[3] = {0, 0, c.normalScale};
        float point[3] = {4, 9, 0};
        float d = -99;
        EXPECT_EQ(c.side, ClassifySphere(centre, normal, point, c.radius, d)) << "z " << c.z;
        EXPECT_FLOAT_EQ(c.distance, d) << "z " << c.z;
    }
}

TEST(IntersectSphereBox, SquaredDistanceToTheBoxAgainstTheSquaredRadius)
{
    struct Case {
        Vec centre;
        float radiusSquared;
        bool hit;
    } cases[] = {
        {{{0.5f, -0.5f, 0.9f}}, 0, true},  // centre inside: any radius
        {{{3, 0, 0}}, 1, true},            // touches the face x = 2
        {{{3, 0, 0}}, 0.99f, false},
        {{{-3, 0, 0}}, 1, true},           // the negative side
        {{{3, 4, 0}}, 2, true},            // towards the edge: 1 + 1
        {{{3, 4, 0}}, 1.99f, false},
        {{{3, 4, 4}}, 3, true},            // towards the corner: 1 + 1 + 1
        {{{3, 4, 4}}, 2.99f, false},
    };
    for (Case& c : cases)
        EXPECT_EQ(c.hit, IntersectSphereBox(c.centre.v, c.radiusSquared, 2, 3, 3))
            << c.centre.v[0] << "," << c.centre.v[1] << "," << c.centre.v[2];
}

TEST(InsidePolygon, AngleSumAroundThePoint)
{
    struct Case {
        Vec p;
        long count;
        bool inside;
    } cases[] = {
        {{{0.5f, 0.5f, 0}}, 4, true},
        {{{0.99f, 0.01f, 0}}, 4, true},
        {{{1.5f, 0.5f, 0}}, 4, false},
        {{{0, 0, 0}}, 4, false},   // on a vertex: that vertex's angle counts 0
        {{{0.5f, 0.5f, 0}}, 0, false},
        {{{0.5f, 0.5f, 0}}, -3, false},
    };
    for (Case& c : cases)
        EXPECT_EQ(c.inside, InsidePolygon(c.p.v, gSquare, c.count))
            << c.p.v[0] << "," << c.p.v[1] << " count " << c.count;
}

TEST(IntersectCuboidAndTriangle, SeparatingAxes)
{
    float ax[3] = {1, 0, 0}, ay[3] = {0, 1, 0}, az[3] = {0, 0, 1};
    float at[3] = {0, 0, 0};
    // Overlap through the face, and a box beside the triangle.
    EXPECT_TRUE(IntersectCuboidAndTriangle(at, ax, ay, az, gFlat[0], gFlat[1], gFlat[2]));
    float beside[3] = {4, 0, 0};
    EXPECT_FALSE(IntersectCuboidAndTriangle(beside, ax, ay, az, gFlat[0], gFlat[1], gFlat[2]));
    float above[3] = {0, 0, 1.5f};
    EXPECT_FALSE(IntersectCuboidAndTriangle(above, ax, ay, az, gFlat[0], gFlat[1], gFlat[2]));

    // A box turned by 45 degrees about z reaches sqrt(2) along x: from
    // (2.2, -1) it covers the vertex (1, -1); unturned it stops at x = 1.2.
    float h = std::sqrt(0.5f);
    float r1[3] = {h, h, 0}, r2[3] = {-h, h, 0};
    float near[3] = {2.2f, -1, 0};
    EXPECT_TRUE(IntersectCuboidAndTriangle(near, r1, r2, az, gFlat[0], gFlat[1], gFlat[2]));
    EXPECT_FALSE(IntersectCuboidAndTriangle(near, ax, ay, az, gFlat[0], gFlat[1], gFlat[2]));

    // A large triangle in the plane n . p = 2 with n = (1, 1, 1) / sqrt(3),
    // far from the origin, and the unit box at the origin, which reaches
    // sqrt(3) = 1.73 along n: only the triangle's face normal separates them.
    const float s3 = std::sqrt(3.0f);
    const float n[3] = {1 / s3, 1 / s3, 1 / s3};
    const float e1[3] = {1 / std::sqrt(2.0f), -1 / std::sqrt(2.0f), 0};
    const float e2[3] = {1 / std::sqrt(6.0f), 1 / std::sqrt(6.0f), -2 / std::sqrt(6.0f)};
    auto corner = [&](float deg, float dist, float* out) {
        float a = deg * 3.14159265f / 180;
        for (int i = 0; i < 3; ++i)
            out[i] = dist * n[i] + 100 * (std::cos(a) * e1[i] + std::sin(a) * e2[i]);
    };
    float t0[3], t1[3], t2[3];
    corner(90, 2, t0), corner(210, 2, t1), corner(330, 2, t2);
    EXPECT_FALSE(IntersectCuboidAndTriangle(at, ax, ay, az, t0, t1, t2));
    corner(90, 1.7f, t0), corner(210, 1.7f, t1), corner(330, 1.7f, t2);
    EXPECT_TRUE(IntersectCuboidAndTriangle(at, ax, ay, az, t0, t1, t2));
}

TEST(IntersectTriangleAndRay, LineFactorOfTheHit)
{
    float tri[3][3] = {{-1, -1, 5}, {1, -1, 5}, {0, 1, 5}};
    float degenerate[3][3] = {{0, 0, 5}, {1, 0, 5}, {2, 0, 5}};
    struct Case {
        const char* what;
        float (*triangle)[3];
        Vec p1, p2;
        float t;
    } cases[] = {
        {"ahead", tri, {{0, 0, 0}}, {{0, 0, 1}}, 5},
        {"behind the first point", tri, {{0, 0, 8}}, {{0, 0, 9}}, -3},
        {"longer direction halves the factor", tri, {{0, 0, 0}}, {{0, 0, 2}}, 2.5f},
        {"oblique", tri, {{-1, 0, 0}}, {{-0.8f, 0, 1}}, 5},
        {"misses beside the triangle", tri, {{3, 0, 0}}, {{3, 0, 1}}, 0},
        {"parallel to the plane", tri, {{0, 0, 4}}, {{1, 0, 4}}, 0},
        {"degenerate triangle", degenerate, {{0, 0, 0}}, {{0, 0, 1}}, 0},
    };
    for (Case& c : cases)
        EXPECT_NEAR(c.t, IntersectTriangleAndRay(c.triangle, c.p1.v, c.p2.v), 1e-5f) << c.what;
}

TEST(TriangleAndCone, VerticesEdgesAndFace)
{
    // Cone from the origin down +z with a half angle of 30 degrees: at
    // z = 10 it covers a disc of radius 5.77.
    float axis[3] = {0, 0, 1}, apex[3] = {0, 0, 0};
    float cosA = std::cos(30 * 3.14159265f / 180);
    float vertexIn[3][3] = {{1, 1, 10}, {40, 0, 10}, {40, 5, 10}};
    float edgeAcross[3][3] = {{-20, 1, 10}, {20, 1, 10}, {20, 30, 10}};
    float faceOverAxis[3][3] = {{-30, -30, 10}, {30, -30, 10}, {0, 30, 10}};
    float beside[3][3] = {{10, 0, 10}, {20, 0, 10}, {15, 8, 10}};
    float behind[3][3] = {{-30, -30, -10}, {30, -30, -10}, {0, 30, -10}};
    struct Case {
        const char* what;
        float (*triangle)[3];
        bool hit;
    } cases[] = {
        {"a vertex inside", vertexIn, true},
        {"an edge crossing the cone", edgeAcross, true},
        {"the face across the axis", faceOverAxis, true},
        {"beside the cone", beside, false},
        {"behind the apex", behind, false},
    };
    for (Case& c : cases) EXPECT_EQ(c.hit, TriangleAndCone(axis, apex, cosA, c.triangle)) << c.what;
}

TEST(IntersectedPolygon, SegmentCrossingThePolygon)
{
    struct Case {
        const char* what;
        Vec a, b;
        bool hit;
    } cases[] = {
        {"crosses", {{0.5f, 0.5f, -1}}, {{0.5f, 0.5f, 1}}, true},
        {"crosses obliquely", {{0, 0, -1}}, {{1, 1, 1}}, true},
        {"stops short", {{0.5f, 0.5f, -2}}, {{0.5f, 0.5f, -1}}, false},
        {"crosses the plane outside", {{3, 0.5f, -1}}, {{3, 0.5f, 1}}, false},
        {"ends on the plane", {{0.5f, 0.5f, 0}}, {{0.5f, 0.5f, 1}}, false},
    };
    for (Case& c : cases) {
        float line[2][3] = {{c.a.v[0], c.a.v[1], c.a.v[2]}, {c.b.v[0], c.b.v[1], c.b.v[2]}};
        EXPECT_EQ(c.hit, IntersectedPolygon(gSquare, line, 4)) << c.what;
    }
    float line[2][3] = {{0.5f, 0.5f, -1}, {0.5f, 0.5f, 1}};
    EXPECT_FALSE(IntersectedPolygon(gSquare, line, 2));  // no plane from two vertices
}

TEST(IntersectionPoint, LineMeetsPlane)
{
    float normal[3] = {0, 0, 1};
    float line[2][3] = {{1, 2, 0}, {1, 2, 3}};
    float out[3];
    IntersectionPoint(out, normal, line, -5);  // plane z = 5, beyond the segment
    EXPECT_FLOAT_EQ(1, out[0]);
    EXPECT_FLOAT_EQ(2, out[1]);
    EXPECT_FLOAT_EQ(5, out[2]);
    float parallel[2][3] = {{1, 2, 0}, {4, 2, 0}};
    IntersectionPoint(out, normal, parallel, -5);
    EXPECT_FLOAT_EQ(1, out[0]);
    EXPECT_FLOAT_EQ(0, out[2]);
}

TEST(ClosestPointOnLine, NearestPointOfTheSegment)
{
    struct Case {
        const char* what;
        Vec a, b, p, out;
    } cases[] = {
        {"projects inside", {{0, 0, 0}}, {{10, 0, 0}}, {{4, 3, 0}}, {{4, 0, 0}}},
        {"projects inside a slanted segment", {{0, 0, 0}}, {{2, 2, 0}}, {{0, 2, 5}}, {{1, 1, 0}}},
        {"before a", {{0, 0, 0}}, {{10, 0, 0}}, {{-4, 3, 0}}, {{0, 0, 0}}},
        {"beyond b", {{0, 0, 0}}, {{10, 0, 0}}, {{14, 3, 0}}, {{10, 0, 0}}},
        {"a and b coincide", {{1, 1, 1}}, {{1, 1, 1}}, {{5, 5, 5}}, {{1, 1, 1}}},
    };
    for (Case& c : cases) {
        float out[3];
        ClosestPointOnLine(out, c.a.v, c.b.v, c.p.v);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(c.out.v[i], out[i], 1e-5f) << c.what << " axis " << i;
    }
}

TEST(SpherePolygonCollision, FaceAndEdgeContact)
{
    struct Case {
        const char* what;
        Vec centre;
        float radius;
        bool hit;
    } cases[] = {
        {"over the face", {{0.5f, 0.5f, 0.5f}}, 1, true},
        {"under the face", {{0.5f, 0.5f, -0.5f}}, 1, true},
        {"too high above the face", {{0.5f, 0.5f, 2}}, 1, false},
        {"beside the middle of an edge", {{1.3f, 0.5f, 0}}, 0.35f, true},
        {"beside an edge, out of reach", {{1.3f, 0.5f, 0}}, 0.25f, false},
        {"off a corner", {{1.3f, 1.3f, 0.1f}}, 0.5f, true},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.hit, SpherePolygonCollision(gSquare, c.centre.v, 4, c.radius)) << c.what;
    }

    float side[3] = {1.3f, 0.5f, 0};
    EXPECT_TRUE(EdgeSphereCollision(side, gSquare, 4, 0.35f));
    EXPECT_FALSE(EdgeSphereCollision(side, gSquare, 0, 100));
}

TEST(RigidMatrix, InverseUndoesRotationAndTranslation)
{
    // Rotation by 90 degrees about z, then a move by (3, 4, 5).
    float m[16] = {0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1, 0, 3, 4, 5, 1};
    float p[3] = {1, 2, 3};
    gTransformVector(m, p);
    EXPECT_FLOAT_EQ(1, p[0]);  // (-2, 1, 3) + (3, 4, 5)
    EXPECT_FLOAT_EQ(5, p[1]);
    EXPECT_FLOAT_EQ(8, p[2]);

    float inv[16];
    for (int i = 0; i < 16; ++i) inv[i] = m[i];
    inv[3] = inv[7] = inv[11] = 9;  // bottom row is rebuilt
    gInvertMatrix4x4(inv);
    gTransformVector(inv, p);
    EXPECT_FLOAT_EQ(1, p[0]);
    EXPECT_FLOAT_EQ(2, p[1]);
    EXPECT_FLOAT_EQ(3, p[2]);
    EXPECT_EQ(0, inv[3]);
    EXPECT_EQ(0, inv[7]);
    EXPECT_EQ(0, inv[11]);
    EXPECT_EQ(1, inv[15]);
}
