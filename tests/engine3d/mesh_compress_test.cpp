// Compression of full vertices into stored points, and the normals and
// basis vectors derived from the triangles.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "engine3d/mesh_object.h"
#include "mesh_fixture.h"

using namespace __VELTRIC__;
using mesh_test::BuildCompressed;
using mesh_test::Vtx;

namespace {

constexpr std::uint32_t W = 0x00FFFFFF;

TEST(MeshCompress, QuantisesPerAxisOverRealVertices)
{
    MeshObject m;
    // The separator's far-away position must not widen the range.
    BuildCompressed(m, {Vtx(99, 99, 99, MESH_FAN), Vtx(-2, 3, 1), Vtx(8, 3, 0.5f), Vtx(3, 3, 0)});
    const POLY_FRAME& f = m.frames[0];
    EXPECT_FLOAT_EQ(f.scale[0], 10.0f / 255.0f);
    EXPECT_FLOAT_EQ(f.offset[0], 2.0f / (10.0f / 255.0f));
    EXPECT_EQ(f.scale[1], 1.0f); // all y equal
    EXPECT_EQ(f.offset[1], -3.0f);
    ASSERT_EQ(f.points.Count(), 4);
    EXPECT_EQ(f.points[1].pos[0], 0);
    EXPECT_EQ(f.points[2].pos[0], 255);
    EXPECT_EQ(f.points[1].pos[2], 255);
    EXPECT_EQ(f.points[3].pos[2], 0);
    EXPECT_EQ(f.vertices.Count(), 0);
    EXPECT_EQ(m.u.Count(), 4); // one pair per point, the separator's included
    EXPECT_EQ(m.normalsReady, 0u);
}

TEST(MeshCompress, ColourListKeepsFirstSeenOrderAndExtends)
{
    MeshObject m;
    m.colours.Push(0x00112233);
    BuildCompressed(m, {Vtx(0, 0, 0, MESH_STRIP), Vtx(0, 0, 0, 0x000000FF), Vtx(1, 0, 0, W),
                        Vtx(2, 0, 0, 0x000000FF), Vtx(3, 0, 0, 0x00112233)});
    ASSERT_EQ(m.colours.Count(), 4);
    EXPECT_EQ(m.colours[1], MESH_STRIP);
    EXPECT_EQ(m.colours[2], 0x000000FFu);
    EXPECT_EQ(m.colours[3], W);
    const POLY_FRAME& f = m.frames[0];
    EXPECT_EQ(f.points[1].colour, f.points[3].colour);
    EXPECT_EQ(f.points[4].colour, 0);
}

TEST(MeshCompress, MoreColoursThanAnIndexHoldsNeverWrapOntoASeparator)
{
    MeshObject m;
    m.frames.Push(POLY_FRAME());
    m.frames[0].vertices.Push(Vtx(0, 0, 0, MESH_LIST));
    for (int i = 0; i < 300; ++i)
        m.frames[0].vertices.Push(Vtx(static_cast<float>(i), 0, 0, static_cast<std::uint32_t>(i * 3)));
    m.Compress();
    EXPECT_EQ(m.colours.Count(), 256);
    const POLY_FRAME& f = m.frames[0];
    for (int i = 1; i < f.points.Count(); ++i) {
        ASSERT_LT(f.points[i].colour, m.colours.Count());
        EXPECT_LT(m.colours[f.points[i].colour], MESH_WHITE) << i;
    }
    // Colour 299 * 3 = 897 = 0x381 has no entry; it takes the nearest real one.
    std::uint32_t got = m.colours[f.points[300].colour];
    EXPECT_EQ(got & 0xFF0000u, 0u);
}

TEST(MeshCompress, WhitePointsAreQuantisedLikeColouredOnes)
{
    MeshObjectX m;
    // The white corners lie beyond the coloured ones on every axis, and one
    // carries its own normal; the separator's position stays out of range.
    BuildCompressed(m, {Vtx(50, 50, 50, MESH_LIST), Vtx(-2, 0, 0, 0x0000FF), Vtx(4, 1, 0, MESH_WHITE, 1, 0, 0),
                        Vtx(0, 3, -2, MESH_WHITE)});
    const POLY_FRAME& f = m.frames[0];
    EXPECT_FLOAT_EQ(f.scale[0], 6.0f / 255.0f);
    EXPECT_FLOAT_EQ(f.scale[1], 3.0f / 255.0f);
    EXPECT_FLOAT_EQ(f.scale[2], 2.0f / 255.0f);
    EXPECT_EQ(f.points[2].normal, 52); // (1, 0, 0)
    m.PrepareTriangles();
    ASSERT_EQ(m.firstFrameTriangles.Count(), 3);
    const float want[3][3] = {{-2, 0, 0}, {4, 1, 0}, {0, 3, -2}};
    for (int k = 0; k < 3; ++k)
        for (int a = 0; a < 3; ++a)
            EXPECT_NEAR(m.firstFrameTriangles[k].pos[a], want[k][a], f.scale[a]) << "corner " << k << " axis " << a;
    EXPECT_EQ(m.firstFrameTriangles[1].r, 1.0f); // still drawn white
}

TEST(MeshCompress, NormalTableMatch)
{
    for (int i = 0; i < MESH_NORMAL_COUNT; ++i) {
        MeshObject m;
        const float* n = gAvertexnormals[i];
        BuildCompressed(m, {Vtx(0, 0, 0, W, n[0], n[1], n[2])});
        EXPECT_EQ(m.frames[0].points[0].normal, i);
    }
    struct Case {
        float nx, ny, nz;
        int index;
    } cases[] = {{0, 0, 0, 0}, {0, 0, 5, 5}, {0, -3, 0, 104}, {2, 0, 0, 52}};
    for (const Case& c : cases) {
        MeshObject m;
        BuildCompressed(m, {Vtx(0, 0, 0, W, c.nx, c.ny, c.nz)});
        EXPECT_EQ(m.frames[0].points[0].normal, c.index) << c.nx << " " << c.ny << " " << c.nz;
    }
}

TEST(MeshCompress, NonNumbersQuantiseSafely)
{
    MeshObject m;
    float nan = std::numeric_limits<float>::quiet_NaN();
    BuildCompressed(m, {Vtx(nan, 1, 2, W, nan, 0, 0), Vtx(1, nan, 3)});
    ASSERT_EQ(m.frames[0].points.Count(), 2);
    EXPECT_LT(m.frames[0].points[0].normal, MESH_NORMAL_COUNT);
}

TEST(MeshAutoNormals, StripSquareSharesOneNormal)
{
    MeshObjectX m;
    BuildCompressed(m, {Vtx(0, 0, 0, MESH_STRIP), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0), Vtx(1, 1, 0)});
    m.AutoNormalsAfterCompression(true, false, false);
    EXPECT_EQ(m.normalsReady, 1u);
    for (int i = 1; i <= 4; ++i) EXPECT_EQ(m.frames[0].points[i].normal, 84) << i; // (0, 0, -1)
    EXPECT_EQ(m.firstFrameTriangles.Count(), 6); // triangles rebuilt with the new normals
    EXPECT_FLOAT_EQ(m.firstFrameTriangles[0].normal[2], -1.0f);
}

