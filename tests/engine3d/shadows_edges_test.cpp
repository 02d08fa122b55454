// Edge adjacency and silhouettes of shadow volumes: welding of corners,
// neighbours across shared edges, and which edges outline an object for a
// light.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine3d/mesh_object.h"
#include "tests/engine3d/mesh_fixture.h"
#include "tests/engine3d/reference_edges.h"

namespace {

using namespace __VELTRIC__;
using mesh_test::Vtx;

struct P {
    float x, y, z;
};

// An object whose frame 0 holds the given triangles (three corners each).
void BuildTriangles(MeshObjectX& m, const std::vector<P>& corners)
{
    m.frames.Push(POLY_FRAME());
    for (const P& p : corners) m.frames[0].triangles.Push(Vtx(p.x, p.y, p.z));
}

std::vector<int> Neighbours(const MeshObjectX& m)
{
    std::vector<int> n;
    for (int i = 0; i < m.edges.Count(); ++i) n.push_back(m.edges[i].neighbour);
    return n;
}

std::vector<int> ReferenceNeighbours(const std::vector<P>& v)
{
    return shadow_test::ReferenceNeighbours(static_cast<int>(v.size()), [&](int i, int k) {
        return k == 0 ? v[i].x : (k == 1 ? v[i].y : v[i].z);
    });
}

// A tetrahedron whose faces are wound clockwise seen from outside, the
// winding for which a face's normal points outwards.
std::vector<P> Tetrahedron()
{
    const P o{0, 0, 0}, x{1, 0, 0}, y{0, 1, 0}, z{0, 0, 1};
    return {o, x, y, o, z, x, o, y, z, x, z, y};
}

TEST(ShadowEdges, ClosedMeshHasANeighbourAcrossEveryEdge)
{
    MeshObjectX m;
    BuildTriangles(m, Tetrahedron());
    m.CreateEdges();
    ASSERT_EQ(m.edges.Count(), 12);
    for (int i = 0; i < 12; ++i) {
        const int nb = m.edges[i].neighbour;
        ASSERT_GE(nb, 0) << "edge " << i;
        EXPECT_NE(nb, i / 3);
        // The neighbour has an edge pointing back.
        bool back = false;
        for (int f = 0; f < 3; ++f) back |= m.edges[3 * nb + f].neighbour == i / 3;
        EXPECT_TRUE(back) << "edge " << i;
    }
    // Built once: a second call leaves the table alone.
    m.edges[0].neighbour = 77;
    m.CreateEdges();
    EXPECT_EQ(m.edges[0].neighbour, 77);
}

TEST(ShadowEdges, EmptyObjectsGetNoEdges)
{
    MeshObjectX none;
    none.CreateEdges();
    EXPECT_EQ(none.edges.Count(), 0);
    MeshObjectX noTriangles;
    noTriangles.frames.Push(POLY_FRAME());
    noTriangles.CreateEdges();
    EXPECT_EQ(noTriangles.edges.Count(), 0);
    // A silhouette needs the edge table; without it nothing is marked.
    float light[3] = {0, 0, 5};
    noTriangles.CalculateSilhouetteEdges(noTriangles.frames[0].triangles.Items(), light);
    EXPECT_EQ(noTriangles.silhouette.Count(), 0);
}

TEST(ShadowEdges, CornersWeldWithinOneHundredThousandth)
{
    // Two triangles sharing the edge (0,0,0)-(0,1,0); the second's copy of
    // the first corner is moved by dx along x.
    struct Case {
        float base, dx;
        bool joined;
    } cases[] = {
        {0.0f, 0.000005f, true},
        {0.0f, 0.00002f, false},
        {-0.000002f, 0.000004f, true}, // across zero
        {1000.0f, 0.0f, true},
        {5.0f, -0.000009f, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.base << " + " << c.dx);
        MeshObjectX m;
        BuildTriangles(m, {{c.base, 0, 0}, {c.base, 1, 0}, {c.base + 1, 0, 0},
                           {c.base + c.dx, 0, 0}, {c.base - 1, 0, 0}, {c.base, 1, 0}});
        m.CreateEdges();
        const std::vector<int> want = c.joined ? std::vector<int>{1, -1, -1, -1, -1, 0}
                                               : std::vector<int>{-1, -1, -1, -1, -1, -1};
        EXPECT_EQ(Neighbours(m), want);
    }
}

TEST(ShadowEdges, LastOfSeveralMatchingTrianglesStaysTheNeighbour)
{
    // Three triangles on one edge (a fin): the first edge is joined with
    // both later ones in turn, each of them points back to the first, and
    // the second and third are then no longer joined with each other.
    MeshObjectX m;
    BuildTriangles(m, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0},
                       {0, 1, 0}, {0, 0, 0}, {-1, 0, 0},
                       {0, 0, 0}, {0, 1, 0}, {0, 0, 1}});
    m.CreateEdges();
    EXPECT_EQ(Neighbours(m), (std::vector<int>{2, -1, -1, 0, -1, -1, 0, -1, -1}));
}

