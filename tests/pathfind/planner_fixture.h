#pragma once
// Helpers shared by the planner tests: a map description over a cost vector
// and the path read back as cells.
#include <utility>
#include <vector>

#include "pathfind/astar.h"

namespace pathfind_test {

using Cells = std::vector<std::pair<int, int>>;

struct Map {
    int width;
    int height;
    std::vector<double> costs;  // cell (x, y) at y * width + x

    __VELTRIC__::Planner::Description Describe(int sx, int sy, int gx, int gy, float weight = 0.5f,
                                             bool diagonals = false, bool diagonalCost = true) const
    {
        __VELTRIC__::Planner::Description d{};
        d.startX = sx;
        d.startY = sy;
        d.goalX = gx;
        d.goalY = gy;
        d.diagonalCost = diagonalCost;
        d.allowDiagonals = diagonals;
        d.hashBits = 8;
        d.heuristicWeight = weight;
        d.width = width;
        d.height = height;
        d.costs = costs.data();
        return d;
    }
};

inline Map Uniform(int w, int h, double cost = 1.0)
{
    return Map{w, h, std::vector<double>(static_cast<size_t>(w) * h, cost)};
}

// The path from start to goal, or empty.
inline Cells PathCells(const __VELTRIC__::Planner& p)
{
    Cells out;
    for (const __VELTRIC__::Node* n = p.getPath(); n; n = n->parent) out.insert(out.begin(), {n->x, n->y});
    return out;
}

} // namespace pathfind_test
