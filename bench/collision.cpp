// Collision queries against a sheet of 8,192 triangles placed by a rigid
// model matrix (turned and moved) and by one that also scales it by
// (2, 1, 0.5). Each query is built so that it tests every triangle: the
// sphere and the box stop just short of the sheet, the ray hits it once.
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine3d/dedudeve3d.h"
#include "engine3d/matrix4.h"

namespace {

using namespace __VELTRIC__;

constexpr int kSide = 64;

POLY_NODE At(float x, float y)
{
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.pos[0] = x;
    n.pos[1] = y;
    return n;
}

struct Scene {
    Dedudeve3D r{nullptr};
    MeshObjectX sheet;
    float middle[3]; // world position of the sheet's middle

    explicit Scene(bool scaled)
    {
        sheet.frames.Push(POLY_FRAME());
        Queue<POLY_NODE>& t = sheet.frames[0].triangles;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                const POLY_NODE a = At(x, y), b = At(x + 1, y), c = At(x + 1, y + 1),
                                d = At(x, y + 1);
                for (const POLY_NODE& n : {a, b, c, a, c, d}) t.Push(n);
            }
        sheet.CalcMaxRadius();
        MatrixLevel& L = r.levels[0];
        L.Reset();
        L.movement[0] = 1, L.movement[1] = 2, L.movement[2] = 0;
        L.rotations[0] = {30, 0, 0, 1};
        L.rotationCount = 1;
        if (scaled) L.scaling[0] = 2, L.scaling[1] = 1, L.scaling[2] = 0.5f;
        L.built = 0;
        r.BuildMatrix();
        const float in[4] = {kSide / 2.0f, kSide / 2.0f, 0, 1};
        float out[4];
        Mat4Transform(L.composed, in, out);
        std::memcpy(middle, out, sizeof middle);
    }
};

void BM_Sphere(benchmark::State& state)
{
    Scene s(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            s.r.CollisionSphere(s.sheet, 0, 0.5f, s.middle[0], s.middle[1], 0.6f));
    state.SetItemsProcessed(state.iterations() * 2 * kSide * kSide);
}
BENCHMARK(BM_Sphere)->ArgName("scaled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Box(benchmark::State& state)
{
    Scene s(state.range(0) != 0);
    const float c[3] = {s.middle[0], s.middle[1], 1.0f};
    const float a[3] = {0.4f, 0, 0}, b[3] = {0, 0.4f, 0}, d[3] = {0, 0, 0.4f};
    for (auto _ : state) benchmark::DoNotOptimize(s.r.CollisionAABB(s.sheet, 0, c, a, b, d));
    state.SetItemsProcessed(state.iterations() * 2 * kSide * kSide);
}
BENCHMARK(BM_Box)->ArgName("scaled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Ray(benchmark::State& state)
{
    Scene s(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            s.r.CollisionRay(s.sheet, 0, s.middle[0] + 0.3f, s.middle[1] + 0.2f, 5, 0, 0, -1));
    state.SetItemsProcessed(state.iterations() * 2 * kSide * kSide);
}
BENCHMARK(BM_Ray)->ArgName("scaled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_Cone(benchmark::State& state)
{
    // Pointing down at the sheet with a narrow angle: the first contact is
    // the triangle under the apex, found after about half of the sheet.
    Scene s(state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            s.r.CollisionCone(s.sheet, 0, s.middle[0], s.middle[1], 3, 0, 0, -1, 1));
    state.SetItemsProcessed(state.iterations() * 2 * kSide * kSide);
}
BENCHMARK(BM_Cone)->ArgName("scaled")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
