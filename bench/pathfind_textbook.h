#pragma once
// A textbook A* for comparison: per-cell arrays of g, parent and a closed
// flag, and a binary heap (std::priority_queue) of (f, cell) with stale
// entries skipped when popped. It normalises the costs and prices the steps
// the way the planner does (straight steps, f = g + (h - g) x w), so both
// solve the same problem.
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace pathfind_bench {

struct TextbookResult {
    unsigned int pathSize = 0;
    float cost = -1.0f;
    unsigned int expanded = 0;
};

inline TextbookResult TextbookAStar(const double* costs, int w, int h, int sx, int sy, int gx, int gy, float weight)
{
    const size_t cells = static_cast<size_t>(w) * h;
    std::vector<float> grid(cells);
    double maximum = 0;
    for (size_t i = 0; i < cells; ++i)
        if (costs[i] > maximum) maximum = costs[i];
    for (size_t i = 0; i < cells; ++i)
        grid[i] = costs[i] > 0 ? static_cast<float>(costs[i] / maximum + 1.0) : -1.0f;

    std::vector<float> g(cells, 3.4e38f);
    std::vector<std::int32_t> parent(cells, -1);
    std::vector<std::uint8_t> closed(cells, 0);
    using Item = std::pair<float, std::uint32_t>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;

    TextbookResult r;
    const std::uint32_t start = static_cast<std::uint32_t>(sy * w + sx);
    const std::uint32_t goal = static_cast<std::uint32_t>(gy * w + gx);
    g[start] = 0;
    open.push({0.0f, start});
    const int dx[4] = {0, 1, -1, 0}, dy[4] = {-1, 0, 0, 1};
    while (!open.empty()) {
        const std::uint32_t cell = open.top().second;
        open.pop();
        if (closed[cell]) continue;
        closed[cell] = 1;
        if (cell == goal) {
            r.cost = g[cell];
            for (std::int32_t c = static_cast<std::int32_t>(cell); c >= 0; c = parent[c]) ++r.pathSize;
            return r;
        }
        ++r.expanded;
        const int x = static_cast<int>(cell % w), y = static_cast<int>(cell / w);
        for (int k = 0; k < 4; ++k) {
            const int nx = x + dx[k], ny = y + dy[k];
            if (nx < 0 || nx >= w || ny < 0 || ny >= h) continue;
            const std::uint32_t n = static_cast<std::uint32_t>(ny * w + nx);
            if (grid[n] < 0 || closed[n]) continue;
            const float ng = g[cell] + grid[n];
            if (ng >= g[n]) continue;
            g[n] = ng;
            parent[n] = static_cast<std::int32_t>(cell);
            const float hh = static_cast<float>(std::abs(gx - nx) + std::abs(gy - ny));
            open.push({ng + (hh - ng) * weight, n});
        }
    }
    return r;
}

} // namespace pathfind_bench
