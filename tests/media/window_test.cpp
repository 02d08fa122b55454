// The window: its graphics report, the 2D viewport, mode changes, window
// events and the pacing of the buffer flips (on the real clock with bounds
// that hold on a loaded machine, and on a test clock where exact values
// are checked).
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_opengl.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "media/opengl_dedudeve.h"
#include "platform/platform.h"

using namespace __VELTRIC__;

namespace {

constexpr int kW = 320;
constexpr int kH = 240;

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

double RealSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// ---- without any window ----------------------------------------------------

TEST(WindowWithoutVideo, ModeSwitchesWithoutASurfaceFailSafely)
{
    ASSERT_EQ(SDL_GetVideoSurface(), nullptr);
    OpenGLDedudeve r;
    EXPECT_EQ(r.m_glReady, 0);
    EXPECT_EQ(r.m_currentScreen, -1);
    EXPECT_EQ(r.m_colorKey, 0x8000FFu);
    EXPECT_EQ(r.DoFullscreen(), 0);
    EXPECT_EQ(r.DoWindowed(), 0);
    EXPECT_EQ(r.m_fullscreen, 0);
    EXPECT_EQ(r.SetScreen(-1, 200, 0, 0), 0);
    EXPECT_EQ(r.m_width, 0);
}

TEST(WindowWithoutVideo, FramePeriodFromTheLimit)
{
    OpenGLDedudeve r;
    const struct {
        int fps;
        double period;
    } cases[] = {{60, 1000.0 / 60.0}, {50, 20.0}, {1, 1000.0}, {0, 2.0}, {-5, 2.0}};
    for (const auto& c : cases) {
        r.SetMaxFPS(c.fps);
        EXPECT_DOUBLE_EQ(r.m_framePeriod, c.period) << c.fps;
    }
}

TEST(WindowWithoutVideo, HandleEventAnswersEscapeDownAndQuitOnly)
{
    const struct {
        Uint8 type;
        SDLKey key;
        std::uint32_t expected;
    } cases[] = {{SDL_KEYDOWN, SDLK_ESCAPE, 1}, {SDL_KEYUP, SDLK_ESCAPE, 0}, {SDL_KEYDOWN, SDLK_a, 0},
                 {SDL_QUIT, SDLK_UNKNOWN, 1}, {SDL_MOUSEMOTION, SDLK_UNKNOWN, 0}};
    for (const auto& c : cases) {
        SDL_Event e{};
        e.type = c.type;
        if (c.type == SDL_KEYDOWN || c.type == SDL_KEYUP) e.key.keysym.sym = c.key;
        EXPECT_EQ(HandleEvent(&e), c.expected) << int(c.type) << " " << int(c.key);
    }
    EXPECT_EQ(HandleEvent(nullptr), 0u);
}

// ---- one window for the rest ------------------------------------------------

class Window : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        renderer_ = new OpenGLDedudeve;
        ::testing::internal::CaptureStdout();
        initResult_ = renderer_->Init(0, kW, kH, 0, 60, 0, false);
        std::fflush(stdout);
        report_ = ::testing::internal::GetCapturedStdout();
        __g_pRbow = renderer_;
    }
    static void TearDownTestSuite()
    {
        delete renderer_;
        renderer_ = nullptr;
        __g_pRbow = nullptr;
        SDL_Quit();
    }
    void SetUp() override
    {
        ASSERT_EQ(initResult_, 1) << report_;
        R = renderer_;
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
    void TearDown() override
    {
        SetPlatformClockForTesting(nullptr);
        R->SetMaxFPS(60);
    }

    static OpenGLDedudeve* renderer_;
    static int initResult_;
    static std::string report_;
    OpenGLDedudeve* R = nullptr;
};

OpenGLDedudeve* Window::renderer_ = nullptr;
int Window::initResult_ = 0;
std::string Window::report_;

