// The frame timers and the pauses.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <ctime>

#include "platform/platform.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

double GETTIMER()
{
    const double d = __g_ThisTime - __g_LastTime;
    if (d > 0.0 || std::isnan(d))
        return d;
    // Two frames in the same clock tick (or before the first frame): a
    // program dividing by the frame time must never see 0.
    return 1.0;
}

double GETTIMERALL()
{
    return PlatformClockMs() - __g_FirstTime;
}

// Milliseconds as the signed 32-bit whole number the pause is made of.
// Truncation toward zero; a NaN is 0 and values beyond the range are
// clamped to it (a plain conversion of those is undefined behaviour).
static std::int32_t PauseMilliseconds(double ms)
{
    if (std::isnan(ms))
        return 0;
    if (ms >= 2147483647.0)
        return INT32_MAX;
    if (ms <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(ms);
}

int SLEEP(double milliseconds)
{
    const std::int32_t n = PauseMilliseconds(milliseconds);
    const std::int32_t seconds = n / 1000;
    const std::int32_t remainder = n - seconds * 1000;
    timespec ts{};
    ts.tv_sec = seconds;
    ts.tv_nsec = static_cast<long>(remainder) * 1000000L;
    return nanosleep(&ts, nullptr); // a negative time is refused at once: -1
}

int Sleep(unsigned long milliseconds)
{
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(milliseconds / 1000UL);
    ts.tv_nsec = static_cast<long>(milliseconds % 1000UL) * 1000000L;
    return nanosleep(&ts, nullptr);
}

} // namespace __VELTRIC__
