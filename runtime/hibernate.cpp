// HIBERNATE: the short idle wait that KEYWAIT and MOUSEWAIT repeat. It ends
// as soon as any key, the mouse or a joystick differs from the state on
// entry, else after 15 passes of 5 microseconds.
#include <cmath>
#include <ctime>

#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/opengl_dedudeve.h"
#include "runtime/core.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

namespace {

struct MouseSnapshot {
    int x, y;
    double left, right;
    bool operator!=(const MouseSnapshot& o) const
    {
        return x != o.x || y != o.y || left != o.left || right != o.right;
    }
};

MouseSnapshot ReadClampedMouse(DXInput& in)
{
    DIMOUSEDATA d{};
    in.GetMouseData(&d);
    if (__g_pRbow)
        in.ClampMouseTo(__g_pRbow->m_width, __g_pRbow->m_height);
    return {in.m_mouseX, in.m_mouseY, d.left ? 1.0 : 0.0, d.right ? 1.0 : 0.0};
}

bool AnyJoystickActive()
{
    for (int j = static_cast<int>(GETNUMJOYSTICKS()) - 1; j >= 0; --j) {
        for (int b = 0; b < 32; ++b)
            if (GETJOYBUTTON(j, b) != 0.0)
                return true;
        if (std::fabs(GETJOYX(j)) > 0.1 || std::fabs(GETJOYY(j)) > 0.1 ||
            std::fabs(GETJOYZ(j)) > 0.1)
            return true;
        if (GETDIGIX(j) != 0.0 || GETDIGIY(j) != 0.0)
            return true;
    }
    return false;
}

} // namespace

void HIBERNATE()
{
    if (!pDXin)
        return;
    DXInput& in = *pDXin;
    const MouseSnapshot reference = ReadClampedMouse(in);

    for (int pass = 0; pass < 15; ++pass) {
        if (__g_pRbow && __g_pRbow->WinMessages() == 0)
            __EndProgram();
        in.GetKeyboardStatus();
        in.m_freshRead = true;
        if (__g_AllowEscape && (in.IsKeyDown(129) || in.IsKeyDown(1)))
            __EndProgram();
        if (in.AnyKeyHeld())
            return;
        if (ReadClampedMouse(in) != reference)
            return;
        if (AnyJoystickActive())
            return;
        const timespec ts{0, 5000};
        nanosleep(&ts, nullptr);
    }
}

} // namespace __VELTRIC__
