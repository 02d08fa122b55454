// DXInput and the input commands on a hand-held input state: the key table,
// KEY, the character and repeat rules of INKEY$, the once-per-frame mouse,
// the joystick values and the line editor's logic.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/joystick_values.h"
#include "media/line_editor.h"
#include "media/opengl_dedudeve.h"
#include "tests/media/fake_input.h"

using namespace __VELTRIC__;
using input_test::FakeInput;

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeInput::Install();
        in = std::make_unique<DXInput>();
        in->CreateDInput(0, 0, false);
        in->m_pointerShown = true;
        pDXin = in.get();
    }
    void TearDown() override
    {
        pDXin = nullptr;
        in.reset();
        FakeInput::Uninstall();
    }
    static void Hold(SDLKey k) { FakeInput::keys[k] = 1; }
    static void Release(SDLKey k) { FakeInput::keys[k] = 0; }

    std::unique_ptr<DXInput> in;
};

// ---- the key table -----------------------------------------------------------

TEST_F(InputTest, KeyTableMapsEachScanCodeOnceAndOnlyBackslashTwice)
{
    ASSERT_EQ(kKeyTableRowCount, 109);
    std::set<int> scans;
    std::multiset<int> keys;
    for (int i = 0; i < kKeyTableRowCount; ++i) {
        EXPECT_TRUE(scans.insert(kKeyTableRows[i].scanCode).second)
            << "scan code " << int(kKeyTableRows[i].scanCode) << " listed twice";
        EXPECT_NE(kKeyTableRows[i].sdlKey, kNoKey);
        EXPECT_LT(kKeyTableRows[i].sdlKey, SDLK_LAST);
        keys.insert(kKeyTableRows[i].sdlKey);
    }
    for (int k : keys) {
        if (k == SDLK_BACKSLASH)
            EXPECT_EQ(keys.count(k), 2u);
        else
            EXPECT_EQ(keys.count(k), 1u) << "SDL key " << k << " has two scan codes";
    }
    EXPECT_EQ(in->m_keyTable[43], SDLK_BACKSLASH);
    EXPECT_EQ(in->m_keyTable[86], SDLK_BACKSLASH);

    // Every entry outside the rows holds the fill value.
    int filled = 0;
    for (int n = 0; n < kKeyTableSize; ++n)
        filled += in->m_keyTable[n] == kNoKey;
    EXPECT_EQ(filled, kKeyTableSize - kKeyTableRowCount);
}

TEST_F(InputTest, KeyNumbersSharedAcrossTheSystemNameTheirKeys)
{
    const struct { int scan; SDLKey key; } rows[] = {
        {1, SDLK_ESCAPE}, {28, SDLK_RETURN}, {56, SDLK_LALT}, {57, SDLK_SPACE},
        {62, SDLK_F4},    {200, SDLK_UP},    {208, SDLK_DOWN}, {203, SDLK_LEFT},
        {205, SDLK_RIGHT},
    };
    for (const auto& r : rows)
        EXPECT_EQ(in->m_keyTable[r.scan], r.key) << "scan code " << r.scan;
}

TEST_F(InputTest, KeyIsOneWhileItsKeyIsHeldForEveryRow)
{
    for (int i = 0; i < kKeyTableRowCount; ++i) {
        const int scan = kKeyTableRows[i].scanCode;
        const SDLKey key = static_cast<SDLKey>(kKeyTableRows[i].sdlKey);
        EXPECT_EQ(KEY(scan), 0.0) << scan;
        Hold(key);
        EXPECT_EQ(KEY(scan), 1.0) << scan;
        EXPECT_EQ(KEY(scan + 256), 1.0) << "key numbers are taken & 0xFF: " << scan;
        Release(key);
        EXPECT_EQ(KEY(scan), 0.0) << scan;
    }
}

TEST_F(InputTest, UnmappedKeyNumbersReadAsNotPressed)
{
    // The fill value 255 is also an SDL key of its own: holding it must not
    // make every unmapped key number read as pressed.
    Hold(static_cast<SDLKey>(255));
    for (int n : {0, 84, 85, 99, 129, 140, 255, -1, 1000})
        EXPECT_EQ(KEY(n), 0.0) << n;
    EXPECT_FALSE(in->AnyKeyHeld());
    EXPECT_EQ(in->Scan2Ascii(100000), 0);
}

