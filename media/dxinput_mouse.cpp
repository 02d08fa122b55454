// DXInput: the mouse. Motion and wheel are measured once per frame: the
// frame step sets the fresh-read flag, the first read of the frame takes the
// motion and caches it, and every later read of that frame sees the cache.
#include "media/dxinput.h"

#include <cstdint>

#include "media/input_source.h"

namespace __VELTRIC__ {

namespace {

std::int16_t SaturateToI16(long long v)
{
    if (v > INT16_MAX)
        return INT16_MAX;
    if (v < INT16_MIN)
        return INT16_MIN;
    return static_cast<std::int16_t>(v);
}

// The kept position is integrated from motion while the pointer is hidden;
// saturate so that endless motion in one direction cannot overflow it.
int SaturateToInt(long long v)
{
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int>(v);
}

} // namespace

int DXInput::GetMouseData(DIMOUSEDATA* out)
{
    const InputStateSource& src = CurrentInputSource();
    const bool fresh = m_freshRead;
    if (!fresh) {
        out->dx = m_cachedDX;
        out->dy = m_cachedDY;
        out->wheel = m_cachedWheel;
    }

    src.pump();
    int dx = 0, dy = 0;
    const Uint8 mask = src.relativeMouseState(&dx, &dy);
    int cx, cy;
    if (m_pointerShown) {
        cx = 0;
        cy = 0;
        src.mouseState(&cx, &cy);
    } else {
        cx = SaturateToInt(static_cast<long long>(m_mouseX) + dx);
        cy = SaturateToInt(static_cast<long long>(m_mouseY) + dy);
    }

    out->left = (mask & SDL_BUTTON(SDL_BUTTON_LEFT)) ? 1 : 0;
    out->right = (mask & SDL_BUTTON(SDL_BUTTON_RIGHT)) ? 1 : 0;
    out->middle = (mask & SDL_BUTTON(SDL_BUTTON_MIDDLE)) ? 1 : 0;
    if (!fresh)
        return 1; // this frame's motion was taken already: keep the position

    m_freshRead = false;
    out->dx = SaturateToI16(dx);
    out->dy = SaturateToI16(dy);
    if (mask & SDL_BUTTON(SDL_BUTTON_WHEELUP))
        out->wheel = 1;
    else if (mask & SDL_BUTTON(SDL_BUTTON_WHEELDOWN))
        out->wheel = -1;
    else
        out->wheel = 0;
    m_cachedDX = out->dx;
    m_cachedDY = out->dy;
    m_cachedWheel = out->wheel;
    m_mouseX = cx;
    m_mouseY = cy;
    return 1;
}

bool DXInput::AnyMouse()
{
    m_freshRead = true;
    DIMOUSEDATA d{};
    GetMouseData(&d);
    return d.left || d.right || d.middle;
}

void DXInput::ClampMouseTo(int w, int h)
{
    if (m_mouseX >= w)
        m_mouseX = w - 1;
    if (m_mouseY >= h)
        m_mouseY = h - 1;
    if (m_mouseX < 0)
        m_mouseX = 0;
    if (m_mouseY < 0)
        m_mouseY = 0;
}

} // namespace __VELTRIC__
