#pragma once
// DXInput: keyboard, mouse and joysticks over SDL 1.2. Programs name keys by
// DirectInput keyboard scan codes (1 Escape, 57 space, 200 cursor up, ...);
// the key table turns them into SDL key numbers. The one instance lives in
// pDXin, created by start-up and deleted by shut-down.
#include <cstdint>

#include <SDL.h>

namespace __VELTRIC__ {

// The mouse record GetMouseData fills: buttons are 0 or 1, wheel +1, -1 or 0.
struct DIMOUSEDATA {
    std::int16_t left;
    std::int16_t right;
    std::int16_t middle;
    std::int16_t dx;
    std::int16_t dy;
    std::int16_t wheel;
};

// The joystick record in DirectInput's 80-byte layout. A POV of 0xFFFFFFFF
// is centred; a non-zero button byte is pressed.
struct DIJOYSTATE {
    std::int32_t lX, lY, lZ;
    std::int32_t lRx, lRy, lRz;
    std::int32_t rglSlider[2];
    std::uint32_t rgdwPOV[4];
    std::uint8_t rgbButtons[32];
};
static_assert(sizeof(DIJOYSTATE) == 80, "DIJOYSTATE keeps DirectInput's layout");

constexpr int kKeyTableSize = 324;      // key numbers 0..323
constexpr std::uint16_t kNoKey = 255;   // fill value of the key table: no key
constexpr int kMaxJoysticks = 10;

// One row of the scan code -> SDL key table (media/key_table.cpp).
struct KeyTableRow {
    std::uint8_t scanCode;
    std::uint16_t sdlKey;
};
extern const KeyTableRow kKeyTableRows[];
extern const int kKeyTableRowCount;     // 109

class DXInput {
public:
    DXInput();
    ~DXInput();
    DXInput(const DXInput&) = delete;
    DXInput& operator=(const DXInput&) = delete;

    // Builds the key table, hides the system pointer and opens the joysticks.
    // The arguments are not read. Returns 0.
    int CreateDInput(unsigned long, unsigned long, bool);
    // Fills the key table: 255 everywhere, then the 109 rows.
    void DXtoVK(bool);

    // ---- keyboard ----
    void GetKeyboardStatus();
    // 1 when the key of key number n & 0xFF is held (KEY's rule).
    int IsKeyDown(int n);
    // The character of the key held now, once per press (0 when none).
    int GetKeyChar();
    bool AnyKey() { return GetKeyChar() != 0; }
    // True when any key number 0..254 is held (one refresh for the scan).
    bool AnyKeyHeld();
    // The character of key number code, 0 for keys without one.
    int Scan2Ascii(unsigned long code) const;

    // ---- mouse ----
    int GetMouseData(DIMOUSEDATA* out);
    bool AnyMouse();
    // Clamps the kept position into 0..w-1 x 0..h-1.
    void ClampMouseTo(int w, int h);

    // ---- joysticks ----
    int GetJoystickData(DIJOYSTATE* rec, char n);
    // out has room for 256 bytes; longer names are cut.
    void GetJoyName(char* out, int n);
    int GetNumJoysticks() const { return m_numJoysticks; }
    void ffRumble(int, int, float, float, float) {}

    // ---- fields ----
    int m_mouseX = 100, m_mouseY = 100;   // the position kept by the runtime
    SDL_Joystick* m_joysticks[kMaxJoysticks] = {};
    bool m_pointerShown = false;          // system pointer shown: absolute position
    int m_numJoysticks = 0;
    bool m_freshRead = true;              // next mouse read measures motion anew
    std::int16_t m_cachedDX = 0, m_cachedDY = 0, m_cachedWheel = 0;
    std::uint16_t m_keyTable[kKeyTableSize] = {};
    std::uint8_t m_lastPressed = 0;       // folded character of the last GetKeyChar

private:
    bool SdlKeyHeld(const Uint8* state, int numkeys, int keyNumber) const;
};

extern DXInput* pDXin;

// ---- test seam ---------------------------------------------------------
// Where DXInput reads SDL's input state. Tests install their own source to
// hold keys and move the mouse without a display; nullptr restores SDL.
struct InputStateSource {
    void (*pump)();
    Uint8* (*keyState)(int* numkeys);
    Uint8 (*mouseState)(int* x, int* y);
    Uint8 (*relativeMouseState)(int* dx, int* dy);
};
void SetInputStateSourceForTesting(const InputStateSource* source);

} // namespace __VELTRIC__