// ---- characters and the repeat rule ------------------------------------------

TEST_F(InputTest, CharactersOfHeldKeys)
{
    const struct {
        std::vector<SDLKey> held;
        int ch;
    } cases[] = {
        {{SDLK_a}, 'a'},
        {{SDLK_LSHIFT, SDLK_a}, 'A'},
        {{SDLK_RSHIFT, SDLK_z}, 'Z'},
        {{SDLK_1}, '1'},
        {{SDLK_LSHIFT, SDLK_1}, '1'},   // digits and signs are not shifted
        {{SDLK_SPACE}, ' '},
        {{SDLK_RETURN}, 10},
        {{SDLK_KP_ENTER}, 10},
        {{SDLK_BACKSPACE}, 8},
        {{SDLK_TAB}, 0},
        {{SDLK_ESCAPE}, 0},
        {{SDLK_F7}, 0},
        {{SDLK_KP8}, 0},
        {{SDLK_RCTRL}, 0},
        {{SDLK_UP}, 0},
        {{SDLK_LSHIFT}, 0},
        {{SDLK_LCTRL, SDLK_CAPSLOCK, SDLK_MENU}, 0},
        {{SDLK_q, SDLK_a}, 'q'},        // the lowest scan code wins: q is 16, a 30
    };
    for (const auto& c : cases) {
        FakeInput::Reset();
        in->m_lastPressed = 0;
        for (SDLKey k : c.held)
            Hold(k);
        EXPECT_EQ(in->GetKeyChar(), c.ch) << "first held key " << c.held[0];
    }
}

TEST_F(InputTest, HeldKeyGivesItsCharacterOnceUntilACallSeesNone)
{
    Hold(SDLK_a);
    EXPECT_EQ(INKEY_Str().c_str(), std::string("a"));
    EXPECT_EQ(INKEY_Str().c_str(), std::string(""));
    EXPECT_EQ(INKEY_Str().c_str(), std::string(""));
    // Shift does not make the held key a new one.
    Hold(SDLK_LSHIFT);
    EXPECT_EQ(in->GetKeyChar(), 0);
    Release(SDLK_LSHIFT);

    // Another key in between lets a come again without a gap.
    Release(SDLK_a);
    Hold(SDLK_b);
    EXPECT_EQ(in->GetKeyChar(), 'b');
    Release(SDLK_b);
    Hold(SDLK_a);
    EXPECT_EQ(in->GetKeyChar(), 'a');

    // A release seen by a call lets the same key come again.
    Release(SDLK_a);
    EXPECT_EQ(in->GetKeyChar(), 0);
    Hold(SDLK_a);
    EXPECT_EQ(in->GetKeyChar(), 'a');
    EXPECT_FALSE(in->AnyKey());
}

// ---- mouse -------------------------------------------------------------------

