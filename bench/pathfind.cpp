// Grid search on 1024 x 1024 maps (open, maze, 30 % walls) through the
// planner, through FINDPATH, through the direct sorted-list search the
// planner's indexed heap replaced, and through a textbook binary-heap A*.
// Counters: nodes expanded, path points, and the peak memory of one search
// (measured in a child process, in KiB above its resident size at start).
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bench/pathfind_textbook.h"
#include "pathfind/astar.h"
#include "pathfind/findpath.h"
#include "tests/pathfind/literal_astar.h"

using namespace __VELTRIC__;

namespace {

struct Grid {
    int w, h;
    std::vector<double> costs;
    int sx, sy, gx, gy;
};

Grid OpenGrid(int n) { return Grid{n, n, std::vector<double>(static_cast<size_t>(n) * n, 1.0), 0, 0, n - 1, n - 1}; }

// A perfect maze: passages on even cells, carved by a seeded depth-first walk.
Grid Maze(int n)
{
    Grid g{n, n, std::vector<double>(static_cast<size_t>(n) * n, 0.0), 0, 0, 0, 0};
    std::mt19937 rng(7);
    const int cellsX = (n + 1) / 2, cellsY = (n + 1) / 2;
    std::vector<char> seen(static_cast<size_t>(cellsX) * cellsY, 0);
    std::vector<std::pair<int, int>> stack{{0, 0}};
    seen[0] = 1;
    g.costs[0] = 1;
    while (!stack.empty()) {
        const auto [cx, cy] = stack.back();
        int options[4], count = 0;
        const int ddx[4] = {1, -1, 0, 0}, ddy[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = cx + ddx[k], ny = cy + ddy[k];
            if (nx >= 0 && nx < cellsX && ny >= 0 && ny < cellsY && !seen[ny * cellsX + nx]) options[count++] = k;
        }
        if (!count) {
            stack.pop_back();
            continue;
        }
        const int k = options[rng() % count];
        const int nx = cx + ddx[k], ny = cy + ddy[k];
        seen[ny * cellsX + nx] = 1;
        g.costs[static_cast<size_t>(cy * 2 + ddy[k]) * n + cx * 2 + ddx[k]] = 1;
        g.costs[static_cast<size_t>(ny * 2) * n + nx * 2] = 1;
        stack.push_back({nx, ny});
    }
    g.gx = g.gy = ((n - 1) / 2) * 2;
    return g;
}

bool Reachable(const Grid& g)
{
    std::vector<char> seen(g.costs.size(), 0);
    std::vector<int> todo{g.sy * g.w + g.sx};
    seen[todo[0]] = 1;
    while (!todo.empty()) {
        const int c = todo.back();
        todo.pop_back();
        if (c == g.gy * g.w + g.gx) return true;
        const int x = c % g.w, y = c / g.w;
        const int ddx[4] = {1, -1, 0, 0}, ddy[4] = {0, 0, 1, -1};
        for (int k = 0; k < 4; ++k) {
            const int nx = x + ddx[k], ny = y + ddy[k];
            if (nx < 0 || nx >= g.w || ny < 0 || ny >= g.h) continue;
            const int n = ny * g.w + nx;
            if (!seen[n] && g.costs[n] > 0) {
                seen[n] = 1;
                todo.push_back(n);
            }
        }
    }
    return false;
}

// 30 % of the cells walls, the others of cost 1 to 9; the first seed whose
// corners are joined.
Grid RandomWalls(int n)
{
    Grid g{n, n, std::vector<double>(static_cast<size_t>(n) * n), 0, 0, n - 1, n - 1};
    for (unsigned int seed = 11;; ++seed) {
        std::mt19937 rng(seed);
        for (double& c : g.costs) c = rng() % 100 < 30 ? 0.0 : 1.0 + rng() % 9;
        g.costs.front() = g.costs.back() = 1;
        if (Reachable(g)) return g;
    }
}

const Grid& GridFor(int kind, int n)
{
    static std::vector<std::pair<std::pair<int, int>, Grid>> made;
    for (auto& m : made)
        if (m.first == std::make_pair(kind, n)) return m.second;
    made.push_back({{kind, n}, kind == 0 ? OpenGrid(n) : kind == 1 ? Maze(n) : RandomWalls(n)});
    return made.back().second;
}

const float kWeight = 0.5f;

Planner::Description Describe(const Grid& g)
{
    Planner::Description d{};
    d.startX = g.sx;
    d.startY = g.sy;
    d.goalX = g.gx;
    d.goalY = g.gy;
    d.diagonalCost = 1;
    d.hashBits = 8;
    d.heuristicWeight = kWeight;
    d.width = g.w;
    d.height = g.h;
    d.costs = g.costs.data();
    return d;
}

long ReadStatusKiB(const char* field)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f) return 0;
    char line[256];
    long v = 0;
    const size_t len = std::strlen(field);
    while (std::fgets(line, sizeof line, f))
        if (!std::strncmp(line, field, len)) v = std::atol(line + len);
    std::fclose(f);
    return v;
}

