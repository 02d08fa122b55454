#include <ctime>

#include "platform/platform.h"

namespace __VELTRIC__ {

namespace {
double (*g_clockOverride)() = nullptr;
}

// The monotonic clock: a change of the system time (NTP step, manual set)
// must not stretch or squeeze the frame pacing or the frame timers. The
// reading keeps the sub-millisecond part, as the frame step expects.
double PlatformClockMs()
{
    if (g_clockOverride) return g_clockOverride();
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1000000.0;
}

void SetPlatformClockForTesting(double (*fn)()) { g_clockOverride = fn; }

} // namespace __VELTRIC__
