// The planner's map description: normalisation, refusals and the life cycle
// of a reused planner.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/pathfind/planner_fixture.h"

using namespace __VELTRIC__;
using namespace pathfind_test;

TEST(PlannerMap, CostsAreScaledIntoOneToTwoAndWallsBecomeMinusOne)
{
    AStarPlanner p;
    Map m{3, 1, {2, 0, 4}};
    ASSERT_TRUE(p.createMap(m.Describe(0, 0, 2, 0)));
    EXPECT_FLOAT_EQ(1.5f, p.gridValue(0, 0));
    EXPECT_FLOAT_EQ(-1.0f, p.gridValue(1, 0));
    EXPECT_FLOAT_EQ(2.0f, p.gridValue(2, 0));
}

TEST(PlannerMap, CostsBeyondFloatRangeInfinityAndNaNStayFinite)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    AStarPlanner p;
    // 1e300 as a float would be infinity, making every other cell NaN.
    Map m{5, 1, {1e300, 5e299, inf, nan, -inf}};
    ASSERT_TRUE(p.createMap(m.Describe(0, 0, 1, 0)));
    EXPECT_FLOAT_EQ(2.0f, p.gridValue(0, 0));
    EXPECT_FLOAT_EQ(1.5f, p.gridValue(1, 0));
    for (int x = 2; x < 5; ++x) EXPECT_EQ(Planner::kBlocked, p.gridValue(x, 0)) << x;
}

TEST(PlannerMap, RefusesOffGridEndsSameCellAndMapsWithoutOpenCells)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Map open = Uniform(4, 3);
    const struct {
        const char* what;
        Map map;
        int sx, sy, gx, gy;
    } cases[] = {
        {"start left of the grid", open, -1, 0, 3, 2},
        {"start below the grid", open, 0, 3, 3, 2},
        {"goal right of the grid", open, 0, 0, 4, 2},
        {"goal above the grid", open, 0, 0, 3, -1},
        {"start equal to goal", open, 2, 1, 2, 1},
        {"no positive cost", Map{3, 1, {0, -2, 0}}, 0, 0, 2, 0},
        {"only NaN and infinity", Map{2, 1, {nan, std::numeric_limits<double>::infinity()}}, 0, 0, 1, 0},
        {"empty grid", Map{0, 0, {}}, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        AStarPlanner p;
        EXPECT_FALSE(p.createMap(c.map.Describe(c.sx, c.sy, c.gx, c.gy))) << c.what;
        EXPECT_FALSE(p.hasMap()) << c.what;
    }
}

TEST(PlannerMap, WeightIsClampedIntoZeroToOne)
{
    const struct {
        float given, stored;
    } cases[] = {{1.7f, 1.0f}, {-0.2f, 0.0f}, {0.25f, 0.25f}, {1.0f, 1.0f},
                 {std::numeric_limits<float>::quiet_NaN(), 0.0f}};
    const Map m = Uniform(2, 2);
    for (const auto& c : cases) {
        AStarPlanner p;
        ASSERT_TRUE(p.createMap(m.Describe(0, 0, 1, 1, c.given)));
        EXPECT_EQ(c.stored, p.getDescription().heuristicWeight) << c.given;
    }
}

TEST(PlannerMap, NoPathBeforeAnySearch)
{
    AStarPlanner p;
    EXPECT_EQ(-1.0f, p.getPathCost());
    EXPECT_EQ(0u, p.getPathSize());
    ASSERT_TRUE(p.createMap(Uniform(3, 3).Describe(0, 0, 2, 2)));
    EXPECT_EQ(-1.0f, p.getPathCost());
    EXPECT_EQ(0u, p.getPathSize());
    EXPECT_EQ(1u, p.getState());
}

TEST(PlannerMap, OffGridRefusalKeepsTheOldMap)
{
    AStarPlanner p;
    const Map m = Uniform(3, 3);
    ASSERT_TRUE(p.createMap(m.Describe(0, 0, 2, 2)));
    EXPECT_FALSE(p.createMap(m.Describe(0, 0, 5, 5)));
    ASSERT_TRUE(p.hasMap());
    p.initialize();
    p.run();
    EXPECT_EQ(5u, p.getPathSize());
}

