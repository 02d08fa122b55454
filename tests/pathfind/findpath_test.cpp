// FINDPATH over the dialect's number arrays.
#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "pathfind/findpath.h"

using namespace __VELTRIC__;

namespace {

using Points = std::vector<std::pair<int, int>>;

// A w x h map of ones with the listed cells set to `walls` cost.
DGIntArray MapOf(int w, int h, const Points& walls = {}, double wallCost = 0)
{
    DGIntArray m;
    DIM(m, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) m(x, y) = 1;
    for (const auto& c : walls) m(c.first, c.second) = wallCost;
    return m;
}

Points Read(DGIntArray& path)
{
    Points out;
    for (int i = 0; i < BOUNDS(path, 0); ++i)
        out.push_back({static_cast<int>(path(i, 0)), static_cast<int>(path(i, 1))});
    return out;
}

} // namespace

TEST(FindPath, StraightRowFillsPointsFromStartToGoal)
{
    DGIntArray map = MapOf(5, 5), path;
    EXPECT_EQ(5, FINDPATH(map, path, 0.5, 0, 0, 4, 0));
    EXPECT_EQ(5, BOUNDS(path, 0));
    EXPECT_EQ(2, BOUNDS(path, 1));
    EXPECT_EQ((Points{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}}), Read(path));

    EXPECT_EQ(2, FINDPATH(map, path, 0.5, 2, 3, 2, 4));
    EXPECT_EQ((Points{{2, 3}, {2, 4}}), Read(path));
}

TEST(FindPath, FirstIndexRunsAlongARow)
{
    // 4 wide, 2 high; the wall at (1, 0) forces the way through row 1.
    DGIntArray map = MapOf(4, 2, {{1, 0}}), path;
    EXPECT_EQ(5, FINDPATH(map, path, 0.0, 0, 0, 2, 0));
    EXPECT_EQ((Points{{0, 0}, {0, 1}, {1, 1}, {2, 1}, {2, 0}}), Read(path));
    // (3, 1) exists only when x is the first index.
    EXPECT_EQ(2, FINDPATH(map, path, 0.0, 3, 0, 3, 1));
}

TEST(FindPath, WallsAreWalkedRoundWithStraightStepsOnly)
{
    // A wall across the middle with one gap at the right.
    DGIntArray map = MapOf(5, 5, {{0, 2}, {1, 2}, {2, 2}, {3, 2}}), path;
    for (double heuristic : {0.0, 0.5, 1.0}) {
        const int n = FINDPATH(map, path, heuristic, 0, 0, 0, 4);
        ASSERT_GT(n, 0) << heuristic;
        const Points p = Read(path);
        for (size_t i = 1; i < p.size(); ++i) {
            const int dx = std::abs(p[i].first - p[i - 1].first), dy = std::abs(p[i].second - p[i - 1].second);
            EXPECT_EQ(1, dx + dy) << "heuristic " << heuristic << " step " << i;
            EXPECT_NE(0, map(p[i].first, p[i].second));
        }
        EXPECT_EQ(13, n) << heuristic;  // the only way is through (4, 2)
    }
}

TEST(FindPath, HeuristicZeroIsCheapestOneOrMoreFollowsTheDistance)
{
    // The middle of row 2 is dear.
    DGIntArray map = MapOf(5, 5, {{1, 2}, {2, 2}, {3, 2}}, 10), path;
    const struct {
        double heuristic;
        int points;
    } cases[] = {{0.0, 7}, {-3.0, 7}, {std::numeric_limits<double>::quiet_NaN(), 7}, {1.0, 5}, {7.5, 5}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.points, FINDPATH(map, path, c.heuristic, 0, 2, 4, 2)) << c.heuristic;
        EXPECT_EQ(c.points, BOUNDS(path, 0)) << c.heuristic;
    }
}

TEST(FindPath, RefusalsLeaveThePathAsItWas)
{
    DGIntArray open = MapOf(4, 4), zeros = MapOf(3, 3, {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1},
                                                          {0, 2}, {1, 2}, {2, 2}});
    DGIntArray row;  // one dimension only
    DIM(row, 6);
    for (int i = 0; i < 6; ++i) row(i) = 1;
    DGIntArray never;  // never dimensioned
    const struct {
        const char* what;
        DGIntArray* map;
        int sx, sy, gx, gy;
    } cases[] = {
        {"start off the map", &open, -1, 0, 3, 3}, {"goal off the map", &open, 0, 0, 4, 3},
        {"goal below the map", &open, 0, 0, 3, 4}, {"start equal to goal", &open, 2, 2, 2, 2},
        {"no open cell", &zeros, 0, 0, 2, 2},       {"one-dimensional map", &row, 0, 0, 5, 0},
        {"map without storage", &never, 0, 0, 1, 1},
    };
    for (const auto& c : cases) {
        DGIntArray path;
        DIM(path, 3, 2);
        path(1, 0) = 42;
        EXPECT_EQ(0, FINDPATH(*c.map, path, 0.5, c.sx, c.sy, c.gx, c.gy)) << c.what;
        EXPECT_EQ(3, BOUNDS(path, 0)) << c.what;
        EXPECT_EQ(2, BOUNDS(path, 1)) << c.what;
        EXPECT_EQ(42, path(1, 0)) << c.what;
    }
}

TEST(FindPath, UnreachableGoalEmptiesThePath)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // Walls of every kind round (2, 2): zero, negative, NaN, infinity.
    DGIntArray map = MapOf(5, 5), path;
    const double walls[] = {0, -1, nan, inf};
    int k = 0;
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x)
            if (x != 2 || y != 2) map(x, y) = walls[k++ % 4];
    DIM(path, 3, 2);
    EXPECT_EQ(0, FINDPATH(map, path, 0.5, 0, 0, 2, 2));
    EXPECT_EQ(0, BOUNDS(path, 0));
    EXPECT_EQ(0, BOUNDS(path, 1));
}

TEST(FindPath, CostsBeyondTheFloatRangeStillGiveTheCheapestPath)
{
    // 1e300 and 1e39 both overflow a float; as floats they would make the
    // whole grid NaN. The dear middle of row 0 is walked round.
    DGIntArray map = MapOf(5, 2), path;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) map(x, y) = 1e39;
    for (int x = 1; x <= 3; ++x) map(x, 0) = 1e300;
    EXPECT_EQ(7, FINDPATH(map, path, 0.0, 0, 0, 4, 0));
    EXPECT_EQ((Points{{0, 0}, {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 0}}), Read(path));
}

TEST(FindPath, MapCanReceiveItsOwnPath)
{
    DGIntArray map = MapOf(3, 3);
    EXPECT_EQ(5, FINDPATH(map, map, 0.5, 0, 0, 2, 2));
    EXPECT_EQ(2, BOUNDS(map, 1));
    EXPECT_EQ((Points{{0, 0}, {1, 0}, {2, 0}, {2, 1}, {2, 2}}), Read(map));
}
