// Frame pacing: flips 600 empty frames at 60 fps in a real window (run it
// under Xvfb without a display) and reports how far the frame periods stray
// from 16.667 ms (median and 99th percentile) and the process CPU time per
// frame, which shows the final busy wait stays short.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/quiet_stdout.h"
#include "media/opengl_dedudeve.h"

using namespace __VELTRIC__;

namespace {
double CpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}
double WallMs()
{
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}
} // namespace

int main()
{
    const int frames = 600;
    const double period = 1000.0 / 60.0;
    OpenGLDedudeve r;
    const int ok = [&r] {
        QuietStdout quiet; // the graphics report is not wanted here
        return r.Init(0, 640, 480, 0, 60, 0, false);
    }();
    if (!ok) {
        std::fprintf(stderr, "no GL window\n");
        return 1;
    }
    r.FlipScreens();
    std::vector<double> dev;
    double last = WallMs();
    const double cpu0 = CpuSeconds();
    for (int i = 0; i < frames; ++i) {
        r.FlipScreens();
        double now = WallMs();
        dev.push_back(std::fabs(now - last - period));
        last = now;
    }
    const double cpu = CpuSeconds() - cpu0;
    std::sort(dev.begin(), dev.end());
    std::printf("frames: %d at 60 fps\n", frames);
    std::printf("|period - 16.667 ms| median: %.3f ms\n", dev[dev.size() / 2]);
    std::printf("|period - 16.667 ms| p99:    %.3f ms\n", dev[dev.size() * 99 / 100]);
    std::printf("CPU time per frame:          %.3f ms (%.1f%% of the period)\n",
                cpu * 1000.0 / frames, cpu * 1000.0 / frames / period * 100.0);
    return 0;
}