TEST(ShadowEdges, MatchesTheDirectRuleOnARandomMesh)
{
    // Corners on a small lattice, some nudged within or beyond the weld
    // distance, some far out or not finite; edges shared by any number of
    // triangles, degenerate triangles included.
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float nudges[] = {0, 0, 0, 0.000004f, -0.000004f, 0.000012f, 0.000006f};
    const float odd[] = {2e9f, -2e9f, inf, nan};
    std::mt19937 rng(12345);
    for (int round = 0; round < 4; ++round) {
        std::vector<P> v;
        for (int i = 0; i < 3 * 400; ++i) {
            auto coord = [&]() -> float {
                if (rng() % 50 == 0) return odd[rng() % 4];
                return static_cast<float>(rng() % 3) + nudges[rng() % 7];
            };
            const float x = coord(), y = coord(), z = coord();
            v.push_back({x, y, z});
        }
        MeshObjectX m;
        BuildTriangles(m, v);
        m.CreateEdges();
        EXPECT_EQ(Neighbours(m), ReferenceNeighbours(v)) << "round " << round;
    }
}

TEST(ShadowEdges, SilhouetteOutlinesTheLitSide)
{
    struct Case {
        float light[3];
        std::vector<int> facing;
        int outline; // number of silhouette edges
    } cases[] = {
        {{10, 10, 10}, {0, 0, 0, 1}, 3},       // only the slanted face is lit
        {{-10, -10, -10}, {1, 1, 1, 0}, 3},    // three faces, outlined by the slanted one's edges
        {{-10, 0.25f, 0.25f}, {0, 0, 1, 0}, 3},  // only the face on x = 0
    };
    MeshObjectX m;
    BuildTriangles(m, Tetrahedron());
    m.CreateEdges();
    for (Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.light[0] << "," << c.light[1] << "," << c.light[2]);
        m.CalculateSilhouetteEdges(m.frames[0].triangles.Items(), c.light);
        ASSERT_EQ(m.silhouette.Count(), 4);
        std::vector<int> facing;
        for (int t = 0; t < 4; ++t) facing.push_back(m.silhouette[t]);
        EXPECT_EQ(facing, c.facing);
        int outline = 0;
        for (int i = 0; i < 12; ++i) {
            const bool want = facing[i / 3] && !facing[m.edges[i].neighbour];
            EXPECT_EQ(m.edges[i].silhouette != 0, want) << "edge " << i;
            outline += m.edges[i].silhouette != 0;
        }
        EXPECT_EQ(outline, c.outline);
    }
}

TEST(ShadowEdges, OpenEdgesOfALitTriangleAreAlwaysSilhouette)
{
    MeshObjectX m;
    BuildTriangles(m, {{0, 0, 0}, {0, 1, 0}, {1, 0, 0}});
    m.CreateEdges();
    float front[3] = {0.2f, 0.2f, 5}, back[3] = {0.2f, 0.2f, -5};
    m.CalculateSilhouetteEdges(m.frames[0].triangles.Items(), front);
    ASSERT_EQ(m.silhouette.Count(), 1);
    EXPECT_EQ(m.silhouette[0], 1);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.edges[i].silhouette, 1u);
    m.CalculateSilhouetteEdges(m.frames[0].triangles.Items(), back);
    EXPECT_EQ(m.silhouette[0], 0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.edges[i].silhouette, 0u);
}

TEST(ShadowEdges, AFrameWithFewerTrianglesIsReadOnlyAsFarAsItGoes)
{
    // Frames read from a file need not match frame 0's triangle count; the
    // silhouette of a shorter frame covers its own triangles only, and an
    // edge whose neighbour lies beyond them outlines the lit side.
    MeshObjectX m;
    BuildTriangles(m, Tetrahedron());
    m.frames.Push(POLY_FRAME());
    const std::vector<P> t = Tetrahedron();
    for (int i = 0; i < 6; ++i) m.frames[1].triangles.Push(Vtx(t[i].x, t[i].y, t[i].z));
    m.CreateEdges();
    float light[3] = {-10, -10, -10};
    m.CalculateSilhouetteEdges(m.frames[1].triangles.Items(), light);
    ASSERT_EQ(m.silhouette.Count(), 2);
    EXPECT_EQ(m.silhouette[0], 1);
    EXPECT_EQ(m.silhouette[1], 1);
    for (int i = 0; i < 6; ++i) {
        const int nb = m.edges[i].neighbour;
        EXPECT_EQ(m.edges[i].silhouette, nb >= 2 ? 1u : 0u) << "edge " << i;
    }
}

} // namespace