TEST(MeshAutoNormals, SmoothSharesCornersByPosition)
{
    for (bool smooth : {false, true}) {
        MeshObjectX m;
        BuildCompressed(m, {Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0), Vtx(0, 0, 0),
                            Vtx(0, 0, 1), Vtx(1, 0, 0)});
        m.AutoNormalsAfterCompression(true, smooth, false);
        const POLY_FRAME& f = m.frames[0];
        EXPECT_EQ(f.points[3].normal, 84); // corner of the first triangle only: (0, 0, -1)
        EXPECT_EQ(f.points[5].normal, 104); // of the second only: (0, -1, 0)
        if (!smooth) {
            EXPECT_EQ(f.points[1].normal, 84);
            EXPECT_EQ(f.points[4].normal, 104);
        } else {
            EXPECT_EQ(f.points[1].normal, f.points[4].normal);
            const float* n = gAvertexnormals[f.points[1].normal];
            EXPECT_LT(n[1], -0.4f);
            EXPECT_LT(n[2], -0.4f);
        }
    }
}

TEST(MeshAutoNormals, EachFrameGetsTheNormalsOfItsOwnFaces)
{
    // Normal-table entries of the three axes the faces below face.
    constexpr int kMinusZ = 84, kPlusY = 32, kMinusY = 104;
    struct Case {
        const char* name;
        std::vector<std::vector<POLY_NODE>> frames;
        bool smooth;
        std::vector<std::vector<int>> normals; // per frame and point; -1 not checked
    } cases[] = {
        // One triangle turned by 90 degrees about x from frame to frame: the
        // keys (point number, or the quantised position of A and B) repeat.
        {"turned triangle",
         {{Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0)},
          {Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 0, 1)},
          {Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 0, -1)}},
         false,
         {{-1, kMinusZ, kMinusZ, kMinusZ}, {-1, kPlusY, kPlusY, kPlusY}, {-1, kMinusY, kMinusY, kMinusY}}},
        {"turned triangle, smooth",
         {{Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0)},
          {Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 0, 1)}},
         true,
         {{-1, kMinusZ, kMinusZ, kMinusZ}, {-1, kPlusY, kPlusY, kPlusY}}},
        // A frame without a leading separator is a triangle list, whatever
        // mode the frame before it ended in (here a strip).
        {"mode of the frame before",
         {{Vtx(0, 0, 0, MESH_STRIP), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0), Vtx(1, 1, 0), Vtx(2, 1, 0),
           Vtx(2, 2, 0)},
          {Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0), Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 0, 1)}},
         false,
         {{-1, -1, -1, -1, -1, -1, -1}, {kMinusZ, kMinusZ, kMinusZ, kPlusY, kPlusY, kPlusY}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeshObjectX m;
        for (const auto& vs : c.frames) {
            ASSERT_TRUE(m.frames.Push(POLY_FRAME()));
            for (const POLY_NODE& n : vs) m.frames[m.frames.Count() - 1].vertices.Push(n);
        }
        m.Compress();
        m.AutoNormalsAfterCompression(true, c.smooth, false);
        for (size_t fi = 0; fi < c.normals.size(); ++fi) {
            for (size_t i = 0; i < c.normals[fi].size(); ++i) {
                if (c.normals[fi][i] < 0) continue;
                EXPECT_EQ(m.frames[static_cast<int>(fi)].points[static_cast<int>(i)].normal, c.normals[fi][i])
                    << "frame " << fi << " point " << i;
            }
        }
    }
}

