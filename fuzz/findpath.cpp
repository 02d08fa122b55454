// Builds a small cost map from the input bytes and searches it, through
// FINDPATH and through the planner with odd pool and open-list sizes. Every
// search must end, and every path found must be a connected walk over open
// cells from the start to the goal.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "pathfind/astar.h"
#include "pathfind/findpath.h"

using namespace __VELTRIC__;

namespace {

struct Bytes {
    const std::uint8_t* p;
    size_t n;
    std::uint8_t next() { return n ? (--n, *p++) : 0; }
};

double CostOf(std::uint8_t b)
{
    switch (b) {
    case 0: return 0.0;
    case 1: return -5.0;
    case 2: return std::numeric_limits<double>::quiet_NaN();
    case 3: return std::numeric_limits<double>::infinity();
    case 4: return 1e300;
    case 5: return 1e-300;
    default: return b;
    }
}

void Check(bool ok)
{
    if (!ok) std::abort();
}

bool Open(const DGIntArray& map, int x, int y)
{
    const double c = map(x, y);
    return c > 0 && std::isfinite(c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    Bytes in{data, size};
    const int w = 1 + in.next() % 16;
    const int h = 1 + in.next() % 16;
    // Ends may fall off the map by one on either side.
    const int sx = in.next() % (w + 2) - 1, sy = in.next() % (h + 2) - 1;
    const int gx = in.next() % (w + 2) - 1, gy = in.next() % (h + 2) - 1;
    const double heuristic = (in.next() - 64) / 64.0;
    const std::uint8_t mode = in.next();

    DGIntArray map;
    DIM(map, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) map(x, y) = CostOf(in.next());

    DGIntArray path;
    const int n = FINDPATH(map, path, heuristic, sx, sy, gx, gy);
    if (n > 0) {
        Check(BOUNDS(path, 0) == n && BOUNDS(path, 1) == 2);
        Check(path(0, 0) == sx && path(0, 1) == sy && path(n - 1, 0) == gx && path(n - 1, 1) == gy);
        for (int i = 1; i < n; ++i) {
            const int x = static_cast<int>(path(i, 0)), y = static_cast<int>(path(i, 1));
            Check(x >= 0 && x < w && y >= 0 && y < h && Open(map, x, y));
            Check(std::abs(x - path(i - 1, 0)) + std::abs(y - path(i - 1, 1)) == 1);
        }
    }

    // The planner itself with the sizes a caller may pick.
    std::vector<double> costs(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) costs[static_cast<size_t>(y) * w + x] = map(x, y);
    Planner::Description d{};
    d.startX = sx;
    d.startY = sy;
    d.goalX = gx;
    d.goalY = gy;
    d.diagonalCost = mode & 1;
    d.allowDiagonals = (mode >> 1) & 1;
    d.nodePoolSize = (mode >> 2) & 1 ? in.next() : 0;
    d.openListCapacity = (mode >> 3) & 1 ? in.next() % 8 : 0;
    d.heuristicWeight = static_cast<float>(heuristic * 2);
    d.width = w;
    d.height = h;
    d.costs = costs.data();
    AStarPlanner planner;
    for (int round = 0; round < 2; ++round) {
        if (!planner.createMap(d)) break;
        planner.initialize();
        Check(planner.run() == 1);
        const unsigned int size = planner.getPathSize();
        Check(size <= static_cast<unsigned int>(w * h));
        const Node* p = planner.getPath();
        for (unsigned int i = 0; p && i + 1 < size; ++i, p = p->parent) {
            const int dx = std::abs(p->x - p->parent->x), dy = std::abs(p->y - p->parent->y);
            Check(dx <= 1 && dy <= 1 && dx + dy >= 1 && (d.allowDiagonals || dx + dy == 1));
        }
        planner.cleanup();
    }
    return 0;
}
