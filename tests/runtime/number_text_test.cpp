// The number-to-text rule: a table of known texts, and a property check
// against the rule's literal form (printf "%-#.*g" with ten digits, then
// the finishing steps) over many doubles and floats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "runtime/dgstr.h"
#include "runtime/number_text.h"

using namespace __VELTRIC__;

namespace {

std::string Text(double v)
{
    char buf[kNumberTextMax];
    std::size_t n = FormatNumber(v, buf);
    EXPECT_EQ(n, std::strlen(buf));
    return buf;
}

// The rule as it is written: printf, then steps 2 to 6 one by one.
std::string LiteralRule(double v)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "%-#.*g", 10, v);
    std::string s = buf;
    // glibc's printf loses the kept zeros when rounding to ten digits carries
    // a value just below 1e10 into the exponent form ("1.e+10"); the format
    // keeps ten significant digits there as everywhere else.
    if (s == "1.e+10" || s == "-1.e+10") s.replace(s.find(".e"), 2, ".000000000e");
    std::size_t at = (!s.empty() && s[0] == '-') ? 1 : 0;
    if (s.compare(at, 2, "0.") == 0) s.erase(at, 1);
    if (s.find('e') == std::string::npos)
        while (s.size() >= 3 && s.back() == '0') s.pop_back();
    std::size_t e = s.find('e');
    if (e == std::string::npos) {
        if (!s.empty() && s.back() == '.') s.pop_back();
    } else if (e > 0 && s[e - 1] == '.') {
        s.erase(e - 1, 1);
    }
    if (s == ".0") s = "0";
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
}

struct TextCase {
    double value;
    const char* text;
};

class NumberTextTable : public ::testing::TestWithParam<TextCase> {};

TEST_P(NumberTextTable, GivesTheText)
{
    EXPECT_EQ(Text(GetParam().value), GetParam().text);
}

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Known, NumberTextTable,
    ::testing::Values(TextCase{1.5, "1.5"}, TextCase{100, "100"}, TextCase{0.25, ".25"},
                      TextCase{-0.5, "-.5"}, TextCase{0.0, "0"},
                      // negative zero: the literal steps would leave a bare "-"
                      TextCase{-0.0, "0"}, TextCase{1e20, "1.000000000e+20"},
                      TextCase{1e-05, "1.000000000e-05"}, TextCase{0.0001, ".0001"},
                      TextCase{123456789, "123456789"}, TextCase{1234567890, "1234567890"},
                      TextCase{12345678901.0, "1.234567890e+10"},
                      TextCase{3.14159265358979, "3.141592654"}, TextCase{2.0 / 3.0, ".6666666667"},
                      TextCase{1000.0 / 60.0, "16.66666667"},
                      TextCase{static_cast<double>(0.1f), ".1000000015"}, TextCase{-7, "-7"},
                      TextCase{-1e-300, "-1.000000000e-300"},
                      // rounding to ten digits moves the value into the exponent form
                      TextCase{9999999999.5, "1.000000000e+10"}, TextCase{9999999999.0, "9999999999"},
                      TextCase{0.000099999999996, ".0001"},
                      TextCase{kInf, "inf"}, TextCase{-kInf, "-inf"}, TextCase{kNaN, "nan"},
                      TextCase{-kNaN, "-nan"}));

TEST(NumberText, IntegersArePlainDecimal)
{
    const struct {
        int v;
        const char* text;
    } cases[] = {{0, "0"}, {-1, "-1"}, {2147483647, "2147483647"}, {-2147483647 - 1, "-2147483648"}};
    for (const auto& c : cases) {
        char buf[kNumberTextMax];
        EXPECT_EQ(FormatInteger(c.v, buf), std::strlen(c.text));
        EXPECT_STREQ(buf, c.text);
        EXPECT_STREQ(DGStr(c.v).c_str(), c.text);
    }
}

void ExpectSameAsLiteral(double v)
{
    std::string want = LiteralRule(v);
    std::string got = Text(v);
    ASSERT_EQ(got, want) << "value bits " << std::hex
                         << [&] { std::uint64_t b; std::memcpy(&b, &v, 8); return b; }();
}

TEST(NumberText, MatchesTheLiteralRuleOnRandomBitPatterns)
{
    std::mt19937_64 rng(20240611);
    for (int i = 0; i < 300000; ++i) {
        std::uint64_t bits = rng();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (v == 0.0) continue; // zero of either sign is in the table
        ExpectSameAsLiteral(v);
    }
}

TEST(NumberText, MatchesTheLiteralRuleAcrossTheFormBoundaries)
{
    // Values around every power of ten the two forms switch at, and short
    // decimals whose ten-digit rounding ends in zeros or ties.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> mantissa(1.0, 10.0);
    std::uniform_int_distribution<int> exponent(-8, 13);
    std::uniform_int_distribution<int> digits(0, 99999);
    for (int i = 0; i < 200000; ++i) {
        double v = mantissa(rng) * std::pow(10.0, exponent(rng));
        if (i & 1) v = -v;
        ExpectSameAsLiteral(v);
        ExpectSameAsLiteral(digits(rng) / 1000.0);
        ExpectSameAsLiteral(std::nextafter(std::pow(10.0, exponent(rng)), 0.0));
        ExpectSameAsLiteral(std::nextafter(std::pow(10.0, exponent(rng)), kInf));
    }
}

TEST(NumberText, MatchesTheLiteralRuleForFloatsWidened)
{
    std::mt19937 rng(99);
    for (int i = 0; i < 200000; ++i) {
        std::uint32_t bits = rng();
        float f;
        std::memcpy(&f, &bits, sizeof f);
        if (f == 0.0f) continue;
        ExpectSameAsLiteral(static_cast<double>(f));
        // A float operand of a string operator is shown the same way.
        DGStr s(f);
        ASSERT_EQ(std::string(s.c_str()), LiteralRule(static_cast<double>(f)));
    }
}

} // namespace
