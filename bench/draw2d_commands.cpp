// Calls per second of every 2D drawing command on a real window (800 x 600,
// run it under Xvfb without a display): 20,000 calls a frame, each frame
// finished with glFinish and the frame step's reset; and 100,000 turned
// 4 x 4 sprites a frame. Call i of a frame draws at the i-th position of
// srand(1); rand() % 780, rand() % 580, with the sizes and angles a
// side-by-side run of another 2D library uses, so the figures compare like
// for like with it.
//
// Two yardsticks drawn with the GL's own calls in the same run, no drawing
// code of ours: plain bilinear 16 x 16 quads (the limit of DRAWSPRITE), and
// turned quads, corners turned on the CPU under the unchanged 2D projection,
// alpha test on, one glBegin(GL_TRIANGLES)/glEnd each (the limit of a turned
// sprite that leaves the GL state as it found it).
//
// The table at the end gives each rate as a ratio to DRAWSPRITE and to the
// plain quads, by real time and by the process's CPU time (the GL driver's
// threads included): on a loaded machine the CPU time tells the work apart
// from the waiting, best with LP_NUM_THREADS=0 (the software driver renders
// on the caller).
#include <benchmark/benchmark.h>

#include <SDL_opengl.h>

#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_window.h"
#include "media/commands2d.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"

using namespace __VELTRIC__;

namespace {

constexpr int kSprite = 1, kTiles = 2, kSmall = 3;
constexpr int kCalls = 20000, kManyCalls = 100000;
constexpr int kGreen = 0x00FF80;

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

// Where call i of a frame draws: x then y of the i-th pair of rand() after
// srand(1), the sequence the other library's programs draw at.
struct Positions {
    std::vector<int> x, y;
};

const Positions& At()
{
    static const Positions at = [] {
        Positions p;
        std::srand(1);
        for (int i = 0; i < kManyCalls; ++i) {
            p.x.push_back(std::rand() % 780);
            p.y.push_back(std::rand() % 580);
        }
        return p;
    }();
    return at;
}

// The angle of turned call i, in degrees.
double Turn(int i) { return (i * 7) % 360 + 0.5; }

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

// Whether the last frame left anything but black in the back buffer: a case
// whose quads were culled or clipped away would time nothing.
bool DrewSomething()
{
    std::vector<std::uint8_t> px(benchwin::kW * benchwin::kH * 4);
    glReadPixels(0, 0, benchwin::kW, benchwin::kH, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
    for (std::size_t i = 0; i < px.size(); i += 4)
        if (px[i] | px[i + 1] | px[i + 2]) return true;
    return false;
}

using Draw = void (*)(int i, int x, int y);

struct Case {
    const char* name;
    int count; // calls a frame
    Draw draw;
};

void Frames(benchmark::State& state, const Case& c)
{
    OpenGLDedudeve* r = Renderer();
    const Positions& at = At();
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT);
        for (int i = 0; i < c.count; ++i) c.draw(i, at.x[i], at.y[i]);
        glFinish();
        // The frame step's reset, as SHOWSCREEN does it.
        r->Make2DViewport(0, 0, 0, 0);
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double calls = static_cast<double>(state.iterations()) * c.count;
    state.counters["calls/s"] = benchmark::Counter(calls, benchmark::Counter::kIsRate);
    state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                               benchmark::Counter::kIsRate);
    Rates()[c.name] = {took.count() > 0 ? calls / took.count() : 0.0, cpu > 0 ? calls / cpu : 0.0};
    if (!DrewSomething()) state.SkipWithError("the frame stayed black");
}

