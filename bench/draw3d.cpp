// Drawing one animated object of 20,000 triangles on a real window (run
// under Xvfb): the still frame 0 from its static buffer, a blend of two
// frames streamed per draw, cel shading, and an object culled by the
// frustum, beside plain client vertex arrays of the same triangles drawn in
// the same run (the GL's own limit here). Each iteration ends with glFinish.
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bench/bench_window.h"
#include "engine3d/dedudeve3d.h"
#include "media/opengl_dedudeve.h"

using namespace __VELTRIC__;

namespace {

using benchwin::kH;
using benchwin::kW;
constexpr int kSide = 100; // 100 x 100 squares, two triangles each

Dedudeve3D* Renderer3D()
{
    static Dedudeve3D* r = [] {
        OpenGLDedudeve* p = benchwin::OpenRenderer();
        auto* r3 = new Dedudeve3D(p);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, kW, 0, kH, -100, 100);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDisable(GL_CULL_FACE);
        r3->ExtractFrustum();
        p->SetTexture3D(-1, -1, 0, nullptr);
        return r3;
    }();
    return r;
}

POLY_NODE Corner(int x, int y, float wave)
{
    POLY_NODE n;
    std::memset(&n, 0, sizeof n);
    n.pos[0] = 100.0f + x * 6.0f;
    n.pos[1] = 20.0f + y * 5.5f;
    n.pos[2] = std::sin(x * 0.3f + wave);
    n.normal[2] = 1;
    n.r = n.g = n.b = 1;
    return n;
}

// Two frames of a rippled sheet, quantised into points as the object files
// hold them; shift moves the whole object along x.
void Sheet(MeshObjectX& o, float shift)
{
    for (int f = 0; f < 2; ++f) {
        o.frames.Push(POLY_FRAME());
        POLY_FRAME& fr = o.frames[f];
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) {
                POLY_NODE a = Corner(x, y, f), b = Corner(x + 1, y, f), c = Corner(x + 1, y + 1, f),
                          d = Corner(x, y + 1, f);
                for (POLY_NODE n : {a, b, c, a, c, d}) {
                    n.pos[0] += shift;
                    n.colour = 0x00FFFFFF;
                    fr.vertices.Push(n);
                }
            }
    }
    o.Compress();
    o.PrepareTriangles();
    o.CalcMaxRadius();
}

void Draw(benchmark::State& state, float shift, int f1, int f2, float factor, bool interpolate)
{
    Dedudeve3D* r3 = Renderer3D();
    MeshObjectX o;
    Sheet(o, shift);
    for (auto _ : state) {
        r3->RenderMD2(o, f1, f2, factor, interpolate, nullptr);
        glFinish();
    }
    state.counters["triangles"] = o.firstFrameTriangles.Count() / 3;
    o.Clear(true);
}

void BM_StillFrameStatic(benchmark::State& s) { Draw(s, 0, 0, 0, 0, false); }
void BM_BlendStreamed(benchmark::State& s) { Draw(s, 0, 0, 1, 0.5f, true); }
void BM_CulledObject(benchmark::State& s) { Draw(s, -5000, 0, 1, 0.5f, true); }

void BM_CelShaded(benchmark::State& state)
{
    Dedudeve3D* r3 = Renderer3D();
    r3->effectOn = 1;
    r3->effectMode = 2;
    r3->effectLight[2] = 500;
    Draw(state, 0, 0, 1, 0.5f, true);
    r3->effectOn = 0;
    r3->effectMode = 0;
}

// The yardstick: the same triangles as client arrays, no per-vertex work.
void BM_PlainClientArrays(benchmark::State& state)
{
    Renderer3D();
    MeshObjectX o;
    Sheet(o, 0);
    const POLY_NODE* v = o.frames[0].triangles.Items();
    for (auto _ : state) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(POLY_NODE), v);
        glDrawArrays(GL_TRIANGLES, 0, o.frames[0].triangles.Count());
        glDisableClientState(GL_VERTEX_ARRAY);
        glFinish();
    }
    o.Clear(true);
}

BENCHMARK(BM_PlainClientArrays)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StillFrameStatic)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlendStreamed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CelShaded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CulledObject)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
