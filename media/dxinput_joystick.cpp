// DXInput: joysticks, read into DirectInput-shaped records. No hat is read,
// so the point-of-view values always read as centred.
#include "media/dxinput.h"

#include <cstring>

namespace __VELTRIC__ {

int DXInput::GetJoystickData(DIJOYSTATE* rec, char n)
{
    std::memset(rec, 0, sizeof(*rec));
    for (std::uint32_t& pov : rec->rgdwPOV)
        pov = 0xFFFFFFFFu;
    const int j = static_cast<signed char>(n);
    if (j < 0 || j >= m_numJoysticks)
        return 1;
    SDL_Joystick* stick = m_joysticks[j];
    if (!stick)
        return 1; // a failed open: SDL would answer every read with 0

    std::int32_t* axes[6] = {&rec->lX, &rec->lY, &rec->lZ, &rec->lRx, &rec->lRy, &rec->lRz};
    for (int a = 0; a < 6; ++a)
        *axes[a] = SDL_JoystickGetAxis(stick, a);
    int buttons = SDL_JoystickNumButtons(stick);
    if (buttons > 32)
        buttons = 32;
    for (int b = 0; b < buttons; ++b)
        rec->rgbButtons[b] = SDL_JoystickGetButton(stick, b);
    return 1;
}

void DXInput::GetJoyName(char* out, int n)
{
    out[0] = '\0';
    if (n < 0 || n >= m_numJoysticks)
        return;
    const char* name = SDL_JoystickName(n);
    if (!name)
        return;
    std::strncpy(out, name, 255);
    out[255] = '\0';
}

} // namespace __VELTRIC__
