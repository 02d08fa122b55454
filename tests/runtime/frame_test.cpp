// The frame step without a window: frame times on a seamed clock, the
// pauses, the quit keys (in child processes, since quitting ends the
// process), HIBERNATE and the settings commands.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <memory>

#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/opengl_dedudeve.h"
#include "platform/platform.h"
#include "runtime/core.h"
#include "runtime/frame.h"
#include "tests/media/fake_input.h"

using namespace __VELTRIC__;
using input_test::FakeInput;

namespace {

double g_now = 0.0;
double SeamClock() { return g_now; }

class ClockTest : public ::testing::Test {
protected:
    void SetUp() override { SetPlatformClockForTesting(&SeamClock); }
    void TearDown() override { SetPlatformClockForTesting(nullptr); }
};

TEST_F(ClockTest, FrameTimeIsTheDifferenceOfTheLastTwoFramesAndNeverZero)
{
    g_now = 5000.0;
    __g_ThisTime = __g_LastTime = __g_FirstTime = g_now; // as start-up leaves them
    EXPECT_EQ(GETTIMER(), 1.0);

    g_now = 5016.5;
    SHOWSCREEN();
    EXPECT_DOUBLE_EQ(GETTIMER(), 16.5);
    EXPECT_DOUBLE_EQ(GETTIMERALL(), 16.5);
    SHOWSCREEN(); // same clock reading
    EXPECT_EQ(GETTIMER(), 1.0);
    g_now = 5010.0; // a clock that went back
    SHOWSCREEN();
    EXPECT_EQ(GETTIMER(), 1.0);
    g_now = 5100.25;
    EXPECT_DOUBLE_EQ(GETTIMERALL(), 100.25);
    EXPECT_EQ(GETTIMER(), 1.0) << "changes only with SHOWSCREEN";

    __g_LastTime = std::nan("");
    EXPECT_TRUE(std::isnan(GETTIMER()));
}

double MsSince(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

TEST(Sleep, PausesWholeMillisecondsAndRefusesNegativeOnes)
{
    const double inf = std::numeric_limits<double>::infinity();
    // "No pause" is bounded by half a second: far below any pause a wrong
    // conversion would give (0.9 taken as seconds, a negative count taken as
    // unsigned), far above what a busy machine adds to a call that returns.
    constexpr double kNoPause = 500;
    const struct { double ms; int result; double atLeast, below; } cases[] = {
        {1500, 0, 1500, 10000},
        {0.9, 0, 0, kNoPause},       // 0 after truncation
        {0, 0, 0, kNoPause},
        {-5, -1, 0, kNoPause},
        {-0.5, 0, 0, kNoPause},      // truncates to 0
        {std::nan(""), 0, 0, kNoPause},
        {-1e300, -1, 0, kNoPause},   // beyond the range: clamped, still negative
        {-inf, -1, 0, kNoPause},
        {-2147483649.0, -1, 0, kNoPause},
    };
    for (const auto& c : cases) {
        const auto t0 = std::chrono::steady_clock::now();
        EXPECT_EQ(SLEEP(c.ms), c.result) << c.ms;
        const double took = MsSince(t0);
        EXPECT_GE(took, c.atLeast) << c.ms;
        EXPECT_LT(took, c.below) << c.ms;
    }
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Sleep(20), 0);
    EXPECT_GE(MsSince(t0), 20.0);
    EXPECT_EQ(Sleep(0), 0);
}

TEST(Settings, AllowEscapeAndAutoPause)
{
    const struct { double on; bool allowed; } cases[] = {
        {0, false}, {1, true}, {-0.0, false}, {0.001, true}, {std::nan(""), true}, {-3, true},
    };
    for (const auto& c : cases) {
        ALLOWESCAPE(c.on);
        EXPECT_EQ(__g_AllowEscape, c.allowed) << c.on;
    }
    AUTOPAUSE(0);
    EXPECT_FALSE(__g_allowPause);
    AUTOPAUSE(7);
    EXPECT_TRUE(__g_allowPause);
    ALLOWESCAPE(1);
}

// ---- the quit keys -------------------------------------------------------------

class QuitKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        GTEST_FLAG_SET(death_test_style, "threadsafe");
        FakeInput::Install();
        in = new DXInput();
        in->CreateDInput(0, 0, false);
        pDXin = in;
        ALLOWESCAPE(1);
    }
    void TearDown() override
    {
        pDXin = nullptr;
        delete in;
        FakeInput::Uninstall();
        ALLOWESCAPE(1);
    }
    DXInput* in = nullptr;
};

