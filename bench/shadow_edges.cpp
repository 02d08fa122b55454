// Building the edge-adjacency table of shadow volumes: the welded-corner
// grid and edge groups against the direct pairwise rule on the same mesh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine3d/mesh_object.h"
#include "tests/engine3d/reference_edges.h"

namespace {

using namespace __VELTRIC__;

POLY_NODE At(float x, float y)
{
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.pos[0] = x;
    n.pos[1] = y;
    n.pos[2] = std::sin(x * 0.3f) * std::cos(y * 0.2f);
    return n;
}

// A rippled sheet of side x side squares, two triangles each, every triangle
// with its own copies of its corners (as the object files expand them).
void Sheet(MeshObjectX& m, int side)
{
    m.frames.Push(POLY_FRAME());
    Queue<POLY_NODE>& t = m.frames[0].triangles;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const POLY_NODE a = At(x, y), b = At(x + 1, y), c = At(x + 1, y + 1), d = At(x, y + 1);
            for (const POLY_NODE& n : {a, c, b, a, d, c}) t.Push(n);
        }
}

// The adjacency rule pair by pair, as a yardstick.
void DirectRule(const Queue<POLY_NODE>& v, std::vector<int>& nb)
{
    nb = shadow_test::ReferenceNeighbours(v.Count(), [&](int i, int k) { return v[i].pos[k]; });
}

void BM_CreateEdges(benchmark::State& state)
{
    MeshObjectX m;
    Sheet(m, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        m.edges.Clear();
        m.CreateEdges();
        benchmark::DoNotOptimize(m.edges.Items());
    }
    state.counters["triangles"] = m.frames[0].triangles.Count() / 3;
}
BENCHMARK(BM_CreateEdges)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond);

void BM_DirectRule(benchmark::State& state)
{
    MeshObjectX m;
    Sheet(m, static_cast<int>(state.range(0)));
    std::vector<int> nb;
    for (auto _ : state) {
        DirectRule(m.frames[0].triangles, nb);
        benchmark::DoNotOptimize(nb.data());
    }
    state.counters["triangles"] = m.frames[0].triangles.Count() / 3;
}
BENCHMARK(BM_DirectRule)->Arg(32)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
