// A real program driven by real key, mouse and window events (xdotool and a
// close request as a window manager sends it): the quit rules of the frame
// step, every row of the key table, the mouse commands and the timers.
#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "tests/runtime/live_child.h"

using input_test::FindWindow;
using input_test::LiveChild;
using input_test::Shell;

namespace {

const char* const kCaption = "InputProbe";

// How long the test waits for the program to answer. A loaded machine may
// take seconds; every wait returns as soon as the answer is there.
constexpr int kAnswerMs = 30000;

class InputProgramTest : public ::testing::Test {
protected:
    // An X server resets when its last client leaves, and refuses
    // connections meanwhile; one connection held for all the tests keeps the
    // server up between two programs.
    static void SetUpTestSuite() { s_display = XOpenDisplay(nullptr); }
    static void TearDownTestSuite()
    {
        if (s_display)
            XCloseDisplay(s_display);
        s_display = nullptr;
    }
    static inline Display* s_display = nullptr;

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs an X display";
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    }

    // Starts the probe and gives it the keyboard focus; "" when it failed.
    std::string Launch(LiveChild& child)
    {
        if (!child.started() || !child.WaitForLine("ready", kAnswerMs))
            return "";
        const std::string w = FindWindow(kCaption, kAnswerMs / 1000);
        if (!w.empty())
            Shell("xdotool windowfocus --sync " + w);
        return w;
    }

    static void X(const std::string& args) { Shell("xdotool " + args); }

    static void ExpectShutDownLines(const LiveChild& child)
    {
        const std::string& out = child.output();
        const size_t a = out.find("shutdown\n");
        const size_t b = out.find("OK, safe to quit\n");
        const size_t c = out.find("exit\n");
        EXPECT_NE(a, std::string::npos) << out;
        EXPECT_NE(b, std::string::npos) << out;
        EXPECT_NE(c, std::string::npos) << out;
        EXPECT_LT(a, b);
        EXPECT_LT(b, c);
    }
};

// ---- quit rules ------------------------------------------------------------------

TEST_F(InputProgramTest, HeldEscapeEndsTheProgram)
{
    LiveChild child(INPUT_PROBE, {});
    ASSERT_NE(Launch(child), "");
    X("keydown Escape");
    const int status = child.WaitForExit(kAnswerMs);
    X("keyup Escape");
    EXPECT_EQ(status, 0);
    ExpectShutDownLines(child);
}

TEST_F(InputProgramTest, WithoutEscapeAnEscapePressSeenByTheFlipStillEnds)
{
    LiveChild child(INPUT_PROBE, {"noescape"});
    ASSERT_NE(Launch(child), "");
    // A press whose key-down event the frame step's own event pass takes is
    // ignored, and holding the key is too; the flip waits for most of every
    // frame, so one of a few presses lands there. Each press is held until
    // the program has seen it (or has ended), and released until it has seen
    // that too.
    int presses = 0;
    for (; presses < 20; ++presses) {
        X("keydown Escape");
        const bool seenDown = child.WaitForLine("down 1", kAnswerMs);
        X("keyup Escape");
        if (!seenDown || !child.WaitForLine("up 1", kAnswerMs))
            break; // the output ended: the program has ended
    }
    EXPECT_LT(presses, 20) << "every press was ignored";
    EXPECT_EQ(child.WaitForExit(kAnswerMs), 0);
    ExpectShutDownLines(child);
}

TEST_F(InputProgramTest, LeftAltWithF4EndsEvenWithoutEscape)
{
    LiveChild child(INPUT_PROBE, {"noescape"});
    ASSERT_NE(Launch(child), "");
    X("keydown Alt_L");
    X("keydown F4");
    const int status = child.WaitForExit(kAnswerMs);
    X("keyup F4");
    X("keyup Alt_L");
    EXPECT_EQ(status, 0);
    ExpectShutDownLines(child);
}

TEST_F(InputProgramTest, CloseRequestEndsTheProgram)
{
    LiveChild child(INPUT_PROBE, {"noescape"});
    const std::string w = Launch(child);
    ASSERT_NE(w, "");
    Shell(std::string(X_CLOSE_WINDOW) + " " + w);
    EXPECT_EQ(child.WaitForExit(kAnswerMs), 0);
    ExpectShutDownLines(child);
}

