// The Mac OS X clock: SDL's whole milliseconds since SDL started.
#ifdef __APPLE__
#include <SDL.h>

#include "platform/platform.h"

namespace __VELTRIC__ {

namespace {
double (*g_clockOverride)() = nullptr;
}

double PlatformClockMs()
{
    if (g_clockOverride) return g_clockOverride();
    return static_cast<double>(SDL_GetTicks());
}

void SetPlatformClockForTesting(double (*fn)()) { g_clockOverride = fn; }

} // namespace __VELTRIC__
#endif
