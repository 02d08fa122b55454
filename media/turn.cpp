#include "media/turn.h"

#include <cmath>
#include <cstdint>
#include <cstring>

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

// The bits of 2/pi after the binary point, 32 to a word.
constexpr std::uint32_t kTwoOverPi[7] = {0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0,
                                         0xDB629599, 0x3C439041, 0xFE5163AB};

// x = q pi/2 + r, |r| <= pi/4, for a float of |x| >= 2^20 (Payne-Hanek).
// Such an x is a whole number m times 2^e (m < 2^24, -3 <= e <= 104), so
// the bits of 2/pi worth 2^(2 - e) and more only add multiples of 4 to
// x 2/pi; the next 128 bits times m, summed exactly as integers, give
// x 2/pi mod 4 to 62 bits after the point.
void ReduceLarge(float x, long long& q, double& r)
{
    std::uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const std::uint64_t m = (bits & 0x7fffff) | 0x800000;
    const int e = static_cast<int>((bits >> 23) & 0xff) - 150;
    int i0 = 0; // the first word whose product with m 2^e is not a multiple of 4
    while (e - 32 * (i0 + 1) >= 2) ++i0;
    const int sh = e - 32 * (i0 + 1); // -35 .. 1
    // n = m (w[i0] 2^96 + w[i0 + 1] 2^64 + w[i0 + 2] 2^32 + w[i0 + 3]), in
    // 32-bit limbs, the lowest first; x 2/pi = n 2^(sh - 96) + less than 2^-100.
    std::uint32_t n[6] = {};
    std::uint64_t carry = 0;
    for (int k = 0; k < 4; ++k) {
        const std::uint64_t p = m * kTwoOverPi[i0 + 3 - k] + carry;
        n[k] = static_cast<std::uint32_t>(p);
        carry = p >> 32;
    }
    n[4] = static_cast<std::uint32_t>(carry);
    // f = (x 2/pi mod 4) 2^62: the 64 bits of n from bit 34 - sh on.
    const int shift = 34 - sh, w = shift / 32, b = shift % 32;
    const std::uint64_t lo = n[w] | static_cast<std::uint64_t>(n[w + 1]) << 32;
    const std::uint64_t f = b == 0 ? lo : (lo >> b) | static_cast<std::uint64_t>(n[w + 2]) << (64 - b);
    q = static_cast<long long>(f >> 62);
    std::int64_t rest = static_cast<std::int64_t>(f & ((std::uint64_t(1) << 62) - 1));
    if (rest >= std::int64_t(1) << 61) { // past half a quadrant: from the next one
        rest -= std::int64_t(1) << 62;
        ++q;
    }
    r = static_cast<double>(rest) * 0x1p-62 * 1.57079632679489661923;
    if (x < 0) {
        q = -q;
        r = -r;
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
    if (std::fabs(radians) >= 1048576.0f) {
        long long q;
        double r;
        ReduceLarge(radians, q, r);
        return Quadrant((q & 3) + 4, r);
    }
    // Cody-Waite: x - k pi/2 with pi/2 in three parts, the first two short
    // enough that k times them is exact for |k| < 2^20, which holds below
    // 2^20 radians.
    constexpr double kP1 = 1.57079632673412561417e+00; // 33 bits: 0x1.921fb544p+0
    constexpr double kP2 = 6.07710050630396597660e-11; // 33 bits: 0x1.0b4611a6p-34
    constexpr double kP3 = 2.02226624879595063154e-21; // pi/2 - kP1 - kP2
    const double x = radians;
    const double k = std::nearbyint(x * 0.63661977236758134308);
    const double r = ((x - k * kP1) - k * kP2) - k * kP3;
    return Quadrant(static_cast<long long>(std::fmod(k, 4.0)) + 4, r);
}

} // namespace __VELTRIC__