TEST_F(InputProgramTest, RequestsThatArriveWhileAFrameIsDrawnAreNotLost)
{
    // Nearly every event reaches a frame that spends its time drawing while
    // it is being drawn, so the frame step's own event pass sees it first.
    struct Case {
        const char* what;
        bool close;
        std::vector<std::string> args;
    } cases[] = {{"close request, Escape not allowed", true, {"busy", "noescape"}},
                 {"Escape press, Escape allowed", false, {"busy"}}};
    for (const Case& c : cases) {
        LiveChild child(INPUT_PROBE, c.args);
        const std::string w = Launch(child);
        ASSERT_NE(w, "") << c.what;
        usleep(300000);
        if (c.close) {
            Shell(std::string(X_CLOSE_WINDOW) + " " + w);
        } else {
            X("keydown Escape");
            X("keyup Escape");
        }
        EXPECT_EQ(child.WaitForExit(kAnswerMs), 0) << c.what;
        ExpectShutDownLines(child);
    }
}

// ---- the key table with real keys ------------------------------------------------

TEST_F(InputProgramTest, EveryKeyOfTheTableIsDownWhileHeldAndUpAfterRelease)
{
    // Scan code and the X key that sends it. Escape ends the program at the
    // flip and is covered by the quit tests; the keypad keys are named by
    // their keys without Num Lock.
    const struct { int scan; const char* key; } rows[] = {
        {2, "1"}, {3, "2"}, {4, "3"}, {5, "4"}, {6, "5"}, {7, "6"}, {8, "7"}, {9, "8"},
        {10, "9"}, {11, "0"}, {12, "minus"}, {13, "equal"}, {14, "BackSpace"}, {15, "Tab"},
        {16, "q"}, {17, "w"}, {18, "e"}, {19, "r"}, {20, "t"}, {21, "y"}, {22, "u"}, {23, "i"},
        {24, "o"}, {25, "p"}, {26, "bracketleft"}, {27, "bracketright"}, {28, "Return"},
        {29, "Control_L"}, {30, "a"}, {31, "s"}, {32, "d"}, {33, "f"}, {34, "g"}, {35, "h"},
        {36, "j"}, {37, "k"}, {38, "l"}, {39, "semicolon"}, {40, "apostrophe"}, {41, "grave"},
        {42, "Shift_L"}, {43, "backslash"}, {44, "z"}, {45, "x"}, {46, "c"}, {47, "v"},
        {48, "b"}, {49, "n"}, {50, "m"}, {51, "comma"}, {52, "period"}, {53, "slash"},
        {54, "Shift_R"}, {55, "KP_Multiply"}, {56, "Alt_L"}, {57, "space"}, {58, "Caps_Lock"},
        {59, "F1"}, {60, "F2"}, {61, "F3"}, {62, "F4"}, {63, "F5"}, {64, "F6"}, {65, "F7"},
        {66, "F8"}, {67, "F9"}, {68, "F10"}, {69, "Num_Lock"}, {70, "Scroll_Lock"},
        {71, "KP_Home"}, {72, "KP_Up"}, {73, "KP_Prior"}, {74, "KP_Subtract"}, {75, "KP_Left"},
        {76, "KP_Begin"}, {77, "KP_Right"}, {78, "KP_Add"}, {79, "KP_End"}, {80, "KP_Down"},
        {81, "KP_Next"}, {82, "KP_Insert"}, {83, "KP_Delete"}, {86, "backslash"}, {87, "F11"},
        {88, "F12"}, {100, "F13"}, {101, "F14"}, {102, "F15"}, {141, "KP_Equal"},
        {156, "KP_Enter"}, {157, "Control_R"}, {181, "KP_Divide"}, {183, "Sys_Req"},
        {184, "Alt_R"}, {197, "Pause"}, {199, "Home"}, {200, "Up"}, {201, "Prior"},
        {203, "Left"}, {205, "Right"}, {207, "End"}, {208, "Down"}, {209, "Next"},
        {210, "Insert"}, {211, "Delete"}, {219, "Meta_L"}, {220, "Meta_R"}, {221, "Menu"},
    };
    ASSERT_EQ(sizeof rows / sizeof rows[0], 108u);

    // Keys the server's map has only as a shifted level, or not at all, get
    // a keycode of their own (before the program reads the map) and are
    // pressed by it. Left to xdotool, a missing key would be bound for the
    // moment of each press only, and a program that reads the release after
    // the binding is gone sees no key at all.
    const std::vector<std::string> bind = {"Sys_Req", "Meta_L", "Meta_R", "F13", "F14", "F15"};
    LiveChild binder(X_BIND_KEYS, bind);
    ASSERT_TRUE(binder.WaitForLine("bound", kAnswerMs)) << binder.output();
    const std::vector<std::string> code = binder.lines();
    ASSERT_EQ(code.size(), bind.size() + 1) << binder.output();

    LiveChild child(INPUT_PROBE, {"keys"});
    ASSERT_NE(Launch(child), "");
    for (const auto& r : rows) {
        const std::string n = std::to_string(r.scan);
        std::string k = r.key;
        for (size_t i = 0; i < bind.size(); ++i)
            if (k == bind[i])
                k = code[i];
        // The lock keys keep their key down until the lock is pressed again.
        const bool lock = r.scan == 58 || r.scan == 69;
        X("keydown " + k);
        EXPECT_TRUE(child.WaitForLine("down " + n, kAnswerMs)) << k;
        X("keyup " + k);
        if (lock)
            X("keydown " + k + " keyup " + k);
        EXPECT_TRUE(child.WaitForLine("up " + n, kAnswerMs)) << k;
    }
    X("keydown Alt_L keydown F4");
    EXPECT_EQ(child.WaitForExit(kAnswerMs), 0);
    X("keyup F4 keyup Alt_L");
    EXPECT_EQ(binder.Terminate(kAnswerMs), 0);
}

