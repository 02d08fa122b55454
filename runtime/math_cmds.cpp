#include "runtime/math_cmds.h"

#include <cmath>

#include "runtime/portable_math.h"

namespace __VELTRIC__ {

namespace {
constexpr double kDegToRad = 0.017453292519943295;
constexpr double kRadToDeg = 57.29577951308232;
} // namespace

double SIN(double degrees) { return PortableSin(degrees * kDegToRad); }
double COS(double degrees) { return PortableCos(degrees * kDegToRad); }
double TAN(double degrees) { return PortableTan(degrees * kDegToRad); }

double ASIN(double x)
{
    if (x >= 1) return 90;
    if (x <= -1) return -90;
    return PortableAsin(x) * kRadToDeg;
}

double ACOS(double x)
{
    if (x >= 1) return 0;
    if (x <= -1) return 180;
    return PortableAcos(x) * kRadToDeg;
}

double ATAN(double y, double x) { return PortableAtan2(y, x) * kRadToDeg; }
double POW(double x, double y) { return PortablePow(x, y); }

int MOD(int a, int b)
{
    // b = -1 always leaves 0, and the remainder instruction would fault on
    // the smallest integer.
    if (b == 0 || b == -1)
        return 0;
    return a % b;
}

double FMOD(double x, double y) { return y == 0 ? 0.0 : std::fmod(x, y); }
double SQR(double x) { return std::sqrt(x); }
double ABS(double x) { return std::fabs(x); }

int ABS(int x)
{
    if (x >= 0)
        return x;
    return static_cast<int>(0u - static_cast<unsigned>(x));
}

} // namespace __VELTRIC__
