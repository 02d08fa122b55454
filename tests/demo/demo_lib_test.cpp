// The demo's timing library on a seamed clock, and its text helpers.
#include <gtest/gtest.h>

#include <string>

#include "demo/apptime.h"
#include "demo/textlayout.h"
#include "platform/platform.h"
#include "runtime/veltric.h"

using namespace __VELTRIC__;

namespace {

double g_now = 0;
double FakeClock() { return g_now; }

class AppTimeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_now = 5000;
        __g_FirstTime = 1000; // GETTIMERALL counts from the end of start-up
        SetPlatformClockForTesting(FakeClock);
    }
    void TearDown() override { SetPlatformClockForTesting(nullptr); }
};

TEST_F(AppTimeTest, SpeedIsElapsedOverTheDesiredLoopTime)
{
    struct Case {
        double gap;
        double speed;
    } cases[] = {{1000.0 / 60, 1.0}, {2000.0 / 60, 2.0}, {500.0 / 60, 0.5}, {100, 6.0}};
    initAppTime(60);
    EXPECT_EQ(updateAppTime(), 1.0) << "the first update only starts the clock";
    for (const Case& c : cases) {
        g_now += c.gap;
        EXPECT_NEAR(updateAppTime(), c.speed, 1e-9) << "gap " << c.gap;
    }
}

TEST_F(AppTimeTest, FrequencyOfZeroOrBelowKeepsSixty)
{
    for (int f : {0, -5}) {
        initAppTime(f);
        updateAppTime();
        g_now += 1000.0 / 60;
        EXPECT_NEAR(updateAppTime(), 1.0, 1e-9) << "frequency " << f;
        EXPECT_EQ(AppTime_DesiredFrequency, 60);
    }
}

TEST_F(AppTimeTest, NoTimeOrABackwardStepNeverGivesZeroOrNegativeSpeed)
{
    initAppTime(60);
    updateAppTime();
    EXPECT_NEAR(updateAppTime(), 0.06, 1e-9) << "same clock value: one millisecond";
    g_now -= 500; // the clock steps back
    double speed = updateAppTime();
    EXPECT_NEAR(speed, 0.06, 1e-9);
    g_now += 1000.0 / 60;
    EXPECT_NEAR(updateAppTime(), (1000.0 / 60 - 1) / (1000.0 / 60), 1e-9)
        << "the next frames run from the new reading, not frozen until the clock catches up";
}

TEST_F(AppTimeTest, UpdatesPerSecondAfterTheFirstSecond)
{
    initAppTime(60);
    updateAppTime();
    for (int i = 0; i < 59; ++i) {
        g_now += 10;
        updateAppTime();
    }
    EXPECT_EQ(AppTime_UPS, 0) << "no complete second yet";
    for (int i = 0; i < 41; ++i) {
        g_now += 10;
        updateAppTime();
    }
    EXPECT_NEAR(AppTime_UPS, 101, 1e-9) << "101 updates, the starting one included, in one second";
}

TEST_F(AppTimeTest, PausedTimeDoesNotCount)
{
    initAppTime(60);
    updateAppTime();
    g_now += 10;
    pauseUnPauseAppTime(1);
    double start = AppTime_PauseStart;
    g_now += 2000;
    pauseUnPauseAppTime(1);
    EXPECT_EQ(AppTime_PauseStart, start) << "pausing twice keeps the first start";
    EXPECT_EQ(updateAppTime(), 0.0);
    g_now += 3000;
    pauseUnPauseAppTime(0);
    EXPECT_EQ(AppTime_PauseStart, 0);
    g_now += 1000.0 / 60 - 10;
    EXPECT_NEAR(updateAppTime(), (1000.0 / 60 - 10) / (1000.0 / 60), 1e-9)
        << "only the time since the update before the pause";
}

TEST(TextLayout, Table)
{
    struct Case {
        const char* what;
        DGStr got;
        const char* want;
    } cases[] = {
        {"LEFT 2", LEFT_Str(DGStr("Hello"), 2), "He"},
        {"LEFT 0", LEFT_Str(DGStr("Hello"), 0), ""},
        {"LEFT -1", LEFT_Str(DGStr("Hello"), -1), "Hello"},
        {"RIGHT 2", RIGHT_Str(DGStr("Hello"), 2), "lo"},
        {"RIGHT 9", RIGHT_Str(DGStr("Hello"), 9), "Hello"},
        {"RIGHT -1", RIGHT_Str(DGStr("Hello"), -1), ""},
        {"pad .", padString_Str(DGStr("ab"), 5, DGStr(".")), "ab..."},
        {"pad xyz", padString_Str(DGStr("ab"), 5, DGStr("xyz")), "abxyz"},
        {"pad long text", padString_Str(DGStr("abcdef"), 3, DGStr(".")), "abcdef"},
        {"pad empty", padString_Str(DGStr("ab"), 5, DGStr("")), "ab"},
        {"pad empty, no text", padString_Str(DGStr(""), 1000000, DGStr()), ""},
    };
    for (const Case& c : cases) EXPECT_STREQ(c.got.c_str(), c.want) << c.what;

    EXPECT_EQ(centreTextX(800, 8, DGStr("abcd")), 384);
    EXPECT_EQ(centreTextX(10, 8, DGStr("abc")), -7) << "integer division truncates toward zero";
    EXPECT_EQ(centreTextY(600, 9, DGStr("t")), 295);
}

} // namespace