TEST_F(Window, InitReportsTheModeTheExtensionsAndTheViewportInOrder)
{
    auto lines = SplitLines(report_);
    std::vector<std::string> expected = {"Set Vidmode", "Screen BPP: ", "", "Vendor     : ",
                                         "Renderer   : ", "Version    : ", "Extensions : ", "",
                                         "SDL_GL_RED_SIZE: requested 8, got ",
                                         "SDL_GL_GREEN_SIZE: requested 8, got ",
                                         "SDL_GL_BLUE_SIZE: requested 8, got ",
                                         "SDL_GL_DEPTH_SIZE: requested 24, got ",
                                         "SDL_GL_DOUBLEBUFFER: requested 1, got ", "Extensions"};
    const char* names[] = {"glActiveTextureARB", "glMultiTexCoord2fARB", "glClientActiveTextureARB",
                           "glGenBuffersARB", "glBindBufferARB", "glBufferDataARB",
                           "glDeleteBuffersARB", "glMapBufferARB", "glUnmapBufferARB",
                           "glGetBufferParameterivARB", "glCreateProgramObjectARB",
                           "glDeleteObjectARB", "glCreateShaderObjectARB", "glShaderSourceARB",
                           "glCompileShaderARB", "glGetObjectParameterivARB", "glAttachObjectARB",
                           "glGetInfoLogARB", "glLinkProgramARB", "glUseProgramObjectARB",
                           "glGetUniformLocationARB", "glUniform1fARB", "glUniform1iARB",
                           "glGetAttribLocationARB", "glVertexAttrib1fARB"};
    for (const char* n : names) {
        char line[128];
        std::snprintf(line, sizeof line, "ext: %-35s   [%4s]", n, "OK");
        expected.push_back(line);
    }
    expected.insert(expected.end(), {"FBO", "Viewport", "GFX seem OK"});
    // Each expected line is the start of a report line, in this order.
    std::size_t at = 0;
    for (const std::string& e : expected) {
        while (at < lines.size() && lines[at].compare(0, e.size(), e) != 0) ++at;
        ASSERT_LT(at, lines.size()) << "missing \"" << e << "\" in:\n" << report_;
        if (e.empty()) {
            EXPECT_TRUE(lines[at].empty());
        }
        ++at;
    }
    EXPECT_EQ(R->m_width, kW);
    EXPECT_EQ(R->m_height, kH);
    EXPECT_EQ(R->m_bpp, 24);
    EXPECT_EQ(R->m_glReady, 1);
}

TEST_F(Window, Make2DViewportCountsYFromTheTopAndDefaultsToTheWindow)
{
    const struct {
        int x, y, w, h;
        int stored[4];
        GLint gl[4];
    } cases[] = {
        {0, 0, 0, 0, {0, 0, kW, kH}, {0, 0, kW, kH}},
        {5, 6, 100, 50, {5, 6, 100, 50}, {5, kH - 50 - 6, 100, 50}},
        // a width below 1 takes the whole window, x and y stay
        {10, 20, 0, 100, {10, 20, kW, kH}, {10, -20, kW, kH}},
    };
    for (const auto& c : cases) {
        R->m_smoothShading = 0;
        glEnable(GL_DEPTH_TEST);
        R->Make2DViewport(c.x, c.y, c.w, c.h);
        EXPECT_EQ(R->m_viewX, c.stored[0]);
        EXPECT_EQ(R->m_viewY, c.stored[1]);
        EXPECT_EQ(R->m_viewW, c.stored[2]);
        EXPECT_EQ(R->m_viewH, c.stored[3]);
        GLint vp[4];
        glGetIntegerv(GL_VIEWPORT, vp);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(vp[i], c.gl[i]) << i;
        EXPECT_EQ(R->m_smoothShading, 1);
        EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
        EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    }
    R->Make2DViewport(0, 0, 0, 0);
}