TEST(MeshAutoNormals, DoneOnlyOnce)
{
    MeshObjectX m;
    BuildCompressed(m, {Vtx(0, 0, 0), Vtx(1, 0, 0), Vtx(0, 1, 0)});
    m.normalsReady = 1;
    m.AutoNormalsAfterCompression(true, false, false);
    EXPECT_EQ(m.firstFrameTriangles.Count(), 0); // not even the triangles were rebuilt
    m.frames[0].points[0].basis1 = 3;
    m.AutoNormalsAfterCompression(false, false, true);
    EXPECT_EQ(m.firstFrameTriangles.Count(), 0);
}

TEST(MeshAutoNormals, BasisFollowsTheTextureAxes)
{
    MeshObjectX m;
    // u grows along x, the drawn v (stored v inverted) along y.
    BuildCompressed(m, {Vtx(0, 0, 0, W, 0, 0, 1, 0, 0), Vtx(1, 0, 0, W, 0, 0, 1, 1, 0),
                        Vtx(0, 1, 0, W, 0, 0, 1, 0, -1)});
    m.AutoNormalsAfterCompression(false, false, true);
    const XPOLY_NODE& p = m.frames[0].points[0];
    EXPECT_EQ(p.basis1, 52);  // (1, 0, 0)
    EXPECT_EQ(p.basis2, 32);  // (0, 1, 0)
    EXPECT_EQ(m.normalsReady, 1u);
}

TEST(MeshAutoNormals, OnlySeparatorsIsHarmless)
{
    MeshObjectX m;
    BuildCompressed(m, {Vtx(0, 0, 0, MESH_LIST), Vtx(0, 0, 0, MESH_STRIP)});
    m.AutoNormalsAfterCompression(true, true, true);
    EXPECT_EQ(m.firstFrameTriangles.Count(), 0);
}

} // namespace
