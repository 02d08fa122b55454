#pragma once
// AStarPlanner: best-first search over the normalised cost grid of a
// Planner, on the 8-neighbour grid. The priority blends the cost so far g
// with the Manhattan distance h to the goal: f = g + (h - g) x w, so w = 0 is
// a uniform-cost search, w = 1 a greedy one. Closed cells are reopened when a
// cheaper way to them turns up; among equal priorities the node queued
// earlier is taken first, so the same map always gives the same path.
#include "pathfind/planner.h"

namespace __VELTRIC__ {

class AStarPlanner : public Planner {
public:
    // The float nearest above sqrt(2) (bits 0x3FB504F4): the factor of a
    // diagonal step when diagonal steps cost more.
    static constexpr float kDiagonalFactor = 1.4142137f;

    AStarPlanner() = default;
    ~AStarPlanner() override = default;

    // Starts a search: the start cell is queued with g = 0 (nothing is
    // queued without a map, a free node or room in the open list).
    void initialize() override;
    // Runs the search to its end and returns 1; the path is set when the
    // goal was reached. An exhausted node pool ends it with no path.
    unsigned int run() override;
};

} // namespace __VELTRIC__
