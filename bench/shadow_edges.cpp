// Building the edge-adjacency table of shadow volumes: the welded-corner
// grid and edge groups against the direct pairwise rule on the same mesh.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine3d/mesh_object.h"

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
    const int n = v.Count(), T = n / 3;
    std::vector<int> id(n);
    for (int i = 0; i < n; ++i) {
        id[i] = i;
        for (int j = 0; j < i; ++j) {
            bool near = true;
            for (int k = 0; k < 3; ++k)
                near = near && std::fabs(double(v[j].pos[k]) - v[i].pos[k]) < 0.00001;
            if (near) {
                id[i] = j;
                break;
            }
        }
    }
    nb.assign(3 * T, -1);
    for (int a = 0; a + 1 < T; ++a)
        for (int e = 0; e < 3; ++e) {
            if (nb[3 * a + e] != -1) continue;
            const int p = id[3 * a + e], q = id[3 * a + (e + 1) % 3];
            for (int b = a + 1; b < T; ++b)
                for (int f = 0; f < 3; ++f) {
                    const int r = id[3 * b + f], s = id[3 * b + (f + 1) % 3];
                    if ((p == r && q == s) || (p == s && q == r)) {
                        nb[3 * a + e] = b;
                        nb[3 * b + f] = a;
                    }
                }
        }
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
