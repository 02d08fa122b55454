// The mesh model: queue growth, draw triangles from stored points with
// their separators, colour flag, bounding spheres, clearing and copying.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine3d/mesh_object.h"
#include "mesh_fixture.h"

using namespace __VELTRIC__;
using mesh_test::BuildPoints;

namespace {

constexpr std::uint32_t W = 0x00FFFFFF;

std::vector<int> TriangleXs(const MeshObjectX& m, int frame = 0)
{
    std::vector<int> xs;
    const POLY_FRAME& f = m.frames[frame];
    for (int i = 0; i < f.triangles.Count(); ++i) xs.push_back(static_cast<int>(f.triangles[i].pos[0]));
    return xs;
}

TEST(MeshQueue, GrowthRule)
{
    struct Case {
        int step, minimum, first, then, capacity;
    } cases[] = {
        {128, 512, 600, -1, 640}, {128, 512, 100, -1, 512}, {128, 512, 600, 300, 640},
        {1, 1, 7, -1, 8},         {1, 1, 0, -1, 1},
    };
    for (const Case& c : cases) {
        Queue<int> q(c.step, c.minimum);
        ASSERT_TRUE(q.AllocAtLeast(c.first));
        if (c.then >= 0) {
            ASSERT_TRUE(q.AllocAtLeast(c.then));
        }
        EXPECT_EQ(q.Capacity(), c.capacity) << c.step << "/" << c.minimum << " n=" << c.first;
    }
    Queue<int> huge(128, 512);
    EXPECT_FALSE(huge.AllocAtLeast(0x7FFFFFF0)); // no capacity above n fits an int
}

TEST(MeshQueue, FramesKeepTheirListsWhenTheArrayGrows)
{
    Queue<POLY_FRAME> frames(1, 1);
    for (int i = 0; i < 40; ++i) {
        ASSERT_TRUE(frames.Push(POLY_FRAME()));
        XPOLY_NODE p = {{static_cast<std::uint8_t>(i), 0, 0}, 0, 0, 0, 0};
        frames[i].points.Push(p);
        frames[i].scale[1] = static_cast<float>(i);
    }
    for (int i = 0; i < 40; ++i) {
        ASSERT_EQ(frames[i].points.Count(), 1);
        EXPECT_EQ(frames[i].points[0].pos[0], i);
        EXPECT_EQ(frames[i].scale[1], static_cast<float>(i));
    }
}

TEST(MeshPrepare, SeparatorsSelectListStripAndFan)
{
    MeshObjectX m;
    BuildPoints(m, {MESH_LIST, W, W, W, MESH_STRIP, W, W, W, W, MESH_FAN, W, W, W, W});
    m.PrepareTriangles();
    // p1..p11 sit at points 1-3, 5-8 and 10-13.
    EXPECT_EQ(TriangleXs(m), (std::vector<int>{1, 2, 3, 5, 6, 7, 7, 6, 8, 10, 11, 12, 10, 12, 13}));
    ASSERT_EQ(m.firstFrameTriangles.Count(), 15);
    EXPECT_EQ(m.firstFrameTriangles[4].pos[0], 6.0f);
}

TEST(MeshPrepare, IncompleteTriangleIsDroppedAndRebuildIsIdempotent)
{
    MeshObjectX m;
    BuildPoints(m, {W, W, W, W, W});
    m.PrepareTriangles();
    m.PrepareTriangles();
    EXPECT_EQ(TriangleXs(m), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(m.firstFrameTriangles.Count(), 3);
}

TEST(MeshPrepare, ExpansionOfAPoint)
{
    MeshObjectX m;
    BuildPoints(m, {0x000000FF, MESH_WHITE, 0x00804020});
    POLY_FRAME& f = m.frames[0];
    f.offset[0] = 1.0f;
    f.scale[0] = 0.5f;
    m.PrepareTriangles();
    ASSERT_EQ(f.triangles.Count(), 3);
    const POLY_NODE& red = f.triangles[0];
    EXPECT_FLOAT_EQ(red.pos[0], -0.5f); // (0 - 1) * 0.5
    EXPECT_FLOAT_EQ(red.r, 1.0f);
    EXPECT_FLOAT_EQ(red.g, 0.0f);
    EXPECT_EQ(red.colour, 0x000000FFu);
    EXPECT_FLOAT_EQ(red.normal[0], gAvertexnormals[5][0]);
    EXPECT_FLOAT_EQ(red.normal[2], 1.0f);
    const POLY_NODE& white = f.triangles[1];
    EXPECT_FLOAT_EQ(white.r, 1.0f);
    EXPECT_FLOAT_EQ(white.g, 1.0f);
    EXPECT_FLOAT_EQ(white.b, 1.0f);
    EXPECT_FLOAT_EQ(white.u, 1.0f);
    EXPECT_FLOAT_EQ(white.v, -0.25f); // v is inverted in every draw vertex
    const POLY_NODE& mixed = f.triangles[2];
    EXPECT_FLOAT_EQ(mixed.r, 0x20 / 255.0f);
    EXPECT_FLOAT_EQ(mixed.g, 0x40 / 255.0f);
    EXPECT_FLOAT_EQ(mixed.b, 0x80 / 255.0f);
    EXPECT_EQ(mixed.colourIndex, 2u);
}

TEST(MeshPrepare, ColouredFlag)
{
    struct Case {
        std::vector<std::uint32_t> colours;
        std::uint32_t coloured;
    } cases[] = {
        {{MESH_LIST, MESH_STRIP, MESH_FAN, MESH_WHITE, W}, 0},
        {{MESH_LIST, W, 0x000000FF}, 1},
        {{}, 0},
    };
    for (const Case& c : cases) {
        MeshObjectX m;
        m.frames.Push(POLY_FRAME());
        for (std::uint32_t col : c.colours) m.colours.Push(col);
        m.coloured = 7;
        m.PrepareTriangles();
        EXPECT_EQ(m.coloured, c.coloured);
    }
}

TEST(MeshPrepare, PointsBeyondTheTexturePairsReadZero)
{
    MeshObjectX m;
    BuildPoints(m, {W, W, W});
    m.u.Clear();
    m.v.Clear();
    m.frames[0].points[0].colour = 200; // beyond the colour list: drawn white
    m.PrepareTriangles();
    ASSERT_EQ(m.frames[0].triangles.Count(), 3);
    EXPECT_EQ(m.frames[0].triangles[2].u, 0.0f);
    EXPECT_EQ(m.frames[0].triangles[0].colour, MESH_WHITE);
}

TEST(MeshRadius, SphereAroundTheTriangles)
{
    MeshObjectX m;
    BuildPoints(m, {W, W, W, W, W, W}); // x = 0..5, two triangles
    m.frames.Push(POLY_FRAME());        // a frame without triangles
    m.PrepareTriangles();
    m.CalcMaxRadius();
    EXPECT_FLOAT_EQ(m.frames[0].centre[0], 2.5f);
    EXPECT_FLOAT_EQ(m.frames[0].radius, 2.5f);
    EXPECT_EQ(m.frames[1].radius, 0.0f);
    EXPECT_EQ(m.frames[1].centre[0], 0.0f);
}

TEST(MeshClear, KeepsOrFreesArrays)
{
    for (bool free : {false, true}) {
        MeshObjectX m;
        BuildPoints(m, {W, W, W});
        m.PrepareTriangles();
        m.normalsReady = 1;
        m.Clear(free);
        EXPECT_EQ(m.frames.Count(), 0);
        EXPECT_EQ(m.colours.Count(), 0);
        EXPECT_EQ(m.firstFrameTriangles.Count(), 0);
        EXPECT_EQ(m.normalsReady, 0u);
        EXPECT_EQ(m.frames.Capacity() > 0, !free);
        EXPECT_EQ(m.frames.Items() != nullptr, !free);
    }
}

TEST(MeshCopy, FrameAndObjectCopiesAreDeep)
{
    POLY_FRAME a, b;
    XPOLY_NODE p = {{9, 8, 7}, 1, 2, 3, 0};
    a.points.Push(p);
    a.offset[2] = 4;
    a.scale[1] = 3;
    a.radius = 11;
    a.centre[0] = 12;
    b = a;
    a.points[0].pos[0] = 0;
    EXPECT_EQ(b.points[0].pos[0], 9);
    EXPECT_EQ(b.offset[2], 4.0f);
    EXPECT_EQ(b.scale[1], 3.0f);
    EXPECT_EQ(b.radius, 0.0f); // the bounding sphere is not copied
    EXPECT_EQ(b.centre[0], 0.0f);

    X_WORLD::DATA src, dst;
    BuildPoints(src.object, {W, 0x000000FF, W});
    src.object.PrepareTriangles();
    src.object.celScale = 0.25f;
    src.object.edges.Push(MESH_EDGE{-1, 1});
    src.ta = 2;
    dst = src;
    src.object.Clear(true);
    EXPECT_EQ(dst.ta, 2);
    EXPECT_EQ(dst.object.frames.Count(), 1);
    EXPECT_EQ(dst.object.colours.Count(), 2);
    EXPECT_EQ(dst.object.firstFrameTriangles.Count(), 3);
    EXPECT_EQ(dst.object.coloured, 1u);
    EXPECT_EQ(dst.object.celScale, 0.25f);
    EXPECT_EQ(dst.object.edges.Count(), 1);
}

TEST(MeshNormals, TableHoldsDistinctUnitVectors)
{
    EXPECT_FLOAT_EQ(gAvertexnormals[0][0], -0.525731f);
    EXPECT_FLOAT_EQ(gAvertexnormals[0][2], 0.850651f);
    for (int i = 0; i < MESH_NORMAL_COUNT; ++i) {
        const float* n = gAvertexnormals[i];
        EXPECT_NEAR(std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]), 1.0, 1e-5) << i;
        for (int j = 0; j < i; ++j) {
            const float* m = gAvertexnormals[j];
            EXPECT_GT(std::fabs(n[0] - m[0]) + std::fabs(n[1] - m[1]) + std::fabs(n[2] - m[2]), 0.01f)
                << i << " " << j;
        }
    }
}

} // namespace
