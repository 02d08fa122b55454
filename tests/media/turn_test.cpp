// The sine and cosine of turned 2D draws against the library's long double
// sinl and cosl: within one unit in the last place of the float everywhere,
// the correctly rounded float nearly everywhere, exact at quarter turns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>

#include "media/turn.h"

using namespace __VELTRIC__;

namespace {

constexpr long double kPi = 3.14159265358979323846264338327950288L;

// The floats in the order of their values as integers, so that the distance
// of two is their distance in units in the last place; +0 and -0 are one.
std::int64_t Ordered(float f)
{
    std::int32_t i;
    std::memcpy(&i, &f, sizeof i);
    return i < 0 ? -static_cast<std::int64_t>(i & 0x7fffffff) : i;
}

std::int64_t Ulps(float a, float b)
{
    const std::int64_t d = Ordered(a) - Ordered(b);
    return d < 0 ? -d : d;
}

// The correctly rounded sine and cosine of an angle in degrees: exact at
// whole multiples of 90, elsewhere from the long double library once the
// angle is reduced exactly to (-360, 360). Long double has 11 bits more than
// double: its rounding to float is the correct one but within about 1e-19
// of a half-way point.
SinCos WantDegrees(float degrees)
{
    const double d = std::fmod(static_cast<double>(degrees), 360.0); // exact
    if (std::fmod(d, 90.0) == 0.0) {
        static const SinCos kQuarters[4] = {{0.0f, 1.0f}, {1.0f, 0.0f}, {0.0f, -1.0f}, {-1.0f, 0.0f}};
        return kQuarters[(static_cast<int>(d / 90.0) + 4) % 4];
    }
    const long double r = static_cast<long double>(d) * (kPi / 180);
    return {static_cast<float>(sinl(r)), static_cast<float>(cosl(r))};
}

SinCos WantRadians(float radians)
{
    return {static_cast<float>(sinl(radians)), static_cast<float>(cosl(radians))};
}

// How many of the angles fed in came out other than correctly rounded, and
// how many more than one unit in the last place off.
class Tally {
public:
    void Add(float angle, SinCos got, SinCos want)
    {
        ++n_;
        const std::int64_t u = std::max(Ulps(got.sin, want.sin), Ulps(got.cos, want.cos));
        if (u == 0) return;
        ++notNearest_;
        if (u > 1 && beyondOne_++ < 5)
            bad_ << "\n  " << angle << ": got " << std::hexfloat << got.sin << ", " << got.cos << " want "
                 << want.sin << ", " << want.cos << std::defaultfloat;
    }
    void Check(const char* what) const
    {
        EXPECT_EQ(beyondOne_, 0) << what << ": more than 1 ulp off" << bad_.str();
        // Correctly rounded but where the true value lies within about 1e-16
        // of a half-way point between two floats: a tiny fraction.
        EXPECT_LE(notNearest_ * 10000, n_) << what << ": " << notNearest_ << " of " << n_
                                           << " not correctly rounded";
        ::testing::Test::RecordProperty(std::string(what) + "_not_nearest", std::to_string(notNearest_));
    }

private:
    long n_ = 0, notNearest_ = 0, beyondOne_ = 0;
    std::ostringstream bad_;
};

// Floats of every exponent, from random bits (no NaN or infinity).
template <class F> void RandomFloats(unsigned seed, int count, float limit, F each)
{
    std::mt19937 gen(seed);
    for (int i = 0; i < count;) {
        const std::uint32_t bits = static_cast<std::uint32_t>(gen());
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (!std::isfinite(f) || std::fabs(f) > limit) continue;
        each(f);
        ++i;
    }
}

} // namespace

TEST(Turn, DegreesWithinOneUlpOfTheLibrary)
{
    Tally sweep, large, any;
    // Every 1/64 degree over four turns each way.
    for (int i = -4 * 360 * 64; i <= 4 * 360 * 64; ++i) {
        const float a = static_cast<float>(i) / 64.0f;
        sweep.Add(a, TurnDegrees(a), WantDegrees(a));
    }
    // Successive floats about large angles, where a float holds only a few
    // fractional bits of a degree (and none beyond 2^23).
    for (const float centre : {1e6f, -1e6f, 12345678.0f, 3e7f, -1e9f}) {
        float a = centre;
        for (int i = 0; i < 4096; ++i, a = std::nextafter(a, INFINITY))
            large.Add(a, TurnDegrees(a), WantDegrees(a));
    }
    RandomFloats(1, 200000, FLT_MAX, [&](float a) { any.Add(a, TurnDegrees(a), WantDegrees(a)); });
    sweep.Check("1/64 degree sweep");
    large.Check("large angles");
    any.Check("random floats");
}