// ---- mouse -------------------------------------------------------------------------

TEST_F(InputProgramTest, PointerMotionAndButtonsShowInTheMouseCommands)
{
    LiveChild child(INPUT_PROBE, {"mouse"});
    const std::string w = Launch(child);
    ASSERT_NE(w, "");
    X("mousemove --window " + w + " --sync 123 45");
    EXPECT_TRUE(child.WaitForLine("mouse 123 45 0 0 0 0 0", kAnswerMs)) << child.output();
    X("mousedown 1");
    EXPECT_TRUE(child.WaitForLine("mouse 123 45 1 0 1 0 0", kAnswerMs)) << child.output();
    X("mouseup 1");
    X("mousedown 3");
    EXPECT_TRUE(child.WaitForLine("mouse 123 45 0 1 0 1 0", kAnswerMs)) << child.output();
    X("mouseup 3");
    X("mousedown 2");
    EXPECT_TRUE(child.WaitForLine("mouse 123 45 0 0 0 0 1", kAnswerMs)) << child.output();
    X("mouseup 2");
    X("mousemove --window " + w + " --sync 600 400");
    EXPECT_TRUE(child.WaitForLine("mouse 600 400 0 0 0 0 0", kAnswerMs)) << child.output();
    X("keydown Alt_L keydown F4");
    EXPECT_EQ(child.WaitForExit(kAnswerMs), 0);
    X("keyup F4 keyup Alt_L");
}

// ---- line editors --------------------------------------------------------------------

TEST_F(InputProgramTest, InputEditsTheLineAndFileRequestStartsWithItsPrompt)
{
    LiveChild child(INPUT_PROBE, {"input"});
    ASSERT_NE(Launch(child), "");
    // Each key is held until the program reports that the editor has seen
    // it, and released until the program has seen that too: the editor sees
    // every press once, however slowly the machine runs it.
    const struct { const char* key; int scan; } typed[] = {
        {"BackSpace", 14}, {"a", 30}, {"b", 48}, {"BackSpace", 14}, {"c", 46}, {"Return", 28},
        {"q", 16}, {"Return", 28}};
    for (const auto& t : typed) {
        const std::string n = std::to_string(t.scan);
        X(std::string("keydown ") + t.key);
        const bool held = child.WaitForLine("held " + n, kAnswerMs);
        X(std::string("keyup ") + t.key);
        // The last Return ends the program, which may then not report it.
        if (&t == &typed[std::size(typed) - 1])
            break;
        ASSERT_TRUE(held) << t.key << "\n" << child.output();
        ASSERT_TRUE(child.WaitForLine("released " + n, kAnswerMs)) << t.key << "\n" << child.output();
    }
    EXPECT_EQ(child.WaitForExit(kAnswerMs), 0);
    // The edited lines, in order, among the key reports.
    const std::string& out = child.output();
    const size_t input = out.find("\ninput ac\n");
    EXPECT_NE(input, std::string::npos) << out;
    EXPECT_NE(out.find("\nfile File:q\n", input), std::string::npos) << out;
}

// ---- timers and the screen -----------------------------------------------------------

TEST_F(InputProgramTest, FrameTimerStartsAtOneAndSetScreenSetsTheSize)
{
    LiveChild child(INPUT_PROBE, {"timers"});
    ASSERT_TRUE(child.started());
    EXPECT_EQ(child.WaitForExit(30000), 0);
    EXPECT_NE(child.output().find("gettimer 1.000\n"), std::string::npos) << child.output();
    EXPECT_NE(child.output().find("screen 800 600 800 600 800 600\n"), std::string::npos)
        << child.output();
}

} // namespace
