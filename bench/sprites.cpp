// Sprites per frame on a real window (800 x 600): DrawSprite of 32 x 32
// sprites, one texture for all or 16 textures in turn, against plain
// textured quads drawn in the same run with the same texture changes (the
// GL's own limit here). Each
// iteration is one frame, finished with glFinish.
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <cstdio>
#include <cstring>

#include "bench/bench_window.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"

using namespace __VELTRIC__;

namespace {

using benchwin::kH;
using benchwin::kW;

OpenGLDedudeve* Renderer()
{
    static OpenGLDedudeve* r = [] {
        OpenGLDedudeve* p = benchwin::OpenRenderer();
        // 16 sprites of 32 x 32 with a transparent corner each.
        for (int n = 0; n < 16; ++n) {
            OPENGL_IMAGE img;
            img.SetSize(32, 32);
            for (int i = 0; i < 32 * 32; ++i) {
                std::uint8_t* px = img.pixels + i * 4;
                px[0] = static_cast<std::uint8_t>(n * 16);
                px[1] = static_cast<std::uint8_t>(i);
                px[2] = 200;
                px[3] = (i % 32 < 4 && i / 32 < 4) ? 0 : 255;
            }
            SpriteRecord& s = p->m_sprites[n];
            p->MakeTexture(img, 0, 0, 0, 0, &s.texture, &s.texture2, false, false);
            s.texWidth = s.texHeight = 32;
            s.imgWidth = s.imgHeight = 32;
        }
        return p;
    }();
    return r;
}

void Frame(benchmark::State& state, int textures, bool plain)
{
    OpenGLDedudeve* r = Renderer();
    const int count = static_cast<int>(state.range(0));
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        if (plain) {
            glEnable(GL_TEXTURE_2D);
            for (int i = 0; i < count; ++i) {
                glBindTexture(GL_TEXTURE_2D, r->m_sprites[i % textures].texture);
                const int x = (i * 37) % (kW - 32), y = (i * 53) % (kH - 32);
                benchwin::PlainQuad(x, y, 32);
            }
        } else {
            for (int i = 0; i < count; ++i)
                r->DrawSprite(i % textures, (i * 37) % (kW - 32), (i * 53) % (kH - 32));
        }
        glFinish();
    }
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    state.counters["sprites/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * count,
                                                     benchmark::Counter::kIsRate);
}

void BM_PlainQuads(benchmark::State& s) { Frame(s, 1, true); }
void BM_PlainQuads16Textures(benchmark::State& s) { Frame(s, 16, true); }
void BM_SpritesOneTexture(benchmark::State& s) { Frame(s, 1, false); }
void BM_Sprites16Textures(benchmark::State& s) { Frame(s, 16, false); }

} // namespace

BENCHMARK(BM_PlainQuads)->Arg(10000)->Arg(50000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainQuads16Textures)->Arg(10000)->Arg(50000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpritesOneTexture)->Arg(10000)->Arg(50000)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Sprites16Textures)->Arg(10000)->Arg(50000)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
