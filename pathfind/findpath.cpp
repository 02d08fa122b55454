#include "pathfind/findpath.h"

#include "pathfind/astar.h"

namespace __VELTRIC__ {

int FINDPATH(DGIntArray& map, DGIntArray& path, double heuristic, int startX, int startY, int goalX, int goalY)
{
    const int width = BOUNDS(map, 0);
    const int height = BOUNDS(map, 1);
    if (width <= 0 || height <= 0 || !map.Data()) return 0;

    Planner::Description d{};
    d.startX = startX;
    d.startY = startY;
    d.goalX = goalX;
    d.goalY = goalY;
    d.diagonalCost = 1;
    d.allowDiagonals = 0;
    d.nodePoolSize = 0;
    d.openListCapacity = 0;
    d.hashBits = 8;
    // 1 or more follows the distance alone; below 0 (and NaN) the cost alone.
    d.heuristicWeight = heuristic >= 1.0 ? 1.0f : (heuristic > 0.0 ? static_cast<float>(heuristic) : 0.0f);
    d.width = width;
    d.height = height;
    // Element (x, y) lies at x + y * width: the grid's own layout. Further
    // dimensions, if any, lie beyond the first width x height elements.
    d.costs = map.Data();

    AStarPlanner planner;
    if (!planner.createMap(d)) return 0;
    planner.initialize();
    planner.run();

    // The map has been copied into the planner: `path` may be `map` itself.
    const unsigned int n = planner.getPathSize();
    if (n == 0) {
        DIM(path, 0, 0, 0, 0);
        planner.cleanup();
        return 0;
    }
    DIM(path, static_cast<int>(n), 2);
    int i = static_cast<int>(n);
    for (const Node* p = planner.getPath(); p && i > 0; p = p->parent) {
        --i;
        path(i, 0) = p->x;
        path(i, 1) = p->y;
    }
    planner.cleanup();
    return static_cast<int>(n);
}

} // namespace __VELTRIC__