TEST(PlannerMap, RefusedMapLeavesNothingASearchCouldRunOn)
{
    // A good map first, then one without open cells: the search afterwards
    // must not find a one-node "path" on what is left.
    AStarPlanner p;
    ASSERT_TRUE(p.createMap(Uniform(3, 3).Describe(0, 0, 2, 2)));
    Map walls{3, 3, std::vector<double>(9, 0.0)};
    EXPECT_FALSE(p.createMap(walls.Describe(0, 0, 2, 2)));
    EXPECT_FALSE(p.hasMap());
    p.initialize();
    EXPECT_EQ(1u, p.run());
    EXPECT_EQ(nullptr, p.getPath());
    EXPECT_EQ(0u, p.getPathSize());
    EXPECT_EQ(0u, p.getOpenSize());

    p.unloadMap();
    p.initialize();
    p.run();
    EXPECT_EQ(nullptr, p.getPath());
}

TEST(PlannerSearch, EmptyOrExhaustedPoolEndsWithoutAPath)
{
    const Map m = Uniform(6, 6);
    // A pool of one: the start takes it, the first neighbour finds none.
    {
        AStarPlanner p;
        Planner::Description d = m.Describe(0, 0, 5, 5);
        d.nodePoolSize = 1;
        ASSERT_TRUE(p.createMap(d));
        p.initialize();
        EXPECT_EQ(1u, p.getOpenSize());
        EXPECT_EQ(1u, p.run());  // the pool of one runs dry at the first neighbour
        EXPECT_EQ(nullptr, p.getPath());
        EXPECT_EQ(1u, p.getState());
    }
    // A pool too small for the search: it stops, with no path, in bounded time.
    for (unsigned int pool : {2u, 5u, 10u, 20u}) {
        AStarPlanner p;
        Planner::Description d = m.Describe(0, 0, 5, 5);
        d.nodePoolSize = pool;
        ASSERT_TRUE(p.createMap(d));
        p.initialize();
        EXPECT_EQ(1u, p.run());
        EXPECT_EQ(nullptr, p.getPath()) << pool;
        EXPECT_EQ(-1.0f, p.getPathCost()) << pool;
    }
}

TEST(PlannerSearch, ReusedPlannerGetsBackNodesLostToAFullOpenList)
{
    // An open list of two on an open map refuses inserts, and the refused
    // nodes are neither open nor closed. Every later search must still have
    // the whole pool: the same search gives the same result each time.
    const Map m = Uniform(5, 5);
    AStarPlanner p;
    Planner::Description d = m.Describe(0, 0, 4, 4);
    d.openListCapacity = 2;
    d.nodePoolSize = 40;
    ASSERT_TRUE(p.createMap(d));
    p.initialize();
    p.run();
    const Cells first = PathCells(p);
    const float cost = p.getPathCost();
    ASSERT_FALSE(first.empty());
    for (int round = 0; round < 50; ++round) {
        p.cleanup();
        p.initialize();
        p.run();
        ASSERT_EQ(first, PathCells(p)) << "round " << round;
        ASSERT_EQ(cost, p.getPathCost());
    }
}

TEST(PlannerSearch, CleanupReturnsThePoolAndEmptiesBothSets)
{
    AStarPlanner p;
    ASSERT_TRUE(p.createMap(Uniform(4, 4).Describe(0, 0, 3, 3)));
    p.initialize();
    EXPECT_EQ(0u, p.getState());
    EXPECT_EQ(1u, p.getOpenSize());
    p.run();
    EXPECT_EQ(1u, p.getRunCount());
    EXPECT_GT(p.getClosedSize(), 0u);
    p.cleanup();
    EXPECT_EQ(0u, p.getOpenSize());
    EXPECT_EQ(0u, p.getClosedSize());
    EXPECT_EQ(nullptr, p.getPath());
    EXPECT_EQ(1u, p.getState());

    // A second initialize without cleanup starts afresh as well.
    p.initialize();
    p.run();
    p.initialize();
    EXPECT_EQ(1u, p.getOpenSize());
    EXPECT_EQ(0u, p.getClosedSize());
    p.run();
    EXPECT_EQ(7u, p.getPathSize());
}