// Yardsticks: the GL's own calls on the sprites' textures. The state they
// need is set once a frame, so nothing changes between two quads.
void UseTexture(int sprite)
{
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, Renderer()->m_sprites[sprite].texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

template <int side> void PlainQuad(int i, int x, int y)
{
    if (i == 0) UseTexture(side == 16 ? kSprite : kSmall);
    benchwin::PlainQuad(x, y, side);
}

template <int side> void RawTurnedQuad(int i, int x, int y)
{
    if (i == 0) {
        UseTexture(side == 16 ? kSprite : kSmall);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        glDisable(GL_BLEND);
        glEnable(GL_ALPHA_TEST);
        glAlphaFunc(GL_GREATER, 0.05f);
        glColor4f(1, 1, 1, 1);
    }
    const float a = static_cast<float>(Turn(i)) * 3.14159265f / 180, c = std::cos(a), s = std::sin(a);
    const float h = side / 2.0f, cx = x + h, cy = y + h;
    const float corner[4][4] = {{-h, -h, 0, 0}, {-h, h, 0, 1}, {h, h, 1, 1}, {h, -h, 1, 0}};
    glBegin(GL_TRIANGLES);
    for (int j : {0, 1, 2, 0, 2, 3}) {
        const float* k = corner[j];
        glTexCoord2f(k[2], k[3]);
        glVertex2f(cx + k[0] * c - k[1] * s, cy + k[0] * s + k[1] * c);
    }
    glEnd();
}

const DGStr& Ab()
{
    static const DGStr two("Ab");
    return two;
}

void Polygon(int, int x, int y)
{
    STARTPOLY(kSprite);
    POLYVECTOR(x, y, 0, 0, 0xFFFFFF);
    POLYVECTOR(x, y + 16, 0, 16, 0xFFFFFF);
    POLYVECTOR(x + 16, y + 16, 16, 16, 0xFFFFFF);
    POLYVECTOR(x + 16, y, 16, 0, 0xFFFFFF);
    ENDPOLY();
}

// Names without spaces, for --benchmark_filter and for scripts that read the
// JSON output. "mix:" cases alternate two commands by call index, as a game's
// frame mixes them: the first on even calls, the second on odd ones.
const Case kCases[] = {
    {"plain_quads_16x16", kCalls, PlainQuad<16>},
    {"raw_turned_16x16", kCalls, RawTurnedQuad<16>},
    {"DRAWSPRITE", kCalls, [](int, int x, int y) { DRAWSPRITE(kSprite, x, y); }},
    {"STRETCHSPRITE", kCalls, [](int, int x, int y) { STRETCHSPRITE(kSprite, x, y, 20, 12); }},
    {"ZOOMSPRITE", kCalls, [](int i, int x, int y) { ZOOMSPRITE(kSprite, x, y, 1.25 - (i & 1) * 0.5, 0.75); }},
    {"STRETCHANIM", kCalls, [](int i, int x, int y) { STRETCHANIM(kTiles, i & 3, x, y, 16, 16); }},
    {"ROTOSPRITE", kCalls, [](int i, int x, int y) { ROTOSPRITE(kSprite, x, y, Turn(i)); }},
    {"ROTOZOOMSPRITE", kCalls, [](int i, int x, int y) { ROTOZOOMSPRITE(kSprite, x, y, (i % 360) * 1.0, 1.25); }},
    {"ROTOZOOMANIM", kCalls, [](int i, int x, int y) { ROTOZOOMANIM(kTiles, i & 3, x, y, (i % 360) * 1.0, 2.0); }},
    {"DRAWANIM", kCalls, [](int i, int x, int y) { DRAWANIM(kTiles, i & 3, x, y); }},
    // The same with nearest filtering, the other library's default: no
    // sample then reaches beyond the edge texels, so no quad is cut.
    {"STRETCHSPRITE_nearest", kCalls, [](int, int x, int y) { SMOOTHSHADING(0); STRETCHSPRITE(kSprite, x, y, 20, 12); }},
    {"ZOOMSPRITE_nearest", kCalls,
     [](int i, int x, int y) { SMOOTHSHADING(0); ZOOMSPRITE(kSprite, x, y, 1.25 - (i & 1) * 0.5, 0.75); }},
    {"STRETCHANIM_nearest", kCalls, [](int i, int x, int y) { SMOOTHSHADING(0); STRETCHANIM(kTiles, i & 3, x, y, 16, 16); }},
    {"ROTOZOOMANIM_nearest", kCalls,
     [](int i, int x, int y) { SMOOTHSHADING(0); ROTOZOOMANIM(kTiles, i & 3, x, y, (i % 360) * 1.0, 2.0); }},
    {"DRAWLINE", kCalls, [](int, int x, int y) { DRAWLINE(x, y, x + 8, y + 5, kGreen); }},
    {"DRAWRECT", kCalls, [](int, int x, int y) { DRAWRECT(x, y, 8, 8, kGreen); }},
    {"SETPIXEL", kCalls, [](int, int x, int y) { SETPIXEL(x, y, kGreen); }},
    {"PRINT", kCalls, [](int, int x, int y) { PRINT(Ab(), x, y); }},
    {"STARTPOLY..ENDPOLY_4_corners", kCalls, Polygon},
    {"mix:ROTOSPRITE,DRAWLINE", kCalls,
     [](int i, int x, int y) {
         if (i & 1)
             DRAWLINE(x, y, x + 8, y + 5, kGreen);
         else
             ROTOSPRITE(kSprite, x, y, Turn(i));
     }},
    {"mix:DRAWSPRITE,DRAWRECT", kCalls,
     [](int i, int x, int y) {
         if (i & 1)
             DRAWRECT(x, y, 8, 3, kGreen);
         else
             DRAWSPRITE(kSprite, x, y);
     }},
    {"mix:DRAWSPRITE,PRINT", kCalls,
     [](int i, int x, int y) {
         if (i & 1)
             PRINT(Ab(), x, y);
         else
             DRAWSPRITE(kSprite, x, y);
     }},
    {"mix:ROTOSPRITE,SETPIXEL", kCalls,
     [](int i, int x, int y) {
         if (i & 1)
             SETPIXEL(x, y, kGreen);
         else
             ROTOSPRITE(kSprite, x, y, Turn(i));
     }},
    {"plain_quads_4x4_100k", kManyCalls, PlainQuad<4>},
    {"raw_turned_4x4_100k", kManyCalls, RawTurnedQuad<4>},
    {"ROTOSPRITE_4x4_100k", kManyCalls, [](int i, int x, int y) { ROTOSPRITE(kSmall, x, y, Turn(i)); }},
};

} // namespace

int main(int argc, char** argv)
{
    for (const Case& c : kCases)
        benchmark::RegisterBenchmark(c.name, [&c](benchmark::State& s) { Frames(s, c); })
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const auto& rates = Rates();
    const auto at = [&](const char* k) {
        auto it = rates.find(k);
        return it == rates.end() ? Rate{0, 0} : it->second;
    };
    const Rate sprite = at("DRAWSPRITE"), plain = at("plain_quads_16x16");
    const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("\n%-30s %11s %8s %8s | %11s %8s %8s\n", "command", "real c/s", "/SPRITE", "/quads",
                "cpu c/s", "/SPRITE", "/quads");
    for (const Case& c : kCases) {
        auto it = rates.find(c.name);
        if (it == rates.end()) continue;
        const Rate& r = it->second;
        std::printf("%-30s %11.0f %8.2f %8.2f | %11.0f %8.2f %8.2f\n", c.name, r.real,
                    ratio(r.real, sprite.real), ratio(r.real, plain.real), r.cpu, ratio(r.cpu, sprite.cpu),
                    ratio(r.cpu, plain.cpu));
    }
    return 0;
}