TEST(Turn, RadiansWithinOneUlpOfTheLibrary)
{
    Tally sweep, nearAxes, any, large;
    // Every 1/1024 radian over +-1000 radians.
    for (int i = -1000 * 1024; i <= 1000 * 1024; ++i) {
        const float a = static_cast<float>(i) / 1024.0f;
        sweep.Add(a, TurnRadians(a), WantRadians(a));
    }
    // The floats nearest to the multiples of pi/2, where the reduction to a
    // quadrant cancels most bits and the result comes from what is left.
    for (int k = -636; k <= 636; ++k) {
        float a = static_cast<float>(k * (kPi / 2));
        for (int i = 0; i < 3; ++i) a = std::nextafter(a, -INFINITY);
        for (int i = 0; i < 7; ++i, a = std::nextafter(a, INFINITY))
            nearAxes.Add(a, TurnRadians(a), WantRadians(a));
    }
    // The float nearest to a multiple of pi/2 of all: 1.6e-9 from it.
    const float hardest = std::ldexp(16367173.0f, 72);
    nearAxes.Add(hardest, TurnRadians(hardest), WantRadians(hardest));
    RandomFloats(2, 200000, 1000.0f, [&](float a) { any.Add(a, TurnRadians(a), WantRadians(a)); });
    // Floats of every exponent, and successive ones about 2^20 and 2^24,
    // where the reduction to a quadrant changes its method and where the
    // floats lose the last fractional bit.
    RandomFloats(3, 200000, FLT_MAX, [&](float a) { large.Add(a, TurnRadians(a), WantRadians(a)); });
    for (const float centre : {1048576.0f, -1048576.0f, 16777216.0f}) {
        float a = centre;
        for (int i = 0; i < 2048; ++i) a = std::nextafter(a, -INFINITY);
        for (int i = 0; i < 4096; ++i, a = std::nextafter(a, INFINITY))
            large.Add(a, TurnRadians(a), WantRadians(a));
    }
    sweep.Check("1/1024 radian sweep");
    nearAxes.Check("next to multiples of pi/2");
    any.Check("random floats within 1000");
    large.Check("random floats of any size");
}

TEST(Turn, QuarterTurnsInDegreesAreExact)
{
    // Compared with ==, which takes -0 for 0: the quadrant's sign flip of
    // an exact 0 gives -0.0f for the cosine of 90 and 450 and the sine of
    // 180 and -180 (and +0 elsewhere); a turned corner is the same either
    // way, as x * -0 + y * s == x * 0 + y * s for every nonzero y * s.
    struct Case { float degrees, sin, cos; };
    const Case cases[] = {
        {0.0f, 0, 1},          {-0.0f, 0, 1},        {90.0f, 1, 0},         {180.0f, 0, -1},
        {270.0f, -1, 0},       {360.0f, 0, 1},       {-90.0f, -1, 0},       {-180.0f, 0, -1},
        {-270.0f, 1, 0},       {-360.0f, 0, 1},      {450.0f, 1, 0},        {-630.0f, 1, 0},
        {720.0f, 0, 1},        {900000.0f, 0, 1},    {-900090.0f, -1, 0},   {94371840.0f, 0, 1},
        {3.6e9f, 0, 1},        {FLT_MAX, 0, 1},      {-FLT_MAX, 0, 1}, // (2^24 - 1) * 2^104 = 0 mod 360
    };
    for (const Case& c : cases) {
        const SinCos r = TurnDegrees(c.degrees);
        EXPECT_TRUE(r.sin == c.sin && r.cos == c.cos)
            << c.degrees << ": got " << r.sin << ", " << r.cos << " want " << c.sin << ", " << c.cos;
    }
    const SinCos r = TurnRadians(0.0f);
    EXPECT_TRUE(r.sin == 0.0f && r.cos == 1.0f) << r.sin << ", " << r.cos;
}

TEST(Turn, NotANumberOrInfiniteGiveNotANumber)
{
    for (const float a : {NAN, -NAN, INFINITY, -INFINITY}) {
        const SinCos d = TurnDegrees(a), r = TurnRadians(a);
        EXPECT_TRUE(std::isnan(d.sin) && std::isnan(d.cos)) << a << " degrees: " << d.sin << ", " << d.cos;
        EXPECT_TRUE(std::isnan(r.sin) && std::isnan(r.cos)) << a << " radians: " << r.sin << ", " << r.cos;
    }
}
