#include "runtime/portable_math.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

// Every function here works in double-double arithmetic (a value held as the
// unevaluated sum hi + lo of two doubles, about 106 bits) where the rounding
// of plain doubles would cost the last bit, and returns the double nearest to
// that sum. Only + - * / and sqrt of IEEE doubles and integer arithmetic are
// used, so the x86_64 and the 32-bit SSE2 builds compute the same bits; even
// the exact helpers (rounding to an integer, scaling by 2^k, splitting off
// the exponent) are done here on the bits instead of calling the library,
// whose 32-bit versions run on the x87 unit, which an emulator may not
// reproduce. The file is compiled with -ffp-contract=off: a fused
// multiply-add would change the error terms.
//
// The constants were computed with exact rational arithmetic in Python
// (fractions and decimal at 400+ digits): pi from Machin's formula, ln 2 from
// 2 atanh(1/3), atan(k/32) by halving the argument three times and summing
// the series, log2(j/64) and 2^(i/64) from decimal's correctly rounded ln and
// exp at 120 digits, each then split into the nearest double and the nearest
// double to the rest. The polynomials are the Taylor series themselves, taken far
// enough that the terms left out are below 2^-63 of the result.

namespace __VELTRIC__ {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// ---- exact helpers on the bits ---------------------------------------------

// 2^k for -1022 <= k <= 1023.
inline double Pow2(int k)
{
    const std::uint64_t b = std::uint64_t(k + 1023) << 52;
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

// x 2^k for |k| <= 2044, in two steps so that each factor is a normal
// number: exact whenever the result is representable.
inline double ScaleB(double x, int k)
{
    const int half = k / 2;
    return x * Pow2(half) * Pow2(k - half);
}

// x = m 2^e with m in [0.5, 1), for finite x > 0.
inline double FrExp(double x, int& e)
{
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    int extra = 0;
    if ((b >> 52) == 0) { // subnormal: make it normal first
        x *= 0x1p54;
        std::memcpy(&b, &x, sizeof b);
        extra = 54;
    }
    e = static_cast<int>(b >> 52) - 1022 - extra;
    b = (b & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1022) << 52);
    double m;
    std::memcpy(&m, &b, sizeof m);
    return m;
}

// The integer nearest to x, ties to even, for |x| < 2^51: adding 1.5 2^52
// leaves no fraction bits.
inline double RoundToInteger(double x) { return (x + 0x1.8p52) - 0x1.8p52; }

// Whether finite v is a whole number: every double from 2^52 on is.
inline bool IsWhole(double v)
{
    const double a = std::fabs(v);
    return a >= 0x1p52 || (a + 0x1p52) - 0x1p52 == a;
}

// ---- double-double arithmetic ---------------------------------------------

struct DD {
    double hi, lo;
};

// a + b exactly, as the rounded sum and its error.
inline DD TwoSum(double a, double b)
{
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// The same when |a| >= |b| (or a is zero).
inline DD FastTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// a = hi + lo with hi holding the upper 26 bits (Veltkamp), so that products
// of halves are exact.
inline void Split(double a, double& hi, double& lo)
{
    const double c = 134217729.0 * a; // 2^27 + 1
    hi = c - (c - a);
    lo = a - hi;
}

// a * b exactly, as the rounded product and its error (Dekker).
inline DD TwoProd(double a, double b)
{
    const double p = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline DD Neg(DD a) { return {-a.hi, -a.lo}; }

// The low parts are added in plain double: exact enough wherever the sum
// does not cancel below the low parts' own size, which holds for every use
// here (series terms that shrink, remainders of a division, pi minus an
// angle of at most pi/2).
inline DD Add(DD a, DD b)
{
    const DD s = TwoSum(a.hi, b.hi);
    return FastTwoSum(s.hi, s.lo + (a.lo + b.lo));
}

inline DD Add(DD a, double b)
{
    const DD s = TwoSum(a.hi, b);
    return FastTwoSum(s.hi, s.lo + a.lo);
}

inline DD Mul(DD a, DD b)
{
    const DD p = TwoProd(a.hi, b.hi);
    return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

inline DD Mul(DD a, double b)
{
    const DD p = TwoProd(a.hi, b);
    return FastTwoSum(p.hi, p.lo + a.lo * b);
}

// Long division: the rounded quotient and a second digit from the
// remainder, which is exact but for the low parts' rounding.
inline DD Div(DD a, DD b)
{
    const double q1 = a.hi / b.hi;
    const DD r = Add(a, Neg(Mul(b, q1)));
    return FastTwoSum(q1, r.hi / b.hi);
}

// sqrt(a) for a >= 0: the rounded root and one Newton step on the remainder.
inline DD Sqrt(DD a)
{
    if (!(a.hi > 0)) return {0, 0};
    const double s = std::sqrt(a.hi);
    const DD p = TwoProd(s, s);
    return FastTwoSum(s, ((a.hi - p.hi) - p.lo + a.lo) / (2 * s));
}

// Horner's rule at x. The high-order terms (`tail`, highest degree first)
// are small enough that plain doubles keep their rounding far below the last
// bit of the result; the low-order terms (`head`, continuing down to degree
// 0) are added in double-double.
template <int NT, int NH>
DD Poly(DD x, const double (&tail)[NT], const DD (&head)[NH])
{
    double p = tail[0];
    for (int i = 1; i < NT; ++i) p = p * x.hi + tail[i];
    DD r = {p, 0};
    for (int i = 0; i < NH; ++i) r = Add(Mul(r, x), head[i]);
    return r;
}

constexpr DD kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr DD kPiOver2 = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr DD kLn2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
constexpr DD kInvLn2 = {0x1.71547652b82fep+0, 0x1.777d0ffda0d24p-56};

// ---- sine, cosine, tangent ----------------------------------------------

// x - n pi/2 with |result| <= about pi/4, and n modulo 4.
struct Reduced {
    int quadrant;
    DD r;
};

// pi/2 in four parts (Cody-Waite): the first three hold 30 bits each, so n
// times any of them is exact for n below 2^23; the fourth holds the next 53.
constexpr double kPiOver2Part1 = 0x1.921fb54000000p+0;
constexpr double kPiOver2Part2 = 0x1.10b4611800000p-30;
constexpr double kPiOver2Part3 = 0x1.313198a000000p-61;
constexpr double kPiOver2Part4 = 0x1.701b839a25205p-92;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kCodyWaiteLimit = 0x1p23;

// For 0 <= x < 2^23. x - n * part1 is exact (the two are within a factor 2
// of each other); the next two subtractions keep their errors, and what is
// left is far below the result even where x lies close to a multiple of pi/2.
Reduced ReduceMedium(double x)
{
    const double n = RoundToInteger(x * kTwoOverPi);
    const double a = x - n * kPiOver2Part1;
    const DD b = TwoSum(a, -(n * kPiOver2Part2));
    const DD c = TwoSum(b.hi, -(n * kPiOver2Part3));
    const double lo = (b.lo + c.lo) - n * kPiOver2Part4;
    return {static_cast<int>(n) & 3, TwoSum(c.hi, lo)};
}

// Fraction bits of 2/pi, 32 to a word, the most significant first, behind
// two words of zeros that stand for the (zero) bits before the point.
constexpr std::uint32_t kTwoOverPiBits[40] = {
    0,          0,          0xa2f9836e, 0x4e441529, 0xfc2757d1, 0xf534ddc0, 0xdb629599, 0x3c439041,
    0xfe5163ab, 0xdebbc561, 0xb7246e3a, 0x424dd2e0, 0x06492eea, 0x09d1921c, 0xfe1deb1c, 0xb129a73e,
    0xe88235f5, 0x2ebb4484, 0xe99c7026, 0xb45f7e41, 0x3991d639, 0x835339f4, 0x9c845f8b, 0xbdf9283b,
    0x1ff897ff, 0xde05980f, 0xef2f118b, 0x5a0a6d1f, 0x6d367ecf, 0x27cb09b7, 0x4f463f66, 0x9e5fea2d,
    0x7527bac7, 0xebe5f17b, 0x3d0739f7, 0x8a5292ea, 0x6bfb5fb1, 0x1f8d5d08, 0x56033046, 0xfc7b6bab,
};

// 32 bits of the big-endian number `w` (of `n` words) from bit `pos` on,
// zeros beyond its end.
std::uint32_t BitsAt(const std::uint32_t* w, int n, int pos)
{
    const int i = pos >> 5, sh = pos & 31;
    const std::uint32_t first = i < n ? w[i] : 0, next = i + 1 < n ? w[i + 1] : 0;
    return sh ? (first << sh) | (next >> (32 - sh)) : first;
}

// A 32-bit unsigned integer as a double, through the signed conversion that
// both builds do with the same SSE2 instruction.
double U32ToDouble(std::uint32_t v)
{
    return static_cast<double>(static_cast<std::int32_t>(v >> 1)) * 2.0 +
           static_cast<double>(static_cast<std::int32_t>(v & 1));
}

// For finite x >= 2^23 (Payne-Hanek): x = m 2^e with m a 53-bit integer, and
// x 2/pi modulo 4 needs only the bits of 2/pi from weight 2^(1-e) on, since
// the earlier ones give multiples of 4. A window of 192 of them times m,
// modulo 2^192, is x 2/pi modulo 4 in units of 2^-190: the top two bits are
// the quadrant, the remaining 190 the fraction, exact to about 2^-137, which
// is far below the closest any double comes to a multiple of pi/2 (~2^-61).
Reduced ReduceLarge(double x)
{
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int e = static_cast<int>(bits >> 52) - 1075;
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);

    std::uint32_t window[6];
    for (int i = 0; i < 6; ++i) window[i] = BitsAt(kTwoOverPiBits, 40, e + 62 + 32 * i);

    // Low 192 bits of m * window, little-endian words.
    std::uint32_t prod[6] = {};
    const std::uint32_t mw[2] = {static_cast<std::uint32_t>(m), static_cast<std::uint32_t>(m >> 32)};
    for (int k = 0; k < 2; ++k) {
        std::uint64_t carry = 0;
        for (int i = 0; i + k < 6; ++i) {
            const std::uint64_t t = std::uint64_t(mw[k]) * window[5 - i] + prod[i + k] + carry;
            prod[i + k] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
    }
    int quadrant = static_cast<int>(prod[5] >> 30);

    // The fraction, big-endian, in units of 2^-192.
    std::uint32_t frac[6];
    for (int i = 0; i < 6; ++i)
        frac[i] = (prod[5 - i] << 2) | (i < 5 ? prod[4 - i] >> 30 : 0);
    // From one half on, take the next quadrant and a negative fraction.
    const bool negative = frac[0] >> 31;
    if (negative) {
        ++quadrant;
        std::uint32_t carry = 1;
        for (int i = 5; i >= 0; --i) {
            frac[i] = ~frac[i] + carry;
            carry = carry && frac[i] == 0;
        }
    }
    int lead = 0;
    while (lead < 6 && frac[lead] == 0) ++lead;
    if (lead == 6) return {quadrant & 3, {0, 0}};
    const int shift = 32 * lead + __builtin_clz(frac[lead]);
    // 96 significant bits: more than a double-double holds after rounding.
    const double t1 = U32ToDouble(BitsAt(frac, 6, shift)) * Pow2(-32 - shift);
    const double t2 = U32ToDouble(BitsAt(frac, 6, shift + 32)) * Pow2(-64 - shift);
    const double t3 = U32ToDouble(BitsAt(frac, 6, shift + 64)) * Pow2(-96 - shift);
    const DD f = Add(FastTwoSum(t1, t2), t3);
    const DD r = Mul(f, kPiOver2);
    return {quadrant & 3, negative ? Neg(r) : r};
}

Reduced Reduce(double ax) { return ax < kCodyWaiteLimit ? ReduceMedium(ax) : ReduceLarge(ax); }

// sin(r)/r = sum (-1)^j r^2j / (2j+1)!, j = 0 .. 9; |r| <= pi/4 leaves out
// less than 2^-63 of the result.
constexpr double kSinTail[] = {
    -0x1.2f49b46814157p-57, 0x1.952c77030ad4ap-49, -0x1.ae7f3e733b81fp-41, 0x1.6124613a86d09p-33,
    -0x1.ae64567f544e4p-26, 0x1.71de3a556c734p-19, -0x1.a01a01a01a01ap-13,
};
constexpr DD kSinHead[] = {
    {0x1.1111111111111p-7, 0x1.1111111111111p-63},
    {-0x1.5555555555555p-3, -0x1.5555555555555p-57},
    {1, 0},
};

// cos(r) = sum (-1)^j r^2j / (2j)!, j = 0 .. 10.
constexpr double kCosTail[] = {
    0x1.e542ba4020225p-62, -0x1.6827863b97d97p-53, 0x1.ae7f3e733b81fp-45, -0x1.93974a8c07c9dp-37,
    0x1.1eed8eff8d898p-29, -0x1.27e4fb7789f5cp-22, 0x1.a01a01a01a01ap-16,
};
constexpr DD kCosHead[] = {
    {-0x1.6c16c16c16c17p-10, 0x1.f49f49f49f49fp-65},
    {0x1.5555555555555p-5, 0x1.5555555555555p-59},
    {-0.5, 0},
    {1, 0},
};

DD SinOfReduced(DD r) { return Mul(Poly(Mul(r, r), kSinTail, kSinHead), r); }
DD CosOfReduced(DD r) { return Poly(Mul(r, r), kCosTail, kCosHead); }

// Below this, sin x and tan x round to x and cos x to 1: the next term of
// the series is under 2^-55 of the result.
constexpr double kTinyAngle = 0x1p-27;

// ---- arc tangent -------------------------------------------------------------

// atan(k/32), k = 0 .. 32.
constexpr DD kAtanTable[33] = {
    {0, 0},
    {0x1.ffd55bba97625p-6, -0x1.5ec431444912cp-60},
    {0x1.ff55bb72cfdeap-5, -0x1.c934d86d23f1dp-60},
    {0x1.7ee182602f10fp-4, -0x1.cfb654c0c3d98p-58},
    {0x1.fd5ba9aac2f6ep-4, -0x1.cd37686760c17p-59},
    {0x1.3d6eee8c6626cp-3, 0x1.61a3b0ce9281bp-57},
    {0x1.7b97b4bce5b02p-3, 0x1.347b0b4f881cap-58},
    {0x1.b90d7529260a2p-3, 0x1.17b10d2e0e5abp-61},
    {0x1.f5b75f92c80ddp-3, 0x1.8ab6e3cf7afbdp-57},
    {0x1.18bf5a30bf178p-2, 0x1.30ca4748b1bf9p-57},
    {0x1.362773707ebccp-2, -0x1.963a544b672d8p-57},
    {0x1.530ad9951cd4ap-2, -0x1.2566480884082p-57},
    {0x1.6f61941e4def1p-2, -0x1.c63aae6f6e918p-56},
    {0x1.8b24d394a1b25p-2, 0x1.b6d0ba3748fa8p-56},
    {0x1.a64eec3cc23fdp-2, -0x1.24dec1b50b7ffp-56},
    {0x1.c0db4c94ec9f0p-2, -0x1.cc1ce70934c34p-56},
    {0x1.dac670561bb4fp-2, 0x1.a2b7f222f65e2p-56},
    {0x1.f40dd0b541418p-2, -0x1.a3992dc382a23p-57},
    {0x1.0657e94db30d0p-1, -0x1.d5b495f6349e6p-56},
    {0x1.1255d9bfbd2a9p-1, -0x1.2bdaee1c0ee35p-58},
    {0x1.1e00babdefeb4p-1, -0x1.928df287a668fp-58},
    {0x1.2958e59308e31p-1, -0x1.09e73b0c6c087p-56},
    {0x1.345f01cce37bbp-1, 0x1.1021137c71102p-55},
    {0x1.3f13fb89e96f4p-1, 0x1.ecf8b492644f0p-56},
    {0x1.4978fa3269ee1p-1, 0x1.2419a87f2a458p-56},
    {0x1.538f57b89061fp-1, -0x1.1bb74abda520cp-55},
    {0x1.5d58987169b18p-1, 0x1.0028e4bc5e7cap-57},
    {0x1.66d663923e087p-1, -0x1.6ea6febe8bbbap-56},
    {0x1.700a7c5784634p-1, -0x1.8c34d25aadef6p-56},
    {0x1.78f6bbd5d315ep-1, 0x1.406a089803740p-55},
    {0x1.819d0b7158a4dp-1, -0x1.bf76229d3b917p-56},
    {0x1.89ff5ff57f1f8p-1, -0x1.55b9a5e177a1bp-55},
    {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55},
};

// (atan(t) - t) / (t t^2) = sum (-1)^j t^2(j-1) / (2j+1), j = 1 .. 6, for
// |t| <= 1/64: the rest is below 2^-70 of atan(t).
constexpr double kAtanSeries[] = {
    0x1.3b13b13b13b14p-4, -0x1.745d1745d1746p-4, 0x1.c71c71c71c71cp-4,
    -0x1.2492492492492p-3, 0x1.999999999999ap-3, -0x1.5555555555555p-2,
};

// atan(y/x) in 0 .. pi/2 for y, x >= 0, not both zero. The ratio (or its
// inverse, then pi/2 minus the angle) lies in 0 .. 1; with c = k/32 the
// nearest table point, atan(u) = atan(c) + atan((u - c) / (1 + u c)) and the
// second argument is at most 1/64, where a short series suffices.
DD AtanOfRatio(DD y, DD x)
{
    const bool swap = y.hi > x.hi;
    const DD u = swap ? Div(x, y) : Div(y, x);
    const int k = static_cast<int>(u.hi * 32 + 0.5);
    DD t = u;
    if (k > 0) {
        const double c = k * (1.0 / 32);
        t = Div(Add(u, -c), Add(Mul(u, c), 1.0));
    }
    const double z = t.hi * t.hi;
    double p = kAtanSeries[0];
    for (int i = 1; i < 6; ++i) p = p * z + kAtanSeries[i];
    const DD a = Add(Add(kAtanTable[k], t), t.hi * z * p);
    return swap ? Add(kPiOver2, Neg(a)) : a;
}

// 1 - x^2 for |x| <= 1, as a double-double, and its square root.
DD CoLeg(double ax)
{
    const DD sq = TwoProd(ax, ax);
    return Sqrt(Add(TwoSum(1.0, -sq.hi), -sq.lo));
}

// ---- powers ------------------------------------------------------------------

// log2(j/64), j = 45 .. 91: the points that split [sqrt(1/2), sqrt(2)).
constexpr DD kLog2Table[47] = {
    {-0x1.042bd4b9a7c99p-1, 0x1.9c32630008a1fp-55},
    {-0x1.e7df5fe538ab3p-2, -0x1.3bed456b24ed1p-56},
    {-0x1.c819dc2d45fe4p-2, -0x1.c4aec56233279p-57},
    {-0x1.a8ff971810a5ep-2, -0x1.817fd3b7d7e5dp-58},
    {-0x1.8a8980abfbd32p-2, -0x1.99aa6df8b7d83p-56},
    {-0x1.6cb0f6865c8eap-2, -0x1.b6d40900b2502p-61},
    {-0x1.4f6fbb2cec598p-2, -0x1.e393a16b94b52p-56},
    {-0x1.32bfee370ee68p-2, -0x1.968925e378d68p-56},
    {-0x1.169c05363f158p-2, -0x1.c8d43e017579bp-56},
    {-0x1.f5fd8a9063e35p-3, 0x1.bdc0426c3c274p-57},
    {-0x1.bfc67a7fff4ccp-3, -0x1.bc0af7b82e7d7p-61},
    {-0x1.8a8980abfbd32p-3, -0x1.99aa6df8b7d83p-57},
    {-0x1.563dc29ffacb2p-3, -0x1.90e41bca6ef96p-60},
    {-0x1.22dadc2ab3497p-3, 0x1.696e2866c718ep-58},
    {-0x1.e0b1ae8f2fd56p-4, -0x1.92ce9636c90a0p-58},
    {-0x1.7d60496cfbb4cp-4, -0x1.9ced1447e30adp-58},
    {-0x1.1bb32a600549dp-4, -0x1.98c5452bbce74p-61},
    {-0x1.77394c9d958d5p-5, -0x1.77970e03f821cp-59},
    {-0x1.743ee861f3556p-6, -0x1.b2a41b08fbe06p-61},
    {0x0.0p+0, 0x0.0p+0},
    {0x1.6e79685c2d22ap-6, -0x1.d6476077b9fbdp-60},
    {0x1.6bad3758efd87p-5, 0x1.89b03784b5be1p-60},
    {0x1.0eb389fa29f9bp-4, -0x1.30c22d15199b8p-58},
    {0x1.663f6fac91316p-4, 0x1.f3314e0985116p-58},
    {0x1.bc84240adabbap-4, 0x1.8ecb169b9465fp-58},
    {0x1.08c588cda79e4p-3, -0x1.a7610e40bd6abp-57},
    {0x1.32ae9e278ae1ap-3, 0x1.f51f2c075a74cp-59},
    {0x1.5c01a39fbd688p-3, -0x1.817fd3b7d7e5dp-57},
    {0x1.84c2bd02f03b3p-3, -0x1.16edb88c4e2b5p-62},
    {0x1.acf5e2db4ec94p-3, -0x1.01ee1343fe7cap-59},
    {0x1.d49ee4c325970p-3, -0x1.b85a54d7ee2fdp-58},
    {0x1.fbc16b902680ap-3, 0x1.1d46ccc53c278p-58},
    {0x1.11307dad30b76p-2, -0x1.a7b47d2c352d9p-57},
    {0x1.24407ab0e073ap-2, -0x1.f6e91ad16ecffp-56},
    {0x1.37124cea4cdedp-2, -0x1.3376649b4fc09p-57},
    {0x1.49a784bcd1b8bp-2, -0x1.b6d40900b2502p-62},
    {0x1.5c01a39fbd688p-2, -0x1.817fd3b7d7e5dp-56},
    {0x1.6e221cd9d0cdep-2, 0x1.5e35482d13dc1p-56},
    {0x1.800a563161c54p-2, 0x1.9575b04fa6fbdp-57},
    {0x1.91bba891f1709p-2, -0x1.2d352bea51e59p-56},
    {0x1.a33760a7f6051p-2, -0x1.8a0efca1a184fp-56},
    {0x1.b47ebf73882a1p-2, -0x1.6fae441c09d76p-56},
    {0x1.c592fad295b56p-2, 0x1.f9fb952bbbcccp-56},
    {0x1.d6753e032ea0fp-2, -0x1.c141e66faaaadp-62},
    {0x1.e726aa1e754d2p-2, 0x1.8a33c25e8e226p-59},
    {0x1.f7a8568cb06cfp-2, -0x1.8f3673ffdd785p-57},
    {0x1.03fda8b97997fp-1, 0x1.9ca1a3202b3d7p-56},
};

// atanh(f) / f = sum f^2j / (2j+1), j = 0 .. 4, for |f| <= 1/179: the rest
// is below 2^-78.
constexpr double kAtanhTail[] = {0x1.c71c71c71c71cp-4, 0x1.2492492492492p-3, 0x1.999999999999ap-3};
constexpr DD kAtanhHead[] = {
    {0x1.5555555555555p-2, 0x1.5555555555555p-56},
    {1, 0},
};

// 2^(i/64), i = 0 .. 63.
constexpr DD kExp2Table[64] = {
    {0x1.0000000000000p+0, 0x0.0p+0},
    {0x1.02c9a3e778061p+0, -0x1.19083535b085dp-56},
    {0x1.059b0d3158574p+0, 0x1.d73e2a475b465p-55},
    {0x1.0874518759bc8p+0, 0x1.186be4bb284ffp-57},
    {0x1.0b5586cf9890fp+0, 0x1.8a62e4adc610bp-54},
    {0x1.0e3ec32d3d1a2p+0, 0x1.03a1727c57b53p-59},
    {0x1.11301d0125b51p+0, -0x1.6c51039449b3ap-54},
    {0x1.1429aaea92de0p+0, -0x1.32fbf9af1369ep-54},
    {0x1.172b83c7d517bp+0, -0x1.19041b9d78a76p-55},
    {0x1.1a35beb6fcb75p+0, 0x1.e5b4c7b4968e4p-55},
    {0x1.1d4873168b9aap+0, 0x1.e016e00a2643cp-54},
    {0x1.2063b88628cd6p+0, 0x1.dc775814a8495p-55},
    {0x1.2387a6e756238p+0, 0x1.9b07eb6c70573p-54},
    {0x1.26b4565e27cddp+0, 0x1.2bd339940e9d9p-55},
    {0x1.29e9df51fdee1p+0, 0x1.612e8afad1255p-55},
    {0x1.2d285a6e4030bp+0, 0x1.0024754db41d5p-54},
    {0x1.306fe0a31b715p+0, 0x1.6f46ad23182e4p-55},
    {0x1.33c08b26416ffp+0, 0x1.32721843659a6p-54},
    {0x1.371a7373aa9cbp+0, -0x1.63aeabf42eae2p-54},
    {0x1.3a7db34e59ff7p+0, -0x1.5e436d661f5e3p-56},
    {0x1.3dea64c123422p+0, 0x1.ada0911f09ebcp-55},
    {0x1.4160a21f72e2ap+0, -0x1.ef3691c309278p-58},
    {0x1.44e086061892dp+0, 0x1.89b7a04ef80d0p-59},
    {0x1.486a2b5c13cd0p+0, 0x1.3c1a3b69062f0p-56},
    {0x1.4bfdad5362a27p+0, 0x1.d4397afec42e2p-56},
    {0x1.4f9b2769d2ca7p+0, -0x1.4b309d25957e3p-54},
    {0x1.5342b569d4f82p+0, -0x1.07abe1db13cadp-55},
    {0x1.56f4736b527dap+0, 0x1.9bb2c011d93adp-54},
    {0x1.5ab07dd485429p+0, 0x1.6324c054647adp-54},
    {0x1.5e76f15ad2148p+0, 0x1.ba6f93080e65ep-54},
    {0x1.6247eb03a5585p+0, -0x1.383c17e40b497p-54},
    {0x1.6623882552225p+0, -0x1.bb60987591c34p-54},
    {0x1.6a09e667f3bcdp+0, -0x1.bdd3413b26456p-54},
    {0x1.6dfb23c651a2fp+0, -0x1.bbe3a683c88abp-57},
    {0x1.71f75e8ec5f74p+0, -0x1.16e4786887a99p-55},
    {0x1.75feb564267c9p+0, -0x1.0245957316dd3p-54},
    {0x1.7a11473eb0187p+0, -0x1.41577ee04992fp-55},
    {0x1.7e2f336cf4e62p+0, 0x1.05d02ba15797ep-56},
    {0x1.82589994cce13p+0, -0x1.d4c1dd41532d8p-54},
    {0x1.868d99b4492edp+0, -0x1.fc6f89bd4f6bap-54},
    {0x1.8ace5422aa0dbp+0, 0x1.6e9f156864b27p-54},
    {0x1.8f1ae99157736p+0, 0x1.5cc13a2e3976cp-55},
    {0x1.93737b0cdc5e5p+0, -0x1.75fc781b57ebcp-57},
    {0x1.97d829fde4e50p+0, -0x1.d185b7c1b85d1p-54},
    {0x1.9c49182a3f090p+0, 0x1.c7c46b071f2bep-56},
    {0x1.a0c667b5de565p+0, -0x1.359495d1cd533p-54},
    {0x1.a5503b23e255dp+0, -0x1.d2f6edb8d41e1p-54},
    {0x1.a9e6b5579fdbfp+0, 0x1.0fac90ef7fd31p-54},
    {0x1.ae89f995ad3adp+0, 0x1.7a1cd345dcc81p-54},
    {0x1.b33a2b84f15fbp+0, -0x1.2805e3084d708p-57},
    {0x1.b7f76f2fb5e47p+0, -0x1.5584f7e54ac3bp-56},
    {0x1.bcc1e904bc1d2p+0, 0x1.23dd07a2d9e84p-55},
    {0x1.c199bdd85529cp+0, 0x1.11065895048ddp-55},
    {0x1.c67f12e57d14bp+0, 0x1.2884dff483cadp-54},
    {0x1.cb720dcef9069p+0, 0x1.503cbd1e949dbp-56},
    {0x1.d072d4a07897cp+0, -0x1.cbc3743797a9cp-54},
    {0x1.d5818dcfba487p+0, 0x1.2ed02d75b3707p-55},
    {0x1.da9e603db3285p+0, 0x1.c2300696db532p-54},
    {0x1.dfc97337b9b5fp+0, -0x1.1a5cd4f184b5cp-54},
    {0x1.e502ee78b3ff6p+0, 0x1.39e8980a9cc8fp-55},
    {0x1.ea4afa2a490dap+0, -0x1.e9c23179c2893p-54},
    {0x1.efa1bee615a27p+0, 0x1.dc7f486a4b6b0p-54},
    {0x1.f50765b6e4540p+0, 0x1.9d3e12dd8a18bp-54},
    {0x1.fa7c1819e90d8p+0, 0x1.74853f3a5931ep-55},
};

// exp(s) = sum s^j / j!, j = 0 .. 7, for |s| <= ln(2)/128: the rest is
// below 2^-75.
constexpr double kExpTail[] = {
    0x1.a01a01a01a01ap-13, 0x1.6c16c16c16c17p-10, 0x1.1111111111111p-7,
    0x1.5555555555555p-5, 0x1.5555555555555p-3,
};
constexpr DD kExpHead[] = {{0.5, 0}, {1, 0}, {1, 0}};

constexpr double kSqrtHalf = 0x1.6a09e667f3bcdp-1;

// log2(x) for finite x > 0, to about 2^-75 of its value: x = m 2^e with m
// in [sqrt(1/2), sqrt(2)), c = j/64 the nearest table point, and
// log2(m) = log2(c) + 2 atanh(f) / ln 2 with f = (m - c) / (m + c).
DD Log2(double x)
{
    int e;
    double m = FrExp(x, e);
    if (m < kSqrtHalf) {
        m *= 2;
        --e;
    }
    const int j = static_cast<int>(RoundToInteger(m * 64));
    const double c = j * (1.0 / 64);
    // m - c is exact (m lies within a factor 2 of c).
    const DD f = Div({m - c, 0}, TwoSum(m, c));
    const DD atanh2 = Mul(Mul(Poly(Mul(f, f), kAtanhTail, kAtanhHead), f), 2.0);
    return Add(Add(Mul(atanh2, kInvLn2), kLog2Table[j - 45]), static_cast<double>(e));
}

// 2^w, rounded once: w = k/64 + r with k the nearest integer to 64 w, and
// 2^w = 2^(k div 64) 2^((k mod 64)/64) exp(r ln 2).
double Exp2(DD w)
{
    if (w.hi >= 1025) return kInf;
    if (w.hi <= -1077) return 0.0; // below half the smallest subnormal
    const double k = RoundToInteger(w.hi * 64);
    const DD r = TwoSum(w.hi - k * (1.0 / 64), w.lo); // the difference is exact
    const int ki = static_cast<int>(k);
    const int i = ki & 63, q = (ki - i) / 64;
    const DD e = Mul(Poly(Mul(r, kLn2), kExpTail, kExpHead), kExp2Table[i]);
    if (q >= -1021) return ScaleB(e.hi, q); // a normal result (or overflow): exact scaling
    // A subnormal result: rounding e.hi first and then again to the coarser
    // spacing could be off by one unit, so round e * 2^q at the subnormal
    // spacing 2^-1074 directly, ties to even.
    const double hi = ScaleB(e.hi, q + 1074), lo = ScaleB(e.lo, q + 1074);
    double n = hi; // hi below 2^52 rounded down to a whole number
    if (hi < 0x1p52) {
        n = (hi + 0x1p52) - 0x1p52;
        if (n > hi) n -= 1;
    }
    const double d = hi - n;
    if (d > 0.5 || (d == 0.5 && (lo > 0 || (lo == 0 && !IsWhole(n * 0.5))))) n += 1;
    return ScaleB(n, -1074);
}

// Every double from 2^53 on is even.
bool IsOddInteger(double y) { return std::fabs(y) < 0x1p53 && IsWhole(y) && !IsWhole(y * 0.5); }

} // namespace

double PortableSin(double x)
{
    const double ax = std::fabs(x);
    if (!(ax < kInf)) return x - x; // NaN for NaN and the infinities
    if (ax < kTinyAngle) return x;
    const Reduced red = Reduce(ax);
    double s = ((red.quadrant & 1) ? CosOfReduced(red.r) : SinOfReduced(red.r)).hi;
    if (red.quadrant & 2) s = -s;
    return x < 0 ? -s : s;
}

double PortableCos(double x)
{
    const double ax = std::fabs(x);
    if (!(ax < kInf)) return x - x;
    if (ax < kTinyAngle) return 1.0;
    const Reduced red = Reduce(ax);
    const double c = ((red.quadrant & 1) ? SinOfReduced(red.r) : CosOfReduced(red.r)).hi;
    return (red.quadrant == 1 || red.quadrant == 2) ? -c : c;
}

double PortableTan(double x)
{
    const double ax = std::fabs(x);
    if (!(ax < kInf)) return x - x;
    if (ax < kTinyAngle) return x;
    const Reduced red = Reduce(ax);
    const DD s = SinOfReduced(red.r), c = CosOfReduced(red.r);
    const double t = (red.quadrant & 1) ? -Div(c, s).hi : Div(s, c).hi;
    return x < 0 ? -t : t;
}

double PortableAsin(double x)
{
    const double ax = std::fabs(x);
    if (x != x) return x + x;
    if (ax > 1) return (x - x) / (x - x);
    if (ax < kTinyAngle) return x; // the next term is under 2^-55 of x
    const double a = AtanOfRatio({ax, 0}, CoLeg(ax)).hi;
    return x < 0 ? -a : a;
}

double PortableAcos(double x)
{
    const double ax = std::fabs(x);
    if (x != x) return x + x;
    if (ax > 1) return (x - x) / (x - x);
    const DD a = AtanOfRatio(CoLeg(ax), {ax, 0});
    return (x < 0 ? Add(kPi, Neg(a)) : a).hi;
}

double PortableAtan2(double y, double x)
{
    if (x != x || y != y) return x + y;
    const double ay = std::fabs(y), ax = std::fabs(x);
    const bool left = std::signbit(x);
    double a;
    if (ay == 0) {
        a = left ? kPi.hi : 0.0;
    } else if (ax == kInf) {
        a = ay == kInf ? (left ? Add(kPi, Neg(Mul(kPiOver2, 0.5))).hi : 0.5 * kPiOver2.hi)
                       : (left ? kPi.hi : 0.0);
    } else if (ay == kInf || ax == 0) {
        a = kPiOver2.hi;
    } else {
        int ey, ex;
        FrExp(ay, ey);
        FrExp(ax, ex);
        if (ey - ex > 60) {
            a = kPiOver2.hi; // pi/2 -+ less than 2^-59 rounds to pi/2
        } else if (ex - ey > 60) {
            // atan(u) = u (1 - u^2/3 ...) rounds as u does; pi - u rounds to pi.
            a = left ? kPi.hi : ay / ax;
        } else {
            // Scaled so that the larger is near 1 and the smaller stays
            // normal: both products exact, no overflow in the splitting.
            const int s = -(ey > ex ? ey : ex);
            const DD r = AtanOfRatio({ScaleB(ay, s), 0}, {ScaleB(ax, s), 0});
            a = (left ? Add(kPi, Neg(r)) : r).hi;
        }
    }
    return std::signbit(y) ? -a : a;
}

double PortableAtan(double x) { return PortableAtan2(x, 1.0); }

double PortablePow(double x, double y)
{
    if (y == 0 || x == 1) return 1.0; // even for NaN
    if (x != x || y != y) return x + y;
    const double ax = std::fabs(x);
    if (std::fabs(y) == kInf) {
        if (ax == 1) return 1.0; // (-1)^(+-inf)
        return (ax > 1) == (y > 0) ? kInf : 0.0;
    }
    const bool odd = IsOddInteger(y);
    if (ax == 0) {
        if (y < 0) return odd ? 1 / x : kInf; // 1 / x keeps the sign of the zero
        return odd ? x : 0.0;
    }
    if (ax == kInf) {
        if (x < 0) {
            if (y < 0) return odd ? -0.0 : 0.0;
            return odd ? -kInf : kInf;
        }
        return y < 0 ? 0.0 : kInf;
    }
    if (x < 0 && !IsWhole(y)) return (x - x) / (x - x);

    const DD l = Log2(ax);
    const double estimate = y * l.hi; // may be infinite: then far out of range
    double r;
    if (estimate > 1100)
        r = kInf;
    else if (estimate < -1100)
        r = 0.0;
    else
        r = Exp2(Mul(l, y));
    return x < 0 && odd ? -r : r;
}

} // namespace __VELTRIC__
