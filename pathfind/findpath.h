#pragma once
// FINDPATH: the path-finding command of the dialect.
#include "runtime/arrays.h"

namespace __VELTRIC__ {

// Finds a path on the cost grid `map` (map(x, y), the first index along a
// row; a cost <= 0 is a wall) from (startX, startY) to (goalX, goalY) with
// horizontal and vertical steps. heuristic blends the cost so far (0) with
// the distance to the goal (1 or more). Fills path(i, 0) = x, path(i, 1) = y
// from the start (i = 0) to the goal and returns the number of points. Returns
// 0 with `path` emptied when the goal cannot be reached, and 0 with `path`
// untouched when start or goal is off the map, they are the same cell, or
// the map has no open cell.
int FINDPATH(DGIntArray& map, DGIntArray& path, double heuristic, int startX, int startY, int goalX, int goalY);

} // namespace __VELTRIC__