TEST_F(Window, SetScreenRefusesNegativeSizesAndKeepsTheMode)
{
    EXPECT_EQ(R->SetScreen(-640, 480, 0, 0), 0);
    EXPECT_EQ(R->SetScreen(640, -1, 0, 0), 0);
    EXPECT_EQ(R->m_width, kW);
    EXPECT_EQ(R->m_height, kH);
    ASSERT_NE(SDL_GetVideoSurface(), nullptr);
    EXPECT_EQ(SDL_GetVideoSurface()->w, kW);

    EXPECT_EQ(R->SetScreen(0, 0, 0, 0), 1) << "nothing to change: stays windowed";
    EXPECT_EQ(R->m_fullscreen, 0);
    ASSERT_EQ(R->SetScreen(400, 300, 0, 0), 1);
    EXPECT_EQ(R->m_width, 400);
    EXPECT_EQ(R->m_height, 300);
    EXPECT_EQ(R->m_bpp, 24) << "a zero keeps the bits per pixel";
    EXPECT_EQ(SDL_GetVideoSurface()->w, 400);
    ASSERT_EQ(R->SetScreen(kW, kH, 0, 0), 1);
    R->Make2DViewport(0, 0, 0, 0);
}

TEST_F(Window, PendingEscapeOrCloseEndsTheFlipBeforeAnyWait)
{
    struct {
        const char* what;
        Uint8 type;
        SDLKey key;
        bool quits;
    } cases[] = {{"Escape down", SDL_KEYDOWN, SDLK_ESCAPE, true},
                 {"close request", SDL_QUIT, SDLK_UNKNOWN, true},
                 {"Escape up", SDL_KEYUP, SDLK_ESCAPE, false}};
    R->SetMaxFPS(1); // a whole second between frames: any wait would show
    for (const auto& c : cases) {
        R->FlipScreens(); // start on the grid, a whole period before the next frame
        SDL_Event e{};
        e.type = c.type;
        if (c.type != SDL_QUIT) {
            e.key.type = c.type;
            e.key.keysym.sym = c.key;
        }
        ASSERT_EQ(SDL_PushEvent(&e), 0);
        const double next = R->m_nextFrame;
        const double t0 = RealSeconds();
        double r = R->FlipScreens();
        const double took = RealSeconds() - t0;
        if (c.quits) {
            EXPECT_EQ(r, 0.0) << c.what;
            EXPECT_EQ(R->m_nextFrame, next) << c.what << ": the schedule is not advanced";
            // Half the period: a wait would take nearly all of it, while a
            // busy machine may still delay the swap itself a little.
            EXPECT_LT(took, 0.5) << c.what;
        } else {
            EXPECT_GE(r, 1.0) << c.what;
        }
    }
}

TEST_F(Window, WinMessagesStopsAtTheFirstQuitEvent)
{
    EXPECT_EQ(R->WinMessages(), 1u) << "empty queue";
    SDL_Event a{};
    a.type = SDL_KEYDOWN;
    a.key.keysym.sym = SDLK_a;
    SDL_Event esc{};
    esc.type = SDL_KEYDOWN;
    esc.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&a);
    SDL_PushEvent(&esc);
    SDL_PushEvent(&a);
    EXPECT_EQ(R->WinMessages(), 0u);
    EXPECT_EQ(R->WinMessages(), 1u) << "the rest is handled by the next call";
}

