// Paths of the A* search on small maps whose answer is known by hand.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/pathfind/planner_fixture.h"

using namespace __VELTRIC__;
using namespace pathfind_test;

namespace {

struct Result {
    Cells cells;
    float cost;
};

Result Search(const Map& m, int sx, int sy, int gx, int gy, float w, bool diagonals, bool diagonalCost = true)
{
    AStarPlanner p;
    EXPECT_TRUE(p.createMap(m.Describe(sx, sy, gx, gy, w, diagonals, diagonalCost)));
    p.initialize();
    EXPECT_EQ(1u, p.run());
    Result r{PathCells(p), p.getPathCost()};
    EXPECT_EQ(r.cells.size(), p.getPathSize());
    p.cleanup();
    return r;
}

} // namespace

TEST(AStar, DiagonalFactorIsTheFloatJustAboveRootTwo)
{
    std::uint32_t bits;
    std::memcpy(&bits, &AStarPlanner::kDiagonalFactor, sizeof bits);
    EXPECT_EQ(0x3FB504F4u, bits);
}

TEST(AStar, OpenThreeByThreeGrid)
{
    const Map m = Uniform(3, 3);
    const Result straight = Search(m, 0, 0, 2, 2, 0.5f, false);
    EXPECT_EQ((Cells{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}), straight.cells);
    EXPECT_FLOAT_EQ(8.0f, straight.cost);

    const Result diagonal = Search(m, 0, 0, 2, 2, 0.5f, true);
    EXPECT_EQ((Cells{{0, 0}, {1, 1}, {2, 2}}), diagonal.cells);
    EXPECT_NEAR(5.656854, diagonal.cost, 1e-5);

    // Without the diagonal cost a diagonal step costs the cell's value.
    const Result cheap = Search(m, 0, 0, 2, 2, 0.5f, true, false);
    EXPECT_EQ(3u, cheap.cells.size());
    EXPECT_FLOAT_EQ(4.0f, cheap.cost);
}

TEST(AStar, WeightZeroTakesTheCheapWayRoundWeightOneTheStraightDearOne)
{
    // Row 2 is dear in its middle: 10 against 1 elsewhere (2.0 against 1.1
    // once normalised).
    Map m = Uniform(5, 5);
    for (int x = 1; x <= 3; ++x) m.costs[2 * 5 + x] = 10;

    const Result greedy = Search(m, 0, 2, 4, 2, 1.0f, false);
    EXPECT_EQ((Cells{{0, 2}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}), greedy.cells);
    EXPECT_NEAR(7.1, greedy.cost, 1e-5);

    const Result cheapest = Search(m, 0, 2, 4, 2, 0.0f, false);
    EXPECT_EQ((Cells{{0, 2}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}}), cheapest.cells);
    EXPECT_NEAR(6.6, cheapest.cost, 1e-5);
}

TEST(AStar, WalledGoalEndsTheSearchWithoutAPath)
{
    Map m = Uniform(5, 5);
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x)
            if (x != 2 || y != 2) m.costs[y * 5 + x] = 0;
    for (bool diagonals : {false, true}) {
        const Result r = Search(m, 0, 0, 2, 2, 0.5f, diagonals);
        EXPECT_TRUE(r.cells.empty()) << diagonals;
        EXPECT_EQ(-1.0f, r.cost);
    }
}

TEST(AStar, DiagonalStepSlipsBetweenTwoWalls)
{
    // . #
    // # .
    Map m{2, 2, {1, 0, 0, 1}};
    EXPECT_EQ((Cells{{0, 0}, {1, 1}}), Search(m, 0, 0, 1, 1, 0.5f, true).cells);
    EXPECT_TRUE(Search(m, 0, 0, 1, 1, 0.5f, false).cells.empty());
}

TEST(AStar, NeighbouringStartAndGoal)
{
    const Result r = Search(Uniform(3, 1), 1, 0, 2, 0, 0.5f, false);
    EXPECT_EQ((Cells{{1, 0}, {2, 0}}), r.cells);
    EXPECT_FLOAT_EQ(2.0f, r.cost);
}
