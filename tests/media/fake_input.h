#pragma once
// A hand-held input state for DXInput: keys held and mouse moved by the test,
// read through the input seam instead of SDL.
#include <SDL.h>

#include <cstring>

#include "media/dxinput.h"

namespace input_test {

struct FakeInput {
    static inline Uint8 keys[SDLK_LAST];
    static inline int x = 0, y = 0;      // absolute pointer position
    static inline int dx = 0, dy = 0;    // motion since the last relative read
    static inline Uint8 buttons = 0;
    static inline int pumps = 0;
    static inline bool repeatMotion = false; // every read reports dx, dy again

    static void Reset()
    {
        std::memset(keys, 0, sizeof(keys));
        x = y = dx = dy = 0;
        buttons = 0;
        pumps = 0;
        repeatMotion = false;
    }
    static void Install()
    {
        static const __VELTRIC__::InputStateSource source = {
            [] { ++pumps; },
            [](int* n) {
                if (n) *n = SDLK_LAST;
                return keys;
            },
            [](int* px, int* py) {
                if (px) *px = x;
                if (py) *py = y;
                return buttons;
            },
            [](int* pdx, int* pdy) {
                if (pdx) *pdx = dx;
                if (pdy) *pdy = dy;
                if (!repeatMotion)
                    dx = dy = 0; // SDL reports motion once
                return buttons;
            },
        };
        Reset();
        __VELTRIC__::SetInputStateSourceForTesting(&source);
    }
    static void Uninstall() { __VELTRIC__::SetInputStateSourceForTesting(nullptr); }
};

} // namespace input_test
