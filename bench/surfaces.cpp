// The background surface per frame on a real 800 x 600 window (run under
// Xvfb): USEASBMP (grab into the tile grid, reusing its textures) and the
// paste of surface 0, each against the bare GL work of the same size done in
// the same run (one glCopyTexSubImage2D into a ready texture, one textured
// quad). Each iteration ends with glFinish.
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <cstdio>
#include <cstdlib>

#include "bench/bench_window.h"
#include "media/commands2d.h"
#include "media/opengl_dedudeve.h"
#include "media/surfaces.h"

using namespace __VELTRIC__;

namespace {

using benchwin::kH;
using benchwin::kW;

OpenGLDedudeve* Renderer()
{
    static OpenGLDedudeve* r = [] {
        OpenGLDedudeve* p = benchwin::OpenRenderer();
        return p;
    }();
    return r;
}

GLuint ReadyTexture()
{
    static GLuint t = [] {
        GLuint id = 0;
        glGenTextures(1, &id);
        glBindTexture(GL_TEXTURE_2D, id);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1024, 1024, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        return id;
    }();
    return t;
}

void BM_UseasbmpGrab(benchmark::State& state)
{
    Renderer();
    for (auto _ : state) {
        USEASBMP();
        glFinish();
    }
}
BENCHMARK(BM_UseasbmpGrab)->Unit(benchmark::kMicrosecond);

void BM_BareCopyTexSubImage(benchmark::State& state)
{
    Renderer();
    const GLuint t = ReadyTexture();
    for (auto _ : state) {
        glBindTexture(GL_TEXTURE_2D, t);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, kW, kH);
        glFinish();
    }
}
BENCHMARK(BM_BareCopyTexSubImage)->Unit(benchmark::kMicrosecond);

void BM_PasteSurface(benchmark::State& state)
{
    OpenGLDedudeve* r = Renderer();
    USEASBMP();
    for (auto _ : state) {
        r->PasteSurface(0);
        glFinish();
    }
}
BENCHMARK(BM_PasteSurface)->Unit(benchmark::kMicrosecond);

void BM_BareTexturedQuad(benchmark::State& state)
{
    Renderer();
    const GLuint t = ReadyTexture();
    const float su = kW / 1024.0f, tv = kH / 1024.0f;
    for (auto _ : state) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, t);
        glBegin(GL_QUADS);
        glTexCoord2f(0, 0);
        glVertex2f(0, kH);
        glTexCoord2f(su, 0);
        glVertex2f(kW, kH);
        glTexCoord2f(su, tv);
        glVertex2f(kW, 0);
        glTexCoord2f(0, tv);
        glVertex2f(0, 0);
        glEnd();
        glFinish();
    }
}
BENCHMARK(BM_BareTexturedQuad)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