TEST_F(InputTest, MouseButtonsAndWheelComeFromTheirMaskBits)
{
    const struct { Uint8 mask; double left, right, middle, wheel; } cases[] = {
        {SDL_BUTTON(SDL_BUTTON_LEFT), 1, 0, 0, 0},
        {SDL_BUTTON(SDL_BUTTON_RIGHT), 0, 1, 0, 0},
        {SDL_BUTTON(SDL_BUTTON_MIDDLE), 0, 0, 1, 0},
        {SDL_BUTTON(SDL_BUTTON_WHEELUP), 0, 0, 0, 1},
        {SDL_BUTTON(SDL_BUTTON_WHEELDOWN), 0, 0, 0, -1},
        {0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        FakeInput::buttons = c.mask;
        in->m_freshRead = true;
        EXPECT_EQ(MOUSEAXIS(2), c.wheel) << int(c.mask);
        EXPECT_EQ(MOUSEAXIS(3), c.left) << int(c.mask);
        EXPECT_EQ(MOUSEAXIS(4), c.right) << int(c.mask);
        EXPECT_EQ(MOUSEAXIS(5), c.middle) << int(c.mask);
    }
    FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
    EXPECT_EQ(MOUSEAXIS(6), 0.0);
    EXPECT_EQ(MOUSEAXIS(-1), 0.0);
}

TEST_F(InputTest, MotionIsMeasuredOncePerFrame)
{
    in->m_pointerShown = false;
    SETMOUSE(10, 10);
    FakeInput::dx = 5;
    in->m_freshRead = true; // a new frame
    EXPECT_EQ(MOUSEAXIS(0), 5.0);
    FakeInput::dx = 7;      // moves again within the same frame
    EXPECT_EQ(MOUSEAXIS(0), 5.0);
    EXPECT_EQ(in->m_mouseX, 15) << "the kept position moves on the first read only";

    in->m_freshRead = true;
    FakeInput::dx = 3;
    FakeInput::dy = -4;
    EXPECT_EQ(MOUSEAXIS(0), 3.0);
    EXPECT_EQ(MOUSEAXIS(1), -4.0);
    EXPECT_EQ(in->m_mouseX, 18);
    EXPECT_EQ(in->m_mouseY, 6);
}

TEST_F(InputTest, HiddenPointerIntegratesMotionShownPointerIsAbsolute)
{
    double x, y, b1, b2;
    in->m_pointerShown = false;
    SETMOUSE(10, 10);
    FakeInput::x = 300; // the system pointer is elsewhere: not used
    FakeInput::dx = 5;
    in->m_freshRead = true;
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 15.0);
    EXPECT_EQ(y, 10.0);

    SYSTEMPOINTER(1);
    EXPECT_TRUE(in->m_pointerShown);
    FakeInput::x = 123;
    FakeInput::y = 45;
    FakeInput::buttons = SDL_BUTTON(SDL_BUTTON_LEFT);
    in->m_freshRead = true;
    MOUSESTATE(x, y, b1, b2);
    EXPECT_EQ(x, 123.0);
    EXPECT_EQ(y, 45.0);
    EXPECT_EQ(b1, 1.0);
    EXPECT_EQ(b2, 0.0);

    SYSTEMPOINTER(std::nan(""));
    EXPECT_TRUE(in->m_pointerShown) << "a NaN counts as on";
    SYSTEMPOINTER(0);
    EXPECT_FALSE(in->m_pointerShown);
}

TEST_F(InputTest, HugeMotionSaturatesInsteadOfWrapping)
{
    in->m_pointerShown = false;
    SETMOUSE(0x7FFFFFF0, 0);
    FakeInput::dx = 100000;
    in->m_freshRead = true;
    EXPECT_EQ(MOUSEAXIS(0), 32767.0);
    EXPECT_EQ(in->m_mouseX, 0x7FFFFFFF);
}

TEST_F(InputTest, MouseStateKeepsThePositionOnTheScreen)
{
    OpenGLDedudeve renderer; // its window size only; no window is opened
    renderer.m_width = 640;
    renderer.m_height = 480;
    __g_pRbow = &renderer;
    in->m_pointerShown = false;
    const struct { int x, y, ex, ey; } cases[] = {
        {700, 500, 639, 479}, {-5, -7, 0, 0}, {640, 0, 639, 0}, {639, 479, 639, 479},
        {100, 480, 100, 479},
    };
    for (const auto& c : cases) {
        SETMOUSE(c.x, c.y);
        in->m_freshRead = true;
        double x, y, b1, b2;
        MOUSESTATE(x, y, b1, b2);
        EXPECT_EQ(x, c.ex) << c.x << "," << c.y;
        EXPECT_EQ(y, c.ey) << c.x << "," << c.y;
        EXPECT_EQ(in->m_mouseX, c.ex) << "the clamped position is kept";
    }
    __g_pRbow = nullptr;
}

// ---- joysticks ---------------------------------------------------------------

