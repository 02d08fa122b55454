// Calls per second of every 2D drawing command on a real window (800 x 600,
// run it under Xvfb without a display): 20,000 calls a frame of a 16 x 16
// sprite (tiles of 8 x 8), each frame finished with glFinish, beside
// DRAWSPRITE and plain bilinear textured quads of the same size drawn in the
// same run; and 100,000 turned 4 x 4 sprites a frame. The table at the end
// gives each rate as a ratio to DRAWSPRITE and to the plain quads, by real
// time and by the process's CPU time (the GL driver's threads included):
// on a loaded machine the CPU time tells the work apart from the waiting,
// best with LP_NUM_THREADS=0 (the software driver renders on the caller).
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <time.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "media/commands2d.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"

using namespace __VELTRIC__;

namespace {

using benchwin::kH;
using benchwin::kW;
constexpr int kSprite = 1, kTiles = 2, kSmall = 3;

void MakeSprite(OpenGLDedudeve* r, int n, int side, int tile)
{
    OPENGL_IMAGE img;
    img.SetSize(side, side);
    for (int i = 0; i < side * side; ++i) {
        std::uint8_t* px = img.pixels + i * 4;
        px[0] = static_cast<std::uint8_t>(n * 60);
        px[1] = static_cast<std::uint8_t>(i * 7);
        px[2] = 200;
        px[3] = (i % side < 2 && i / side < 2) ? 0 : 255;
    }
    SpriteRecord& s = r->m_sprites[n];
    r->MakeTexture(img, 0, 0, 0, 0, &s.texture, &s.texture2, false, false);
    s.texWidth = s.texHeight = static_cast<std::uint16_t>(side);
    s.imgWidth = s.imgHeight = static_cast<std::uint16_t>(side);
    if (tile) r->TileSprite(n, tile, tile);
}

OpenGLDedudeve* Renderer()
{
    static OpenGLDedudeve* r = [] {
        OpenGLDedudeve* p = benchwin::OpenRenderer();
        MakeSprite(p, kSprite, 16, 0);
        MakeSprite(p, kTiles, 16, 8);
        MakeSprite(p, kSmall, 4, 0);
        p->DefaultFont(0);
        return p;
    }();
    return r;
}

struct Rate {
    double real, cpu; // calls per second of real and of process CPU time
};

std::map<std::string, Rate>& Rates()
{
    static std::map<std::string, Rate> rates;
    return rates;
}

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

template <class Draw> void Frames(benchmark::State& state, const char* name, int count, Draw draw)
{
    OpenGLDedudeve* r = Renderer();
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < count; ++i) draw(i, (i * 37) % (kW - 32), (i * 53) % (kH - 32));
        glFinish();
        // The frame step's reset, as SHOWSCREEN does it.
        r->Make2DViewport(0, 0, 0, 0);
    }
    const double calls = static_cast<double>(state.iterations()) * count;
    state.counters["calls/s"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = ProcessCpuSeconds() - cpu0;
    Rates()[name] = {took.count() > 0 ? calls / took.count() : 0.0, cpu > 0 ? calls / cpu : 0.0};
}

constexpr int kCalls = 20000;

void BM_PlainQuads(benchmark::State& s)
{
    OpenGLDedudeve* r = Renderer();
    Frames(s, "plain quads", kCalls, [r](int, int x, int y) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, r->m_sprites[kSprite].texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        benchwin::PlainQuad(x, y, 16);
    });
}
void BM_DRAWSPRITE(benchmark::State& s)
{
    Frames(s, "DRAWSPRITE", kCalls, [](int, int x, int y) { DRAWSPRITE(kSprite, x, y); });
}
void BM_STRETCHSPRITE(benchmark::State& s)
{
    Frames(s, "STRETCHSPRITE", kCalls, [](int i, int x, int y) { STRETCHSPRITE(kSprite, x, y, 20 - (i & 7), 12 + (i & 3)); });
}
void BM_ZOOMSPRITE(benchmark::State& s)
{
    Frames(s, "ZOOMSPRITE", kCalls, [](int i, int x, int y) { ZOOMSPRITE(kSprite, x, y, 1.25 - (i & 1) * 0.5, 0.75); });
}
void BM_STRETCHANIM(benchmark::State& s)
{
    Frames(s, "STRETCHANIM", kCalls, [](int i, int x, int y) { STRETCHANIM(kTiles, i & 3, x, y, 16, 16); });
}
void BM_ROTOSPRITE(benchmark::State& s)
{
    Frames(s, "ROTOSPRITE", kCalls, [](int i, int x, int y) { ROTOSPRITE(kSprite, x, y, (i % 360) * 1.0); });
}
void BM_ROTOZOOMSPRITE(benchmark::State& s)
{
    Frames(s, "ROTOZOOMSPRITE", kCalls, [](int i, int x, int y) { ROTOZOOMSPRITE(kSprite, x, y, (i % 360) * 1.0, 1.25); });
}
void BM_ROTOZOOMANIM(benchmark::State& s)
{
    Frames(s, "ROTOZOOMANIM", kCalls, [](int i, int x, int y) { ROTOZOOMANIM(kTiles, i & 3, x, y, (i % 360) * 1.0, 2.0); });
}
void BM_DRAWANIM(benchmark::State& s)
{
    Frames(s, "DRAWANIM", kCalls, [](int i, int x, int y) { DRAWANIM(kTiles, i & 3, x, y); });
}
void BM_DRAWLINE(benchmark::State& s)
{
    Frames(s, "DRAWLINE", kCalls, [](int i, int x, int y) { DRAWLINE(x, y, x + 16 - (i & 31), y + 9, 0x00FF80); });
}
void BM_DRAWRECT(benchmark::State& s)
{
    Frames(s, "DRAWRECT", kCalls, [](int, int x, int y) { DRAWRECT(x, y, 16, 16, 0x00FF80); });
}
void BM_SETPIXEL(benchmark::State& s)
{
    Frames(s, "SETPIXEL", kCalls, [](int, int x, int y) { SETPIXEL(x, y, 0x00FF80); });
}
void BM_PRINT(benchmark::State& s)
{
    const DGStr two("Ab");
    Frames(s, "PRINT two letters", kCalls, [&two](int, int x, int y) { PRINT(two, x, y); });
}
void BM_POLYGON(benchmark::State& s)
{
    Frames(s, "STARTPOLY..ENDPOLY, 4 corners", kCalls, [](int, int x, int y) {
        STARTPOLY(kSprite);
        POLYVECTOR(x, y, 0, 0, 0xFFFFFF);
        POLYVECTOR(x, y + 16, 0, 16, 0xFFFFFF);
        POLYVECTOR(x + 16, y + 16, 16, 16, 0xFFFFFF);
        POLYVECTOR(x + 16, y, 16, 0, 0xFFFFFF);
        ENDPOLY();
    });
}

