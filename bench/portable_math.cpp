// Each portable function beside the C library's on the same 4,096
// arguments per range, so the price of identical bits on every build is
// known. Time per iteration is one call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "runtime/portable_math.h"

namespace {

using namespace __VELTRIC__;

constexpr int kCount = 4096;

struct Args {
    std::vector<double> a, b;
};

// Arguments from a fixed xorshift sequence: `a` uniform in [lo, hi], `b`
// uniform in [lo2, hi2].
Args Make(double lo, double hi, double lo2 = 0, double hi2 = 0)
{
    std::uint64_t s = 0x9e3779b97f4a7c15u;
    auto unit = [&s] {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return static_cast<double>(s >> 11) * 0x1p-53;
    };
    Args r;
    for (int i = 0; i < kCount; ++i) {
        r.a.push_back(lo + (hi - lo) * unit());
        r.b.push_back(lo2 + (hi2 - lo2) * unit());
    }
    return r;
}

void Unary(benchmark::State& state, double (*f)(double), double lo, double hi)
{
    const Args args = Make(lo, hi);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(args.a[i]));
        i = (i + 1) % kCount;
    }
}

void Binary(benchmark::State& state, double (*f)(double, double), double lo, double hi, double lo2,
            double hi2)
{
    const Args args = Make(lo, hi, lo2, hi2);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(f(args.a[i], args.b[i]));
        i = (i + 1) % kCount;
    }
}

double LibSin(double x) { return std::sin(x); }
double LibCos(double x) { return std::cos(x); }
double LibTan(double x) { return std::tan(x); }
double LibAsin(double x) { return std::asin(x); }
double LibAcos(double x) { return std::acos(x); }
double LibAtan(double x) { return std::atan(x); }
double LibAtan2(double y, double x) { return std::atan2(y, x); }
double LibPow(double x, double y) { return std::pow(x, y); }

// Angles of a game's range, and a few far ones that take the long reduction.
BENCHMARK_CAPTURE(Unary, sin_portable, PortableSin, -7.0, 7.0);
BENCHMARK_CAPTURE(Unary, sin_libm, LibSin, -7.0, 7.0);
BENCHMARK_CAPTURE(Unary, sin_portable_1e9, PortableSin, 1e9, 2e9);
BENCHMARK_CAPTURE(Unary, sin_libm_1e9, LibSin, 1e9, 2e9);
BENCHMARK_CAPTURE(Unary, cos_portable, PortableCos, -7.0, 7.0);
BENCHMARK_CAPTURE(Unary, cos_libm, LibCos, -7.0, 7.0);
BENCHMARK_CAPTURE(Unary, tan_portable, PortableTan, -1.5, 1.5);
BENCHMARK_CAPTURE(Unary, tan_libm, LibTan, -1.5, 1.5);
BENCHMARK_CAPTURE(Unary, asin_portable, PortableAsin, -1.0, 1.0);
BENCHMARK_CAPTURE(Unary, asin_libm, LibAsin, -1.0, 1.0);
BENCHMARK_CAPTURE(Unary, acos_portable, PortableAcos, -1.0, 1.0);
BENCHMARK_CAPTURE(Unary, acos_libm, LibAcos, -1.0, 1.0);
BENCHMARK_CAPTURE(Unary, atan_portable, PortableAtan, -10.0, 10.0);
BENCHMARK_CAPTURE(Unary, atan_libm, LibAtan, -10.0, 10.0);
BENCHMARK_CAPTURE(Binary, atan2_portable, PortableAtan2, -10.0, 10.0, -10.0, 10.0);
BENCHMARK_CAPTURE(Binary, atan2_libm, LibAtan2, -10.0, 10.0, -10.0, 10.0);
BENCHMARK_CAPTURE(Binary, pow_portable, PortablePow, 0.0, 10.0, -20.0, 20.0);
BENCHMARK_CAPTURE(Binary, pow_libm, LibPow, 0.0, 10.0, -20.0, 20.0);

} // namespace

BENCHMARK_MAIN();