TEST(JoystickValues, AxesPadsButtonsAndHat)
{
    const struct { std::int32_t raw; double axis, pad; } axes[] = {
        {-32768, -1.0, -1}, {32767, 1.0, 1}, {0, 0.0, 0},     {29999, 29999 / 32767.0, 0},
        {30000, 30000 / 32767.0, 1}, {-30000, -30000 / 32767.0, -1}, {-29999, -29999 / 32767.0, 0},
    };
    for (const auto& a : axes) {
        EXPECT_DOUBLE_EQ(JoyAxisValue(a.raw), a.axis) << a.raw;
        EXPECT_EQ(JoyPadValue(a.raw), a.pad) << a.raw;
    }

    DIJOYSTATE r{};
    r.rgbButtons[0] = 1;
    r.rgbButtons[31] = 128;
    EXPECT_EQ(JoyButtonValue(r, 0), 1.0);
    EXPECT_EQ(JoyButtonValue(r, 31), 128.0);
    for (int b : {32, -1, 1000})
        EXPECT_EQ(JoyButtonValue(r, b), 0.0) << b;

    const struct { std::uint32_t pov; double x, y; } hats[] = {
        {0, 0, -1}, {9000, 1, 0}, {18000, 0, 1}, {27000, -1, 0}, {4500, 0, 0}, {0xFFFFFFFFu, 0, 0},
    };
    for (const auto& h : hats) {
        r.rgdwPOV[0] = h.pov;
        EXPECT_EQ(JoyHatX(r), h.x) << h.pov;
        EXPECT_EQ(JoyHatY(r), h.y) << h.pov;
    }
}

TEST_F(InputTest, AbsentJoysticksReadAsCentredAndUnpressed)
{
    in->m_numJoysticks = 0;
    DIJOYSTATE r;
    std::memset(&r, 0x5A, sizeof r);
    in->GetJoystickData(&r, 3);
    EXPECT_EQ(r.lX, 0);
    EXPECT_EQ(r.rglSlider[1], 0);
    EXPECT_EQ(r.rgbButtons[31], 0);
    for (std::uint32_t pov : r.rgdwPOV)
        EXPECT_EQ(pov, 0xFFFFFFFFu);

    for (int n : {0, 9, 10, -1, 1000}) {
        EXPECT_EQ(GETJOYX(n), 0.0) << n;
        EXPECT_EQ(GETJOYRZ(n), 0.0) << n;
        EXPECT_EQ(GETJOYBUTTON(n, 0), 0.0) << n;
        EXPECT_EQ(GETDIGIX(n), 0.0) << n;
        EXPECT_EQ(GETDIGIY(n), 0.0) << n;
        EXPECT_EQ(GETJOYNAME_Str(n).Len(), 0u) << n;
    }
    double x = 9, y = 9, b1 = 9, b2 = 9;
    JOYSTATE(x, y, b1, b2);
    EXPECT_EQ(x + y + b1 + b2, 0.0);
    EXPECT_EQ(GETNUMJOYSTICKS(), 0.0);
    FORCEFEEDBACK(0, 1.0, 100.0, 0.0); // no device is driven; must not fail
}

// ---- the line editor -----------------------------------------------------------

TEST(LineEditorLogic, EditsTheLineUntilReturn)
{
    const struct {
        const char* start;
        std::vector<int> keys;  // GetKeyChar results, the last one 10
        const char* result;
    } cases[] = {
        {"", {'a', 'b', 10}, "ab"},
        {"", {'a', 'b', 8, 'c', 10}, "ac"},
        {"", {8, 8, 10}, ""},           // backspace on an empty line
        {"old", {8, 8, 8, 8, 'n', 10}, "n"},
        {"File:", {'x', '.', 't', 10}, "File:x.t"},
        {"", {10}, ""},
    };
    for (const auto& c : cases) {
        DGStr text = c.start;
        LineEditor ed(text);
        size_t i = 0;
        while (!ed.Feed(c.keys[i]))
            ++i;
        EXPECT_EQ(i, c.keys.size() - 1) << c.result;
        EXPECT_EQ(std::string(text.c_str()), c.result);
    }
}

TEST(LineEditorLogic, CursorBlinksAfterTwentyIdleFramesAndIsNotPartOfTheResult)
{
    DGStr text = "ab";
    LineEditor ed(text);
    for (int i = 0; i < 20; ++i)
        ed.Feed(0);
    EXPECT_FALSE(ed.CursorOn());
    EXPECT_EQ(std::string(ed.Shown().c_str()), "ab");
    ed.Feed(0);
    EXPECT_TRUE(ed.CursorOn());
    EXPECT_EQ(std::string(ed.Shown().c_str()), "ab_");
    EXPECT_TRUE(ed.Feed(10));
    EXPECT_EQ(std::string(text.c_str()), "ab");
    for (int i = 0; i < 21; ++i)
        ed.Feed(0);
    EXPECT_FALSE(ed.CursorOn());
}

} // namespace
