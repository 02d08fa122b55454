#include "media/turn.h"

#include <cmath>

namespace __VELTRIC__ {

namespace {

// sin and cos of x in [-pi/4, pi/4] by their Taylor series to x^15 and x^16:
// the first term left out is below 6e-17 there.
void Octant(double x, double& s, double& c)
{
    const double x2 = x * x;
    s = x * (1.0 + x2 * (-1.0 / 6 + x2 * (1.0 / 120 + x2 * (-1.0 / 5040 + x2 * (1.0 / 362880 +
        x2 * (-1.0 / 39916800 + x2 * (1.0 / 6227020800.0 + x2 * (-1.0 / 1307674368000.0))))))));
    c = 1.0 + x2 * (-0.5 + x2 * (1.0 / 24 + x2 * (-1.0 / 720 + x2 * (1.0 / 40320 + x2 * (-1.0 / 3628800 +
        x2 * (1.0 / 479001600.0 + x2 * (-1.0 / 87178291200.0 + x2 * (1.0 / 20922789888000.0))))))));
}

// sin and cos of q * pi/2 + r, r within an eighth of a turn.
SinCos Quadrant(long long q, double r)
{
    double s, c;
    Octant(r, s, c);
    switch (q & 3) {
    case 0: return {static_cast<float>(s), static_cast<float>(c)};
    case 1: return {static_cast<float>(c), static_cast<float>(-s)};
    case 2: return {static_cast<float>(-s), static_cast<float>(-c)};
    default: return {static_cast<float>(-c), static_cast<float>(s)};
    }
}

} // namespace

SinCos TurnDegrees(float degrees)
{
    if (!std::isfinite(degrees)) return {NAN, NAN};
    // fmod is exact: whole turns go without error, and a whole number of
    // degrees keeps a whole-numbered rest, so quarter turns come out exact.
    const double d = std::fmod(static_cast<double>(degrees), 360.0);
    const double q = std::nearbyint(d / 90.0); // -4 .. 4
    const double rest = d - q * 90.0;            // -45 .. 45, exact
    constexpr double kRadPerDeg = 3.14159265358979323846 / 180.0;
    return Quadrant(static_cast<long long>(q) + 4, rest * kRadPerDeg);
}

SinCos TurnRadians(float radians)
{
    if (!std::isfinite(radians)) return {NAN, NAN};
    // Cody-Waite: x - k pi/2 with pi/2 in three parts, the first two short
    // enough that k times them is exact for |k| < 2^20 (|x| below about
    // 1.6e6; beyond, the products round and the rest loses bits).
    constexpr double kP1 = 1.57079632673412561417e+00; // 33 bits: 0x1.921fb544p+0
    constexpr double kP2 = 6.07710050630396597660e-11; // 33 bits: 0x1.0b4611a6p-34
    constexpr double kP3 = 2.02226624879595063154e-21; // pi/2 - kP1 - kP2
    const double x = radians;
    const double k = std::nearbyint(x * 0.63661977236758134308);
    const double r = ((x - k * kP1) - k * kP2) - k * kP3;
    return Quadrant(static_cast<long long>(std::fmod(k, 4.0)) + 4, r);
}

} // namespace __VELTRIC__
