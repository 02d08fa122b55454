// The portable transcendental functions: exact and special values, accuracy
// against the long double library functions, and the result bits that both
// the x86_64 and the 32-bit x86 build must produce.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "runtime/math_cmds.h"
#include "runtime/portable_math.h"

using namespace __VELTRIC__;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kTrueMin = std::numeric_limits<double>::denorm_min();
constexpr double kPi = 3.141592653589793, kPi2 = 1.5707963267948966, kPi4 = 0.7853981633974483;

std::uint64_t Bits(double v)
{
    std::uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Same value and the same sign of zero; any NaN matches any NaN.
::testing::AssertionResult SameValue(double got, double want)
{
    if ((std::isnan(got) && std::isnan(want)) || Bits(got) == Bits(want))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << std::hexfloat << got << " instead of " << want;
}

struct Unary {
    const char* name;
    double (*f)(double);
    double x, want;
};

TEST(PortableMath, SpecialAndExactValuesOfOneArgument)
{
    const Unary cases[] = {
        {"sin", PortableSin, 0.0, 0.0},
        {"sin", PortableSin, -0.0, -0.0},
        {"sin", PortableSin, 0x1p-30, 0x1p-30},
        {"sin", PortableSin, -kTrueMin, -kTrueMin},
        {"sin", PortableSin, kPi2, 1},
        {"sin", PortableSin, kPi, 1.2246467991473532e-16},
        {"sin", PortableSin, -kPi, -1.2246467991473532e-16},
        {"sin", PortableSin, 1e22, -0.8522008497671888},
        {"sin", PortableSin, kMax, 0.004961954789184062},
        {"sin", PortableSin, kInf, kNaN},
        {"sin", PortableSin, -kInf, kNaN},
        {"sin", PortableSin, kNaN, kNaN},
        {"cos", PortableCos, 0.0, 1},
        {"cos", PortableCos, -0.0, 1},
        {"cos", PortableCos, kPi, -1},
        {"cos", PortableCos, kPi2, 6.123233995736766e-17},
        {"cos", PortableCos, -kPi2, 6.123233995736766e-17},
        {"cos", PortableCos, kMax, -0.9999876894265599},
        // the double closest to a multiple of pi/2, 2^-61 from it: every bit
        // of the result depends on the reduction
        {"cos", PortableCos, 0x1.6ac5b262ca1ffp+849, -4.6871659242546277e-19},
        {"cos", PortableCos, -kInf, kNaN},
        {"cos", PortableCos, kNaN, kNaN},
        {"tan", PortableTan, 0.0, 0.0},
        {"tan", PortableTan, -0.0, -0.0},
        {"tan", PortableTan, kPi4, 0.9999999999999999},
        {"tan", PortableTan, kPi2, 1.633123935319537e16},
        {"tan", PortableTan, -kPi2, -1.633123935319537e16},
        {"tan", PortableTan, kInf, kNaN},
        {"asin", PortableAsin, 0.0, 0.0},
        {"asin", PortableAsin, -0.0, -0.0},
        {"asin", PortableAsin, 1, kPi2},
        {"asin", PortableAsin, -1, -kPi2},
        {"asin", PortableAsin, 0.5, 0.5235987755982989},
        {"asin", PortableAsin, 0x1.0000000000001p0, kNaN},
        {"asin", PortableAsin, -kInf, kNaN},
        {"asin", PortableAsin, kNaN, kNaN},
        {"acos", PortableAcos, 1, 0.0},
        {"acos", PortableAcos, -1, kPi},
        {"acos", PortableAcos, 0.0, kPi2},
        {"acos", PortableAcos, -0.0, kPi2},
        {"acos", PortableAcos, 0.5, 1.0471975511965979},
        {"acos", PortableAcos, -2, kNaN},
        {"acos", PortableAcos, kNaN, kNaN},
        {"atan", PortableAtan, 0.0, 0.0},
        {"atan", PortableAtan, -0.0, -0.0},
        {"atan", PortableAtan, 1, kPi4},
        {"atan", PortableAtan, 1e300, kPi2},
        {"atan", PortableAtan, -kInf, -kPi2},
        {"atan", PortableAtan, kTrueMin, kTrueMin},
        {"atan", PortableAtan, kNaN, kNaN},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameValue(c.f(c.x), c.want)) << c.name << "(" << std::hexfloat << c.x << ")";
}

struct Binary {
    double a, b, want;
};

TEST(PortableMath, Atan2QuadrantsZerosAndInfinities)
{
    const Binary cases[] = {
        {1, 1, kPi4},          {1, -1, 3 * kPi4},     {-1, -1, -3 * kPi4},   {-1, 1, -kPi4},
        {0.0, 0.0, 0.0},       {-0.0, 0.0, -0.0},     {0.0, -0.0, kPi},      {-0.0, -0.0, -kPi},
        {0.0, -1, kPi},        {-0.0, -1, -kPi},      {0.0, 1, 0.0},         {-0.0, 1, -0.0},
        {1, 0.0, kPi2},        {-1, -0.0, -kPi2},     {kInf, kInf, kPi4},    {kInf, -kInf, 3 * kPi4},
        {-kInf, kInf, -kPi4},  {-kInf, -kInf, -3 * kPi4}, {1, kInf, 0.0},     {-1, kInf, -0.0},
        {1, -kInf, kPi},       {-1, -kInf, -kPi},     {kInf, 1, kPi2},       {-kInf, -5, -kPi2},
        // ratios beyond 2^60, huge and subnormal arguments
        {1e300, 1e-300, kPi2}, {1e-300, 1e300, 0.0},  {-1e-300, -1e300, -kPi}, {kTrueMin, 1, kTrueMin},
        {kMax, kMax, kPi4},    {kTrueMin, kTrueMin, kPi4}, {-kTrueMin, -0x1p-1022, -kPi},
        {kNaN, 1, kNaN},       {1, kNaN, kNaN},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameValue(PortableAtan2(c.a, c.b), c.want))
            << "atan2(" << std::hexfloat << c.a << ", " << c.b << ")";
}

TEST(PortableMath, PowRulesAndExactPowers)
{
    const Binary cases[] = {
        // exact results come out exact
        {2, 10, 1024}, {2, -1074, kTrueMin}, {2, 1023, 0x1p1023}, {10, 22, 1e22},
        {3, 33, 5559060566555523.0}, {1.5, 2, 2.25}, {4, 0.5, 2}, {9, 0.5, 3}, {0x1p-1000, 0.5, 0x1p-500},
        {-2, 3, -8}, {-2, -3, -0.125}, {-2, 2, 4}, {-0.5, -1, -2},
        // correctly rounded where not exact
        {2, 0.5, 1.4142135623730951}, {10, -1, 0.1}, {5, -2, 0.04},
        // overflow and underflow
        {2, 1024, kInf}, {kMax, 2, kInf}, {-1e200, 3, -kInf}, {1e-200, 2, 0.0}, {-1e-200, 3, -0.0},
        // subnormal results, rounded once (2^-1075 is a tie to even), and a subnormal base
        {2, -1075, 0.0}, {2, -1074.5, kTrueMin}, {2, -1073.25, 2 * kTrueMin},
        {2, -1022.5, 0x0.b504f333f9de6p-1022}, {kTrueMin, 0.5, 0x1p-537}, {kTrueMin, -1, kInf},
        // y = 0 and x = 1 give 1 even with NaN
        {kNaN, 0.0, 1}, {kNaN, -0.0, 1}, {1, kNaN, 1}, {1, -kInf, 1}, {kNaN, 1, kNaN}, {2, kNaN, kNaN},
        // zeros
        {0.0, -3, kInf}, {-0.0, -3, -kInf}, {-0.0, -2, kInf}, {-0.0, -0.5, kInf}, {0.0, 3, 0.0},
        {-0.0, 3, -0.0}, {-0.0, 2, 0.0}, {-0.0, 0.5, 0.0},
        // infinite exponents
        {-1, kInf, 1}, {-1, -kInf, 1}, {0.5, kInf, 0.0}, {0.5, -kInf, kInf}, {-2, kInf, kInf}, {2, -kInf, 0.0},
        // infinite bases
        {-kInf, 3, -kInf}, {-kInf, -3, -0.0}, {-kInf, 2, kInf}, {-kInf, -2, 0.0}, {-kInf, 0.5, kInf},
        {kInf, -1, 0.0}, {kInf, 0.5, kInf},
        // negative bases: integer exponents only, parity from the exponent
        {-8, 1.0 / 3, kNaN}, {-1, 0x1p60, 1}, {-1, 0x1p53 + 2, 1}, {-1, 0x1p53 - 1, -1},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameValue(PortablePow(c.a, c.b), c.want))
            << "pow(" << std::hexfloat << c.a << ", " << c.b << ")";
}

// The commands' own exact cases, which depend on the functions rounding
// correctly at the right angles.
TEST(PortableMath, CommandsKeepTheirRightAngles)
{
    struct {
        const char* name;
        double got, want;
    } cases[] = {
        {"SIN(90)", SIN(90), 1},       {"SIN(-90)", SIN(-90), -1},     {"SIN(0)", SIN(0), 0},
        {"COS(0)", COS(0), 1},         {"COS(180)", COS(180), -1},     {"COS(-180)", COS(-180), -1},
        {"ATAN(1, 0)", ATAN(1, 0), 90}, {"ATAN(0, -1)", ATAN(0, -1), 180}, {"ATAN(-1, 0)", ATAN(-1, 0), -90},
        {"ATAN(1, 1)", ATAN(1, 1), 45}, {"ASIN(2)", ASIN(2), 90},      {"ASIN(1)", ASIN(1), 90},
        {"ASIN(-5)", ASIN(-5), -90},   {"ACOS(-1)", ACOS(-1), 180},    {"ACOS(0)", ACOS(0), 90},
        {"ACOS(1)", ACOS(1), 0},       {"POW(2, 10)", POW(2, 10), 1024}, {"POW(-3, 3)", POW(-3, 3), -27},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(SameValue(c.got, c.want)) << c.name;
    EXPECT_TRUE(std::signbit(SIN(-0.0)));
}

// ---- accuracy and cross-build bits ------------------------------------------

// xorshift64: integer steps, and arguments made from them with exact or
// correctly rounded double operations only, so both builds see the same ones.
struct Rng {
    std::uint64_t s;
    std::uint64_t Next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    int Int(int lo, int hi) { return lo + static_cast<int>(Next() % std::uint64_t(hi - lo + 1)); }
    double Unit() { return static_cast<double>(static_cast<std::int64_t>(Next() >> 11)) * 0x1p-53; }
    double Uniform(double a, double b) { return a + (b - a) * Unit(); }
    // Magnitudes spread evenly over the binades 2^lo .. 2^hi, either sign.
    double Spread(int lo, int hi)
    {
        const double m = std::ldexp(Uniform(1, 2), Int(lo, hi));
        return (Next() & 1) ? -m : m;
    }
};

// Distance from the true value in units of the last place of the true
// value's binade (subnormal spacing below the normal range).
double UlpError(double got, long double want)
{
    if (std::isnan(want)) return std::isnan(got) ? 0 : kInf;
    const double rounded = static_cast<double>(want);
    if (std::isinf(rounded) || std::isinf(got)) return got == rounded ? 0 : kInf;
    int e = 0;
    std::frexp(rounded, &e);
    const long double ulp = std::ldexp(1.0L, rounded == 0 ? -1074 : std::max(e - 53, -1074));
    return static_cast<double>(std::fabs(static_cast<long double>(got) - want) / ulp);
}

// One function over one range of arguments: the function, its long double
// reference, and how its arguments are drawn.
struct Sweep {
    const char* name;
    double (*f)(double, double);
    long double (*ref)(long double, long double);
    void (*draw)(Rng&, double&, double&);
};

// x = n pi/2 (rounded) moved by a few units in the last place: the arguments
// that cancel most in the reduction.
double NearQuarterTurn(Rng& r)
{
    double x = static_cast<double>(r.Int(-200000, 200000)) * kPi2;
    std::uint64_t b = Bits(x) + static_cast<std::uint64_t>(r.Int(-8, 8));
    std::memcpy(&x, &b, sizeof x);
    return x;
}

double NearOne(Rng& r)
{
    const double x = 1 - std::ldexp(r.Unit(), -r.Int(0, 52));
    return (r.Next() & 1) ? -x : x;
}

// Exponent ranges for pow keep y log2(x) within about +-1100, where results
// are finite or reach overflow and underflow at the edges. The binade of x
// stands in for log2(x) so that no library logarithm picks the arguments.
void PowWide(Rng& r, double& x, double& y)
{
    x = std::ldexp(r.Uniform(0.5, 1), r.Int(-1021, 1024));
    int e;
    std::frexp(x, &e);
    y = r.Uniform(-1100, 1100) / std::max(1, std::abs(e));
}

#define SWEEP1(fn, ref, expr)                                                                          \
    {                                                                                                  \
        #fn " " #expr, [](double x, double) { return fn(x); },                                         \
            [](long double x, long double) { return ref(x); }, [](Rng& r, double& x, double&) { x = expr; } \
    }

const Sweep kSweeps[] = {
    SWEEP1(PortableSin, sinl, r.Uniform(-4, 4)),
    SWEEP1(PortableSin, sinl, r.Spread(-30, 22)),
    SWEEP1(PortableSin, sinl, r.Spread(23, 1023)),
    SWEEP1(PortableSin, sinl, NearQuarterTurn(r)),
    SWEEP1(PortableCos, cosl, r.Uniform(-4, 4)),
    SWEEP1(PortableCos, cosl, r.Spread(-30, 22)),
    SWEEP1(PortableCos, cosl, r.Spread(23, 1023)),
    SWEEP1(PortableCos, cosl, NearQuarterTurn(r)),
    SWEEP1(PortableTan, tanl, r.Uniform(-4, 4)),
    SWEEP1(PortableTan, tanl, r.Spread(-30, 22)),
    SWEEP1(PortableTan, tanl, r.Spread(23, 1023)),
    SWEEP1(PortableTan, tanl, NearQuarterTurn(r)),
    SWEEP1(PortableAsin, asinl, r.Uniform(-1, 1)),
    SWEEP1(PortableAsin, asinl, r.Spread(-40, -1)),
    SWEEP1(PortableAsin, asinl, NearOne(r)),
    SWEEP1(PortableAcos, acosl, r.Uniform(-1, 1)),
    SWEEP1(PortableAcos, acosl, r.Spread(-40, -1)),
    SWEEP1(PortableAcos, acosl, NearOne(r)),
    SWEEP1(PortableAtan, atanl, r.Uniform(-4, 4)),
    SWEEP1(PortableAtan, atanl, r.Spread(-70, 70)),
    // at and between the points of the reduction table, k/32
    SWEEP1(PortableAtan, atanl, r.Int(-128, 128) / 64.0 + r.Uniform(-1e-9, 1e-9)),
    {"PortableAtan2 moderate", PortableAtan2, atan2l,
     [](Rng& r, double& y, double& x) {
         y = r.Spread(-30, 30);
         x = r.Spread(-30, 30);
     }},
    {"PortableAtan2 wide", PortableAtan2, atan2l,
     [](Rng& r, double& y, double& x) {
         y = r.Spread(-1000, 1000);
         x = r.Spread(-1000, 1000);
     }},
    // ratios around 2^+-60, where the short cuts begin
    {"PortableAtan2 ratios near 2^60", PortableAtan2, atan2l,
     [](Rng& r, double& y, double& x) {
         y = r.Spread(-2, 2);
         x = std::ldexp(r.Spread(-2, 2), (r.Next() & 1) ? r.Int(56, 64) : -r.Int(56, 64));
     }},
    {"PortablePow small", PortablePow, powl,
     [](Rng& r, double& x, double& y) {
         x = r.Uniform(0, 10);
         y = r.Uniform(-20, 20);
     }},
    {"PortablePow wide", PortablePow, powl, PowWide},
    {"PortablePow near 1", PortablePow, powl,
     [](Rng& r, double& x, double& y) {
         x = 1 + r.Uniform(-1e-6, 1e-6);
         y = r.Uniform(-1e8, 1e8);
     }},
    {"PortablePow negative base", PortablePow, powl,
     [](Rng& r, double& x, double& y) {
         x = r.Uniform(-10, 10);
         y = r.Int(-330, 330);
     }},
    {"PortablePow subnormal results", PortablePow, powl,
     [](Rng& r, double& x, double& y) {
         x = r.Uniform(1.9, 2);
         y = -r.Uniform(1020, 1080);
     }},
};

TEST(PortableMath, WithinOneUlpOfTheLongDoubleFunctions)
{
    constexpr int kPerRange = 60000;
    for (const Sweep& s : kSweeps) {
        Rng rng{0x9e3779b97f4a7c15u};
        double worst = 0, worstA = 0, worstB = 0;
        for (int i = 0; i < kPerRange; ++i) {
            double a = 0, b = 0;
            s.draw(rng, a, b);
            const double err = UlpError(s.f(a, b), s.ref(a, b));
            if (!(err <= worst)) {
                worst = err;
                worstA = a;
                worstB = b;
            }
        }
        EXPECT_LE(worst, 1.0) << s.name << " at " << std::hexfloat << worstA << ", " << worstB;
        std::printf("%-64s max %.3f ulp\n", s.name, worst);
    }
}

// FNV-1a over the bits of 4,096 results per range, arguments drawn as above
// from another seed. The constants come from the x86_64 build; the 32-bit
// build passes only by computing the very same bits.
TEST(PortableMath, SameBitsOnEveryBuild)
{
    const std::uint64_t golden[] = {
        0xbe5fc682e00b3b60u, 0x52fa647c3727f9b7u, 0x7e3ee7d07780e735u, 0x14d536df7ce6e9beu, // sin
        0xc3e0d3e286ae3283u, 0x15aac12a27c42eacu, 0xc5be239cf465e31du, 0x19bb92dd948bf113u, // cos
        0x6cb80653dbe3c9d8u, 0xb95dacdf27fac7b4u, 0xd072a9f17868c73eu, 0x9de6c5d31c311994u, // tan
        0x5e8e203e77c9710au, 0xe7b67841f9ce233fu, 0xf7d37b39fdf10ffdu, // asin
        0xa50e541d7f6090c0u, 0x1080452680df2825u, 0x4aa6caaec97d7d15u, // acos
        0xaba6f013d2fd7dcau, 0xbadf21804583df8fu, 0x6c04002caf48c67du, // atan
        0x1c3cdee5ff5bf551u, 0xae8f3c77de24a65fu, 0x674f5aa6d0d5481du, // atan2
        0x9df60c2e93c2a610u, 0xcd65243f736aa8c5u, 0x1b41a93e5d2b7840u, 0xa86bd31c4cc3f12fu, // pow
        0x9993a7d676cde5d9u,
    };
    static_assert(sizeof golden / sizeof golden[0] == sizeof kSweeps / sizeof kSweeps[0],
                  "one hash per range");
    for (std::size_t k = 0; k < sizeof kSweeps / sizeof kSweeps[0]; ++k) {
        Rng rng{0x2545f4914f6cdd1du};
        std::uint64_t h = 0xcbf29ce484222325u;
        for (int i = 0; i < 4096; ++i) {
            double a = 0, b = 0;
            kSweeps[k].draw(rng, a, b);
            const std::uint64_t v = Bits(kSweeps[k].f(a, b));
            for (int byte = 0; byte < 8; ++byte) {
                h ^= (v >> (8 * byte)) & 0xff;
                h *= 0x100000001b3u;
            }
        }
        EXPECT_EQ(h, golden[k]) << kSweeps[k].name << std::hex << " hash 0x" << h;
    }
}

} // namespace
