// Mouse commands: MOUSESTATE, MOUSEAXIS, SYSTEMPOINTER, SETMOUSE, MOUSEWAIT.
#include <SDL.h>

#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/opengl_dedudeve.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

void MOUSESTATE(double& x, double& y, double& b1, double& b2)
{
    x = y = b1 = b2 = 0.0;
    if (!pDXin)
        return;
    DIMOUSEDATA d{};
    pDXin->GetMouseData(&d);
    if (__g_pRbow)
        pDXin->ClampMouseTo(__g_pRbow->m_width, __g_pRbow->m_height);
    x = pDXin->m_mouseX;
    y = pDXin->m_mouseY;
    b1 = d.left ? 1.0 : 0.0;
    b2 = d.right ? 1.0 : 0.0;
}

double MOUSEAXIS(int n)
{
    if (!pDXin || n < 0 || n > 5)
        return 0.0;
    DIMOUSEDATA d{};
    pDXin->GetMouseData(&d);
    const std::int16_t values[6] = {d.dx, d.dy, d.wheel, d.left, d.right, d.middle};
    return values[n];
}

void SYSTEMPOINTER(double on)
{
    const bool shown = (on != 0.0); // a NaN is not 0: shown
    SDL_ShowCursor(shown ? 1 : 0);
    if (pDXin)
        pDXin->m_pointerShown = shown;
}

void SETMOUSE(int x, int y)
{
    if (!pDXin)
        return;
    pDXin->m_mouseX = x;
    pDXin->m_mouseY = y;
}

void MOUSEWAIT()
{
    if (!pDXin)
        return;
    while (pDXin->AnyMouse()) {
    }
    while (!pDXin->AnyMouse())
        HIBERNATE(); // handles the window events itself
    while (pDXin->AnyMouse()) {
    }
}

} // namespace __VELTRIC__
