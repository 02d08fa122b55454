// Properties of the search on a few hundred seeded random maps: the same path
// and cost as the direct sorted-list search, optimal costs where the
// heuristic allows it, connected paths over open cells, and an end to every
// search whatever the costs (infinity, NaN, beyond the float range).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <future>
#include <limits>
#include <queue>
#include <random>
#include <sstream>
#include <string>

#include "tests/pathfind/literal_astar.h"
#include "tests/pathfind/planner_fixture.h"

using namespace __VELTRIC__;
using namespace pathfind_test;

namespace {

// Cheapest cost from start to goal by a plain Dijkstra over the planner's
// grid with the search's step costs; -1 when the goal cannot be reached.
double Dijkstra(const Planner& p)
{
    const Planner::Description& d = p.getDescription();
    const float diagonal = d.diagonalCost ? AStarPlanner::kDiagonalFactor : 1.0f;
    std::vector<double> best(static_cast<size_t>(d.width) * d.height, std::numeric_limits<double>::infinity());
    using Item = std::pair<double, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> q;
    best[d.startY * d.width + d.startX] = 0;
    q.push({0, d.startY * d.width + d.startX});
    while (!q.empty()) {
        const auto [g, cell] = q.top();
        q.pop();
        if (g > best[cell]) continue;
        const int x = cell % d.width, y = cell / d.width;
        if (x == d.goalX && y == d.goalY) return g;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const bool diag = dx && dy;
                if ((!dx && !dy) || (diag && !d.allowDiagonals)) continue;
                const int nx = x + dx, ny = y + dy;
                if (nx < 0 || nx >= d.width || ny < 0 || ny >= d.height) continue;
                const float c = p.gridValue(nx, ny);
                if (c == Planner::kBlocked) continue;
                const double ng = g + (diag ? static_cast<double>(diagonal * c) : c);
                if (ng < best[ny * d.width + nx]) {
                    best[ny * d.width + nx] = ng;
                    q.push({ng, ny * d.width + nx});
                }
            }
    }
    return -1;
}

struct Case {
    Map map;
    Planner::Description desc;
    std::string label;
};

Case RandomCase(std::mt19937& rng, int index)
{
    auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned int>(n)); };
    auto unit = [&rng]() { return (rng() >> 8) / 16777216.0; };
    const int w = 1 + pick(20), h = (w == 1 ? 2 : 1) + pick(20);
    Map m{w, h, std::vector<double>(static_cast<size_t>(w) * h)};
    const int costKind = pick(4);
    const double wallShare = unit() * 0.45;
    for (double& c : m.costs) {
        if (unit() < wallShare) {
            const double walls[] = {0.0, -3.0, std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity()};
            c = walls[pick(5)];
        } else if (costKind == 0) {
            c = 1;                    // all equal: ties everywhere
        } else if (costKind == 1) {
            c = 1 + pick(3);          // few distinct costs
        } else if (costKind == 2) {
            c = 0.01 + unit() * 100;  // all different
        } else {
            c = pick(8) == 0 ? 1e300 : 1e299 * (1 + pick(9));  // beyond float range
        }
    }
    const int start = pick(w * h);
    int goal = pick(w * h - 1);
    if (goal >= start) ++goal;
    // Start and goal are open, so a found path must consist of open cells.
    m.costs[start] = m.costs[goal] = costKind == 3 ? 1e300 : 1.0;

    const float weights[] = {0.0f, 0.25f, 0.4f, 0.5f, 0.75f, 1.0f, static_cast<float>(unit())};
    const int mode = pick(3);  // orthogonal, diagonal with cost, diagonal without
    Case c{m, {}, {}};
    c.desc = c.map.Describe(start % w, start / w, goal % w, goal / w, weights[pick(7)], mode != 0, mode == 1);
    if (pick(6) == 0) c.desc.nodePoolSize = 1 + pick(w * h);
    if (pick(6) == 0) c.desc.openListCapacity = 1 + pick(8);
    std::ostringstream label;
    label << "case " << index << ": " << w << "x" << h << " kind " << costKind << " (" << c.desc.startX << ","
          << c.desc.startY << ")->(" << c.desc.goalX << "," << c.desc.goalY << ") w " << c.desc.heuristicWeight
          << " mode " << mode << " pool " << c.desc.nodePoolSize << " open " << c.desc.openListCapacity;
    c.label = label.str();
    return c;
}

