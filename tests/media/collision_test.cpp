// Sprite and tile collisions on real textures: the pixel test reads each
// sprite's alpha channel once; empty overlaps and free sprites are answered
// without reading anything.
#include "gl_window.h"

using namespace gltest;
using fixtures::Grid;
using Collision = Window;

namespace {

constexpr int kSolid = 30, kClear = 31, kDot = 32, kStrip = 33, kThin = 34, kFree = 35;
const Rgb kKey{255, 0, 128};

Grid Filled(int w, int h, Rgb c)
{
    Grid g;
    g.w = w;
    g.h = h;
    g.px.assign(static_cast<std::size_t>(w) * h, c);
    return g;
}

} // namespace

class CollisionTable : public Window {
protected:
    void SetUp() override
    {
        Window::SetUp();
        ASSERT_EQ(LoadGrid(kSolid, Filled(8, 8, Rgb{9, 9, 9})), 1);
        ASSERT_EQ(LoadGrid(kClear, Filled(8, 8, kKey)), 1);
        Grid dot = Filled(8, 8, kKey);
        dot.px[7 * 8 + 7] = Rgb{1, 1, 1}; // bottom-right pixel opaque
        ASSERT_EQ(LoadGrid(kDot, dot), 1);
        // 16 x 8 cut into two 8 x 8 tiles: tile 0 opaque, tile 1 clear.
        Grid strip = Filled(16, 8, kKey);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) strip.px[y * 16 + x] = Rgb{5, 5, 5};
        ASSERT_EQ(LoadGrid(kStrip, strip), 1);
        R->TileSprite(kStrip, 8, 8);
        // 2 x 8 (a texture 2 wide): only row 5 opaque.
        Grid thin = Filled(2, 8, kKey);
        thin.px[5 * 2 + 0] = thin.px[5 * 2 + 1] = Rgb{3, 3, 3};
        ASSERT_EQ(LoadGrid(kThin, thin), 1);
        R->FreeSprite(kFree);
    }
};

TEST_F(CollisionTable, SpritePairs)
{
    struct Case { const char* name; int n, x1, y1, m, x2, y2, want; };
    const Case cases[] = {
        {"touching_side", kSolid, 0, 0, kSolid, 8, 0, 0},
        {"touching_top", kSolid, 0, 0, kSolid, 0, 8, 0},
        {"touching_corner", kSolid, 0, 0, kSolid, 8, 8, 0},
        {"one_column", kSolid, 0, 0, kSolid, 7, 0, 1},
        {"one_pixel", kSolid, 0, 0, kSolid, 7, 7, 1},
        {"clear_on_clear", kClear, 0, 0, kClear, 2, 2, 0},
        {"clear_on_solid", kClear, 0, 0, kSolid, 0, 0, 0},
        {"dot_on_solid", kDot, 0, 0, kSolid, 7, 7, 1},
        {"dot_beside_solid", kDot, 0, 0, kSolid, 8, 7, 0},
        {"dot_on_dot_shifted", kDot, 0, 0, kDot, 1, 1, 0},
        {"dot_on_dot", kDot, 3, -4, kDot, 3, -4, 1},
        {"far_apart", kSolid, 0, 0, kSolid, 1000000, -1000000, 0},
        {"thin_row5", kThin, 100, 100, kSolid, 101, 105, 1},
        {"thin_row4_only", kThin, 100, 100, kSolid, 90, 97, 0},
        {"thin_row6_on", kThin, 100, 100, kSolid, 95, 106, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(R->SpriteCollision(c.n, c.m, c.x1, c.y1, c.x2, c.y2), c.want) << c.name;
}

TEST_F(CollisionTable, EmptyOverlapOrFreeSpriteReadsNoTexture)
{
    EXPECT_EQ(R->SpriteCollision(kFree, kSolid, 0, 0, 0, 0), 0);
    EXPECT_EQ(R->SpriteCollision(kSolid, kFree, 0, 0, 0, 0), 0);
    EXPECT_EQ(R->m_alphaCache[kFree], nullptr);
    R->FreeSprite(kSolid);
    ASSERT_EQ(LoadGrid(kSolid, Filled(8, 8, Rgb{9, 9, 9})), 1);
    EXPECT_EQ(R->SpriteCollision(kSolid, kSolid, 0, 0, 8, 0), 0);
    EXPECT_EQ(R->m_alphaCache[kSolid], nullptr) << "touching edges need no pixels";
    EXPECT_EQ(R->_PixelCollision(kSolid, 0, 0, kFree, 0, 0, 0, 0, 8, 8), 0);
    EXPECT_EQ(R->m_alphaCache[kFree], nullptr);
    EXPECT_EQ(R->SpriteCollision(kSolid, kSolid, 0, 0, 1, 1), 1);
    EXPECT_NE(R->m_alphaCache[kSolid], nullptr);
    // A rectangle beyond both pictures is clamped to them.
    EXPECT_EQ(R->_PixelCollision(kSolid, 0, 0, kSolid, 0, 0, -100000, -100000, 100000, 100000), 1);
    EXPECT_EQ(R->_PixelCollision(kSolid, 0, 0, kSolid, 20, 0, -100000, -100000, 100000, 100000), 0);
}

TEST_F(CollisionTable, Tiles)
{
    struct Case { const char* name; int n, k, x1, y1, m, j, x2, y2, want; };
    const Case cases[] = {
        {"opaque_tile", kStrip, 0, 0, 0, kSolid, 0, 4, 0, 1},
        {"clear_tile", kStrip, 1, 0, 0, kSolid, 0, 4, 0, 0},
        {"clear_tile_box_is_one_tile", kStrip, 1, 0, 0, kSolid, 0, 9, 0, 0},
        {"tile_on_tile", kStrip, 0, 0, 0, kStrip, 0, 7, 7, 1},
        {"tile_touching", kStrip, 0, 0, 0, kStrip, 0, 8, 0, 0},
        {"uncut_sprite_whole_image", kSolid, 99, 0, 0, kStrip, 0, 7, 0, 1},
        {"tile_number_2", kStrip, 2, 0, 0, kSolid, 0, 0, 0, 0},
        {"tile_number_-1", kStrip, -1, 0, 0, kSolid, 0, 0, 0, 0},
        {"tile_number_huge", kStrip, 1 << 30, 0, 0, kSolid, 0, 0, 0, 0},
        {"free_sprite", kFree, 0, 0, 0, kSolid, 0, 0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(R->TileCollision(c.n, c.k, c.x1, c.y1, c.m, c.j, c.x2, c.y2), c.want) << c.name;
    // Tiles larger than the picture give no tile at all.
    R->TileSprite(kStrip, 32, 32);
    EXPECT_EQ(R->TileCollision(kStrip, 0, 0, 0, kSolid, 0, 0, 0), 0);
    R->TileSprite(kStrip, 8, 0);
    EXPECT_EQ(R->TileCollision(kStrip, 0, 0, 0, kSolid, 0, 0, 0), 0);
}

TEST_F(CollisionTable, ReloadDropsTheCache)
{
    EXPECT_EQ(R->SpriteCollision(kClear, kSolid, 0, 0, 0, 0), 0);
    ASSERT_NE(R->m_alphaCache[kClear], nullptr);
    ASSERT_EQ(LoadGrid(kClear, Filled(8, 8, Rgb{7, 7, 7})), 1);
    EXPECT_EQ(R->m_alphaCache[kClear], nullptr);
    EXPECT_EQ(R->SpriteCollision(kClear, kSolid, 0, 0, 0, 0), 1);
}