// Peak resident memory of one run of fn, in KiB above the start, measured in
// a child process so that runs do not see each other's pages.
double PeakKiB(const std::function<void()>& fn)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // Memory the parent freed is still resident and would be reused
        // without showing; give it back first. The child also starts with
        // its parent's peak; "5" resets it to now.
        malloc_trim(0);
        if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", f);
            std::fclose(f);
        }
        const long before = ReadStatusKiB("VmRSS:");
        fn();
        const long peak = ReadStatusKiB("VmHWM:") - before;
        if (write(fds[1], &peak, sizeof peak) != sizeof peak) _exit(1);
        _exit(0);
    }
    close(fds[1]);
    long peak = -1;
    if (read(fds[0], &peak, sizeof peak) != sizeof peak) peak = -1;
    close(fds[0]);
    int status;
    waitpid(pid, &status, 0);
    return static_cast<double>(peak);
}

const char* KindName(int kind) { return kind == 0 ? "open" : kind == 1 ? "maze" : "walls30"; }

void BM_Planner(benchmark::State& state)
{
    const Grid& g = GridFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    unsigned int expanded = 0, points = 0;
    for (auto _ : state) {
        AStarPlanner p;
        p.createMap(Describe(g));
        p.initialize();
        p.run();
        expanded = p.getClosedSize();
        points = p.getPathSize();
        p.cleanup();
    }
    state.counters["expanded"] = expanded;
    state.counters["points"] = points;
    state.counters["peak_KiB"] = PeakKiB([&] {
        AStarPlanner p;
        p.createMap(Describe(g));
        p.initialize();
        p.run();
    });
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void BM_FindPath(benchmark::State& state)
{
    const Grid& g = GridFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    DGIntArray map, path;
    DIM(map, g.w, g.h);
    std::memcpy(map.Data(), g.costs.data(), g.costs.size() * sizeof(double));
    int points = 0;
    for (auto _ : state) points = FINDPATH(map, path, kWeight, g.sx, g.sy, g.gx, g.gy);
    state.counters["points"] = points;
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void BM_SortedListSearch(benchmark::State& state)
{
    const Grid& g = GridFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    pathfind_test::LiteralResult r;
    for (auto _ : state) {
        AStarPlanner p;
        p.createMap(Describe(g));
        r = pathfind_test::LiteralSearch(p);
    }
    state.counters["expanded"] = r.expanded + (r.found ? 1 : 0);
    state.counters["points"] = static_cast<double>(r.cells.size());

    // The planner must take exactly this path at exactly this cost.
    AStarPlanner p;
    p.createMap(Describe(g));
    p.initialize();
    p.run();
    std::vector<std::pair<int, int>> cells;
    for (const Node* n = p.getPath(); n; n = n->parent) cells.push_back({n->x, n->y});
    std::reverse(cells.begin(), cells.end());
    const bool same = cells == r.cells && p.getPathCost() == r.cost;
    state.counters["same_path"] = same;
    if (!same) state.SkipWithError("the planner's path differs from the sorted-list search");
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void BM_Textbook(benchmark::State& state)
{
    const Grid& g = GridFor(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    pathfind_bench::TextbookResult r;
    for (auto _ : state)
        r = pathfind_bench::TextbookAStar(g.costs.data(), g.w, g.h, g.sx, g.sy, g.gx, g.gy, kWeight);
    state.counters["expanded"] = r.expanded + (r.pathSize ? 1 : 0);
    state.counters["points"] = r.pathSize;
    state.counters["peak_KiB"] = PeakKiB(
        [&] { pathfind_bench::TextbookAStar(g.costs.data(), g.w, g.h, g.sx, g.sy, g.gx, g.gy, kWeight); });
    state.SetLabel(KindName(static_cast<int>(state.range(0))));
}

void Grids(benchmark::internal::Benchmark* b)
{
    for (int kind = 0; kind < 3; ++kind) b->Args({kind, 1024});
    b->Unit(benchmark::kMillisecond);
}

// The sorted list grows quadratically: the smaller sizes show the trend, the
// full size runs once.
void ListGrids(benchmark::internal::Benchmark* b)
{
    for (int kind = 0; kind < 3; ++kind)
        for (int n : {128, 256, 512}) b->Args({kind, n});
    b->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Planner)->Apply(Grids);
BENCHMARK(BM_Textbook)->Apply(Grids);
BENCHMARK(BM_FindPath)->Apply(Grids);
BENCHMARK(BM_Planner)->Apply(ListGrids);
BENCHMARK(BM_Textbook)->Apply(ListGrids);
BENCHMARK(BM_SortedListSearch)->Apply(ListGrids);
BENCHMARK(BM_SortedListSearch)->Args({0, 1024})->Args({1, 1024})->Args({2, 1024})->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