// Commands in turn, as a game's frame mixes them: sprites with lines, and
// sprites with text (text is drawn through the GL's matrices, so it ends a
// run of sprites).
void BM_ROTOSPRITE_and_DRAWLINE(benchmark::State& s)
{
    Frames(s, "ROTOSPRITE, DRAWLINE in turn", kCalls, [](int i, int x, int y) {
        if (i & 1)
            DRAWLINE(x, y, x + 16, y + 9, 0x00FF80);
        else
            ROTOSPRITE(kSprite, x, y, (i % 360) * 1.0);
    });
}
void BM_DRAWSPRITE_and_PRINT(benchmark::State& s)
{
    const DGStr two("Ab");
    Frames(s, "DRAWSPRITE, PRINT in turn", kCalls, [&two](int i, int x, int y) {
        if (i & 1)
            PRINT(two, x, y);
        else
            DRAWSPRITE(kSprite, x, y);
    });
}
void BM_ROTOSPRITE_4x4_100k(benchmark::State& s)
{
    Frames(s, "ROTOSPRITE 4x4, 100k a frame", 100000, [](int i, int x, int y) { ROTOSPRITE(kSmall, x, y, (i % 360) * 1.0); });
}
void BM_PlainQuads_4x4_100k(benchmark::State& s)
{
    OpenGLDedudeve* r = Renderer();
    Frames(s, "plain 4x4 quads, 100k a frame", 100000, [r](int, int x, int y) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, r->m_sprites[kSmall].texture);
        benchwin::PlainQuad(x, y, 4);
    });
}

} // namespace

#define COMMAND_BENCH(f) BENCHMARK(f)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(1.0)
COMMAND_BENCH(BM_PlainQuads);
COMMAND_BENCH(BM_DRAWSPRITE);
COMMAND_BENCH(BM_STRETCHSPRITE);
COMMAND_BENCH(BM_ZOOMSPRITE);
COMMAND_BENCH(BM_STRETCHANIM);
COMMAND_BENCH(BM_ROTOSPRITE);
COMMAND_BENCH(BM_ROTOZOOMSPRITE);
COMMAND_BENCH(BM_ROTOZOOMANIM);
COMMAND_BENCH(BM_DRAWANIM);
COMMAND_BENCH(BM_DRAWLINE);
COMMAND_BENCH(BM_DRAWRECT);
COMMAND_BENCH(BM_SETPIXEL);
COMMAND_BENCH(BM_PRINT);
COMMAND_BENCH(BM_POLYGON);
COMMAND_BENCH(BM_ROTOSPRITE_and_DRAWLINE);
COMMAND_BENCH(BM_DRAWSPRITE_and_PRINT);
COMMAND_BENCH(BM_PlainQuads_4x4_100k);
COMMAND_BENCH(BM_ROTOSPRITE_4x4_100k);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& rates = Rates();
    const auto at = [&](const char* k) {
        auto it = rates.find(k);
        return it == rates.end() ? Rate{0, 0} : it->second;
    };
    const Rate sprite = at("DRAWSPRITE"), plain = at("plain quads");
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\n%-30s %11s %8s %8s | %11s %8s %8s\n", "command", "real c/s", "/SPRITE", "/quads",
                "cpu c/s", "/SPRITE", "/quads");
    for (const auto& [name, r] : rates)
        std::printf("%-30s %11.0f %8.2f %8.2f | %11.0f %8.2f %8.2f\n", name.c_str(), r.real,
                    ratio(r.real, sprite.real), ratio(r.real, plain.real), r.cpu, ratio(r.cpu, sprite.cpu),
                    ratio(r.cpu, plain.cpu));
    return 0;
}