TEST_F(Window, SixtyFramesASecondOnTheRealClock)
{
    // What the pacing controls is checked, not the total time, which a busy
    // machine stretches by frames it skips: every flip returns only after
    // its frame time on the real clock, the schedule moves by whole periods,
    // and a flip that is not held up lands in its own period.
    const double period = 1000.0 / 60.0;
    R->SetMaxFPS(60);
    R->FlipScreens();
    const double first = R->m_nextFrame;
    const double t0 = RealSeconds();
    int onTime = 0;
    constexpr int kFlips = 120;
    for (int i = 0; i < kFlips; ++i) {
        const double due = R->m_nextFrame;
        R->FlipScreens();
        const double after = PlatformClockMs();
        ASSERT_GT(after, due) << "flip " << i << " came before its frame time";
        const double periods = (R->m_nextFrame - due) / period;
        ASSERT_GE(periods, 1.0 - 1e-9) << "flip " << i;
        ASSERT_NEAR(periods, std::round(periods), 1e-6) << "flip " << i << " left the grid";
        onTime += std::round(periods) == 1.0;
    }
    const double steps = std::round((R->m_nextFrame - first) / period);
    EXPECT_GE(steps, kFlips);
    // Never faster than sixty a second: the flips span at least all but one
    // of their periods.
    EXPECT_GE(RealSeconds() - t0, (kFlips - 1) * period / 1000.0);
    // Frames are skipped only when the machine holds the program up; a flip
    // that oversleeps would skip nearly every one.
    EXPECT_GE(onTime, kFlips / 2) << steps << " periods for " << kFlips << " flips";
}

// ---- the test clock -----------------------------------------------------------
// The real clock plus an offset that tests move in jumps: a slow frame, or
// the clock itself being set back or forward. The last reading is kept: it
// is the time at which the flip decided to return, which the test compares
// with the schedule instead of a later reading that a busy machine delays.
double g_offset = 0.0;
double g_lastReading = 0.0;
double RealMs() { return RealSeconds() * 1000.0; }
double TestClock() { return g_lastReading = RealMs() + g_offset; }

TEST_F(Window, ASlowFrameIsSkippedNotMadeUpInABurst)
{
    g_offset = 0.0;
    SetPlatformClockForTesting(TestClock);
    R->SetMaxFPS(50);
    R->m_nextFrame = TestClock();
    R->FlipScreens();
    const double grid = R->m_nextFrame;
    for (int i = 0; i < 3; ++i) R->FlipScreens();
    EXPECT_DOUBLE_EQ(std::fmod(R->m_nextFrame - grid, 20.0), 0.0);
    g_offset += 50.0; // one frame's drawing took 50 ms
    R->FlipScreens();
    const double now = g_lastReading;
    EXPECT_DOUBLE_EQ(std::fmod(R->m_nextFrame - grid, 20.0), 0.0) << "still on the 20 ms grid";
    EXPECT_GT(R->m_nextFrame, now) << "the missed frames are skipped at once";
    EXPECT_LE(R->m_nextFrame, now + 20.0);
    // A burst would show the next frames back to back; on the grid four
    // flips take at least three whole periods.
    const double t0 = RealMs();
    for (int i = 0; i < 4; ++i) {
        const double before = R->m_nextFrame;
        R->FlipScreens();
        EXPECT_GE(R->m_nextFrame - before, 20.0);
        EXPECT_GT(R->m_nextFrame, g_lastReading);
    }
    EXPECT_GE(RealMs() - t0, 60.0);
}

TEST_F(Window, AClockSteppingBackDoesNotStallTheFlip)
{
    g_offset = 0.0;
    SetPlatformClockForTesting(TestClock);
    R->SetMaxFPS(60);
    R->FlipScreens();
    g_offset -= 3.6e6; // an hour back
    const double t0 = RealSeconds();
    R->FlipScreens();
    // One frame at most is due; sleeping through the step would take an hour.
    EXPECT_LT(RealSeconds() - t0, 10.0) << "the flip slept through the step";
    EXPECT_LE(R->m_nextFrame, g_lastReading + 1000.0 / 60.0);
}

TEST_F(Window, AClockSteppingForwardCatchesUpInOneStep)
{
    g_offset = 0.0;
    SetPlatformClockForTesting(TestClock);
    R->SetMaxFPS(60);
    R->FlipScreens();
    g_offset += 1e13; // centuries of frames: counting them one by one would hang
    const double t0 = RealSeconds();
    R->FlipScreens();
    EXPECT_LT(RealSeconds() - t0, 10.0);
    const double now = g_lastReading;
    EXPECT_GT(R->m_nextFrame, now);
    EXPECT_LE(R->m_nextFrame, now + 1000.0 / 60.0);
}

} // namespace
