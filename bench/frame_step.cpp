// The frame step's pacing: 600 frames of SHOWSCREEN at 60 fps in a real
// window (run it under Xvfb without a display), beside 600 frames of a bare
// loop of the window's own pacing steps (swap, sleep all but the last 3 ms,
// poll the events until the frame time) in the same run. Reports, for each,
// the median and 99th percentile of |period - 16.667 ms| and the process CPU
// time per frame, and the ratio of the two CPU times.
#include <sys/resource.h>

#include <SDL.h>
#include <SDL_opengl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/quiet_stdout.h"
#include "engine3d/dedudeve3d.h"
#include "media/dxinput.h"
#include "media/opengl_dedudeve.h"
#include "platform/platform.h"
#include "runtime/frame.h"

using namespace __VELTRIC__;

namespace {

constexpr int kFrames = 600;
constexpr double kPeriod = 1000.0 / 60.0;

double CpuMs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000.0 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1000.0;
}

struct Figures {
    double median, p99, cpuPerFrame;
};

template <class Step> Figures Measure(Step step)
{
    step(); // settle on the frame grid first
    std::vector<double> dev;
    dev.reserve(kFrames);
    double last = PlatformClockMs();
    const double cpu0 = CpuMs();
    for (int i = 0; i < kFrames; ++i) {
        step();
        const double now = PlatformClockMs();
        dev.push_back(std::fabs(now - last - kPeriod));
        last = now;
    }
    const double cpu = CpuMs() - cpu0;
    std::sort(dev.begin(), dev.end());
    return {dev[dev.size() / 2], dev[dev.size() * 99 / 100], cpu / kFrames};
}

// The window's pacing steps and nothing else.
double g_next = 0.0;
void BareFrame()
{
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    double now;
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
        now = PlatformClockMs();
        const int ms = static_cast<int>(g_next - now);
        if (ms > 5) {
            Sleep(static_cast<unsigned long>(ms - 3));
            now += ms;
        }
        if (now > g_next)
            break;
    }
    g_next += kPeriod;
    while (now > g_next)
        g_next += kPeriod;
}

void Print(const char* name, const Figures& f)
{
    std::printf("%-12s |period - 16.667 ms| median %.4f ms, p99 %.4f ms; CPU %.3f ms/frame (%.1f%% of a core)\n",
                name, f.median, f.p99, f.cpuPerFrame, f.cpuPerFrame / kPeriod * 100.0);
}

} // namespace

int main()
{
    OpenGLDedudeve r;
    const int ok = [&r] {
        QuietStdout quiet; // the graphics report is not wanted here
        return r.Init(0, 640, 480, 0, 60, 0, false);
    }();
    if (!ok) {
        std::fprintf(stderr, "no GL window\n");
        return 1;
    }
    __g_pRbow = &r;
    DXInput input;
    input.CreateDInput(0, 0, false);
    pDXin = &input;
    Dedudeve3D r3d(&r);
    __g_pRbow3D = &r3d;

    g_next = PlatformClockMs();
    // Twice each, alternating, so that a drift of the machine's load shows.
    const Figures bare1 = Measure(BareFrame);
    const Figures full1 = Measure(SHOWSCREEN);
    g_next = PlatformClockMs();
    const Figures bare2 = Measure(BareFrame);
    const Figures full2 = Measure(SHOWSCREEN);

    std::printf("%d frames at 60 fps, each loop twice\n", kFrames);
    Print("bare loop", bare1);
    Print("SHOWSCREEN", full1);
    Print("bare loop", bare2);
    Print("SHOWSCREEN", full2);
    std::printf("CPU ratio SHOWSCREEN / bare loop: %.3f, %.3f\n",
                full1.cpuPerFrame / bare1.cpuPerFrame, full2.cpuPerFrame / bare2.cpuPerFrame);

    __g_pRbow3D = nullptr;
    pDXin = nullptr;
    __g_pRbow = nullptr;
    return 0;
}