void CheckCase(const Case& c, int& found)
{
    SCOPED_TRACE(c.label);
    AStarPlanner p;
    ASSERT_TRUE(p.createMap(c.desc));
    const Planner::Description& d = p.getDescription();
    p.initialize();
    ASSERT_EQ(1u, p.run());
    const Cells path = PathCells(p);
    const LiteralResult ref = LiteralSearch(p);

    // Same visiting order: the same path and exactly the same cost.
    ASSERT_EQ(ref.found, p.getPath() != nullptr);
    ASSERT_EQ(ref.cells, path);
    ASSERT_EQ(ref.cost, p.getPathCost());
    ASSERT_EQ(path.size(), p.getPathSize());

    if (!path.empty()) {
        ++found;
        EXPECT_EQ(std::make_pair(d.startX, d.startY), path.front());
        EXPECT_EQ(std::make_pair(d.goalX, d.goalY), path.back());
        const float diagonal = d.diagonalCost ? AStarPlanner::kDiagonalFactor : 1.0f;
        float g = 0.0f;
        for (size_t i = 1; i < path.size(); ++i) {
            const int dx = std::abs(path[i].first - path[i - 1].first);
            const int dy = std::abs(path[i].second - path[i - 1].second);
            ASSERT_TRUE(dx <= 1 && dy <= 1 && dx + dy >= 1) << "step " << i;
            if (!d.allowDiagonals) {
                ASSERT_EQ(1, dx + dy) << "step " << i;
            }
            const float cell = p.gridValue(path[i].first, path[i].second);
            ASSERT_NE(Planner::kBlocked, cell) << "step " << i;
            g = dx + dy == 2 ? g + diagonal * cell : g + cell;
        }
        EXPECT_EQ(g, p.getPathCost());
    }

    // Where the weighted Manhattan distance never overestimates (orthogonal
    // steps cost more than 1; a diagonal one at least sqrt 2 for 2 of
    // distance), the search must find the cheapest path, and find one
    // whenever the goal can be reached.
    const float w = d.heuristicWeight;
    const bool admissible = !d.allowDiagonals ? w <= 0.5f : (d.diagonalCost ? w <= 0.4f : w <= 0.33f);
    if (admissible && !c.desc.nodePoolSize && !c.desc.openListCapacity) {
        const double best = Dijkstra(p);
        if (best < 0) {
            EXPECT_TRUE(path.empty());
        } else {
            ASSERT_FALSE(path.empty());
            EXPECT_NEAR(best, p.getPathCost(), best * 1e-5);
        }
    }
}

} // namespace

TEST(SearchProperties, RandomMapsMatchTheDirectSearchAndAreOptimalWhereTheyMustBe)
{
    // Every search must end: a hang shows as a failure here, not a stuck run.
    auto done = std::async(std::launch::async, [] {
        std::mt19937 rng(20240611u);
        int found = 0;
        for (int i = 0; i < 600; ++i) {
            const Case c = RandomCase(rng, i);
            CheckCase(c, found);
            if (::testing::Test::HasFatalFailure()) return;
        }
        // The maps must not be so walled that nothing is tested.
        EXPECT_GT(found, 250);
    });
    if (done.wait_for(std::chrono::seconds(120)) != std::future_status::ready) {
        std::fprintf(stderr, "random map searches did not end within 120 s\n");
        std::_Exit(1);
    }
    done.get();
}