// The end report goes to standard output; the death test reads standard error.
void ReportToStderrAndShowScreen()
{
    dup2(2, 1);
    __DG_DEBUG = 1;
    __g_debugline = 12;
    __g_error = 9;
    SHOWSCREEN();
}

TEST_F(QuitKeysTest, HeldEscapeEndsWithErrorZeroAtTheCurrentLine)
{
    FakeInput::keys[SDLK_ESCAPE] = 1;
    EXPECT_EXIT(ReportToStderrAndShowScreen(), ::testing::ExitedWithCode(0),
                "-End On Line\n0\n11\n12\n");
}

TEST_F(QuitKeysTest, HeldEscapeIsIgnoredWhenNotAllowed)
{
    ALLOWESCAPE(0);
    FakeInput::keys[SDLK_ESCAPE] = 1;
    SHOWSCREEN(); // returns
    SUCCEED();
}

TEST_F(QuitKeysTest, LeftAltWithF4EndsWhateverAllowEscapeSays)
{
    ALLOWESCAPE(0);
    FakeInput::keys[SDLK_LALT] = 1;
    SHOWSCREEN();
    FakeInput::keys[SDLK_LALT] = 0;
    FakeInput::keys[SDLK_F4] = 1;
    SHOWSCREEN();
    FakeInput::keys[SDLK_RALT] = 1; // the right Alt key is not a quit key
    SHOWSCREEN();
    FakeInput::keys[SDLK_LALT] = 1;
    EXPECT_EXIT(SHOWSCREEN(), ::testing::ExitedWithCode(0), "");
}

TEST_F(QuitKeysTest, ShowScreenStartsAFreshMouseFrame)
{
    in->m_freshRead = false;
    SHOWSCREEN();
    EXPECT_TRUE(in->m_freshRead);
}

// ---- HIBERNATE ------------------------------------------------------------------

TEST_F(QuitKeysTest, HibernateReturnsAtOnceOnAKeyAndAfterItsPassesWithout)
{
    HIBERNATE();
    const int idlePumps = FakeInput::pumps;

    FakeInput::pumps = 0;
    FakeInput::keys[SDLK_a] = 1;
    HIBERNATE();
    EXPECT_LT(FakeInput::pumps * 5, idlePumps) << "a key held on entry ends the first pass";

    FakeInput::keys[SDLK_a] = 0;
    FakeInput::pumps = 0;
    FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT); // held on entry: no change
    HIBERNATE();
    EXPECT_EQ(FakeInput::pumps, idlePumps);
}

TEST_F(QuitKeysTest, HibernateComparesTheMouseClampedToTheWindow)
{
    HIBERNATE();
    const int idlePumps = FakeInput::pumps;

    OpenGLDedudeve renderer; // its window size only
    renderer.m_width = 640;
    renderer.m_height = 480;
    __g_pRbow = &renderer;
    // The hidden pointer keeps moving right, past the window's edge: clamped,
    // the position stays the same, so HIBERNATE sees no change.
    in->m_pointerShown = false;
    SETMOUSE(700, 500);
    FakeInput::dx = 10;
    FakeInput::repeatMotion = true;
    FakeInput::pumps = 0;
    HIBERNATE();
    __g_pRbow = nullptr;
    EXPECT_EQ(FakeInput::pumps, idlePumps);
    EXPECT_EQ(in->m_mouseX, 639);
    EXPECT_EQ(in->m_mouseY, 479);

    // Inside the window the same motion is a change.
    SETMOUSE(100, 100);
    FakeInput::pumps = 0;
    HIBERNATE();
    EXPECT_LT(FakeInput::pumps * 5, idlePumps);
}

TEST_F(QuitKeysTest, HibernateEndsOnEscapeWhenAllowed)
{
    FakeInput::keys[SDLK_ESCAPE] = 1;
    EXPECT_EXIT(HIBERNATE(), ::testing::ExitedWithCode(0), "");
    ALLOWESCAPE(0);
    HIBERNATE(); // Escape is an ordinary key now: returns
    SUCCEED();
}

} // namespace
