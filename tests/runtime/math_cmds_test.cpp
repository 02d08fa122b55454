// Math in degrees, remainders, the seeded generator and DATA/READ.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "fatal_in_child.h"
#include "runtime/data_read.h"
#include "runtime/math_cmds.h"

using namespace __VELTRIC__;

namespace {

TEST(Math, AnglesInDegreesAreExactAtTheRightAngles)
{
    struct {
        const char* name;
        double got, want;
    } cases[] = {
        {"SIN(90)", SIN(90), 1},        {"COS(180)", COS(180), -1},   {"ATAN(0, -1)", ATAN(0, -1), 180},
        {"ATAN(1, 0)", ATAN(1, 0), 90}, {"ATAN(-1, 0)", ATAN(-1, 0), -90},
        {"ACOS(0)", ACOS(0), 90},       {"ACOS(1)", ACOS(1), 0},      {"ACOS(-1)", ACOS(-1), 180},
        {"ACOS(3)", ACOS(3), 0},        {"ASIN(2)", ASIN(2), 90},     {"ASIN(-5)", ASIN(-5), -90},
        {"SQR(16)", SQR(16), 4},        {"POW(2, 10)", POW(2, 10), 1024},
        {"ABS(-2.5)", ABS(-2.5), 2.5},  {"FMOD(-5.5, 2)", FMOD(-5.5, 2), -1.5},
        {"FMOD(5.5, 0)", FMOD(5.5, 0), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
    EXPECT_NEAR(TAN(45), 1, 1e-12);
    EXPECT_NEAR(ASIN(0.5), 30, 1e-12);
    EXPECT_TRUE(std::isnan(ASIN(std::nan(""))));
    EXPECT_TRUE(std::isnan(ACOS(std::nan(""))));
    EXPECT_TRUE(std::isnan(SQR(-1)));
}

TEST(Math, IntegerRemainderAndAbsoluteValueNeverFault)
{
    struct {
        int a, b, want;
    } mods[] = {
        {-7, 3, -1}, {7, -3, 1}, {7, 3, 1}, {5, 0, 0}, {INT_MIN, -1, 0}, {INT_MIN, 3, -2}, {INT_MAX, -1, 0},
    };
    for (const auto& m : mods)
        EXPECT_EQ(MOD(m.a, m.b), m.want) << m.a << " MOD " << m.b;
    EXPECT_EQ(ABS(-5), 5);
    EXPECT_EQ(ABS(INT_MAX), INT_MAX);
    EXPECT_EQ(ABS(INT_MIN), INT_MIN); // 32-bit wrap-around
}

// The generator as at process start: every word zero.
void FreshSeed(unsigned long seed)
{
    __g_ctx = RTRandContext{};
    RTsrand(seed);
}

TEST(Random, FirstValuesAfterAFixedSeed)
{
    // Worked out from the generator's steps independently of this code.
    // The seed is an unsigned long: 64 bits on x86_64, 32 on x86, where the
    // last row already arrives cut to its low 32 bits.
    struct {
        unsigned long long seed;
        std::uint32_t first[4];
    } golden[] = {
        {0, {0x52f1b2da, 0x2bdd209e, 0x688c57f1, 0x80d29a96}},
        {1, {0x353a3f30, 0xba4d0e64, 0xe4414d4e, 0x279cf3cd}},
        {12345, {0xc79536ee, 0xf1c4793d, 0xc0bcf2a7, 0x8b207367}},
        {0xffffffffULL, {0x4a33e33f, 0x04441d0d, 0x53d6ad9c, 0x20eb7ad0}},
        {0x1ffffffffULL, {0x4a33e33f, 0x04441d0d, 0x53d6ad9c, 0x20eb7ad0}}, // low 32 bits only
    };
    for (const auto& g : golden) {
        SCOPED_TRACE(g.seed);
        FreshSeed(static_cast<unsigned long>(g.seed));
        EXPECT_EQ(__g_ctx.count, 256u);
        for (std::uint32_t want : g.first)
            EXPECT_EQ(RTrand(), want);
    }
    FreshSeed(42);
    const double rnd255[] = {47, 106, 159, 209, 146};
    for (double want : rnd255)
        EXPECT_EQ(RND(255), want);
}

TEST(Random, ASeedGivesItsSequenceWhateverWasDrawnBefore)
{
    // Start-up has seeded from the clock and the program has drawn numbers:
    // seeding again with a fixed number gives that number's sequence.
    FreshSeed(12345);
    const std::uint32_t want[3] = {RTrand(), RTrand(), RTrand()};
    for (std::uint32_t clock : {0u, 1733868000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(clock);
        FreshSeed(clock);
        for (int i = 0; i < 5; ++i) RTrand();
        RTsrand(12345);
        EXPECT_EQ(__g_ctx.count, 256u);
        for (std::uint32_t w : want) EXPECT_EQ(RTrand(), w);
    }
}

TEST(Random, RangeOfRnd)
{
    FreshSeed(7);
    EXPECT_EQ(RND(0), 0);
    EXPECT_EQ(RND(-3), 0);
    EXPECT_EQ(RND(INT_MIN), 0);
    bool seen[2] = {};
    for (int i = 0; i < 200; ++i) {
        double v = RND(1);
        ASSERT_TRUE(v == 0 || v == 1) << v;
        seen[static_cast<int>(v)] = true;
        double w = RND(INT_MAX);
        ASSERT_GE(w, 0);
        ASSERT_LE(w, INT_MAX);
        ASSERT_EQ(w, std::floor(w));
    }
    EXPECT_TRUE(seen[0] && seen[1]);
}

RTDataItem gItems[] = {{2.9, nullptr}, {-2.9, nullptr}, {0, "1.5"}, {3, nullptr}, {0, "text"}};
RTDataStoreageContainer gList = {gItems, 5, 0};
RTDataItem gOther[] = {{1e300, nullptr}, {-1e300, nullptr}, {std::numeric_limits<double>::quiet_NaN(), nullptr}};
RTDataStoreageContainer gOtherList = {gOther, 3, 0};

TEST(DataRead, ItemsConvertToTheTypeRead)
{
    RESTORE(gList);
    int i = 0;
    double d = 0;
    DGStr s;
    READ(i);
    EXPECT_EQ(i, 2);
    READ(i);
    EXPECT_EQ(i, -2);
    READ(d);
    EXPECT_EQ(d, 1.5);
    READ(s);
    EXPECT_STREQ(s.c_str(), DGStr(3.0).c_str());
    READ(s);
    EXPECT_STREQ(s.c_str(), "text");

    RESTORE(gOtherList); // each list has its own position; RESTORE starts over
    READ(d);
    EXPECT_EQ(d, 1e300);
    EXPECT_EQ(&RESTORE(gList), &gList);
    READ(d);
    EXPECT_EQ(d, 2.9);
}

TEST(DataRead, IntegerReadOfAnOutOfRangeNumberIsClamped)
{
    RESTORE(gOtherList);
    int i = 5;
    READ(i);
    EXPECT_EQ(i, INT_MAX);
    READ(i);
    EXPECT_EQ(i, INT_MIN);
    READ(i);
    EXPECT_EQ(i, 0);
}

TEST(DataRead, ReadingPastTheEndOrWithoutAListIsError20)
{
    values_test::FatalReport r = values_test::RunFatal([] {
        static RTDataItem three[] = {{1, nullptr}, {2, nullptr}, {0, "c"}};
        static RTDataStoreageContainer list = {three, 3, 0};
        RESTORE(list);
        DGStr s;
        for (int k = 0; k < 3; ++k)
            READ(s);
        std::printf("three read\n");
        READ(s);
    });
    EXPECT_NE(r.out.find("three read"), std::string::npos) << r.out;
    EXPECT_FALSE(r.returned);
    EXPECT_EQ(r.Error(), 20) << r.out;

    r = values_test::RunFatal([] {
        __gpDataContainer = nullptr;
        double d;
        READ(d);
    });
    EXPECT_FALSE(r.returned);
    EXPECT_EQ(r.Error(), 20) << r.out;
}

} // namespace
