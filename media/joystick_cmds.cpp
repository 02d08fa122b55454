// Joystick commands: each reads the joystick's record afresh and takes one
// value out of it. The six axis commands share one body.
#include <cstring>

#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/joystick_values.h"

namespace __VELTRIC__ {

namespace {

// The record of joystick n; the number reaches the reader as its low byte.
DIJOYSTATE ReadJoystick(int n)
{
    DIJOYSTATE r;
    if (pDXin) {
        pDXin->GetJoystickData(&r, static_cast<char>(n));
    } else {
        std::memset(&r, 0, sizeof(r));
        for (std::uint32_t& pov : r.rgdwPOV)
            pov = 0xFFFFFFFFu;
    }
    return r;
}

template <std::int32_t DIJOYSTATE::*Axis> double JoyAxis(int n)
{
    return JoyAxisValue(ReadJoystick(n).*Axis);
}

} // namespace

double GETJOYX(int n) { return JoyAxis<&DIJOYSTATE::lX>(n); }
double GETJOYY(int n) { return JoyAxis<&DIJOYSTATE::lY>(n); }
double GETJOYZ(int n) { return JoyAxis<&DIJOYSTATE::lZ>(n); }
double GETJOYRX(int n) { return JoyAxis<&DIJOYSTATE::lRx>(n); }
double GETJOYRY(int n) { return JoyAxis<&DIJOYSTATE::lRy>(n); }
double GETJOYRZ(int n) { return JoyAxis<&DIJOYSTATE::lRz>(n); }

double GETJOYBUTTON(int n, int b) { return JoyButtonValue(ReadJoystick(n), b); }
double GETDIGIX(int n) { return JoyHatX(ReadJoystick(n)); }
double GETDIGIY(int n) { return JoyHatY(ReadJoystick(n)); }

void JOYSTATE(double& x, double& y, double& b1, double& b2)
{
    const DIJOYSTATE r = ReadJoystick(0);
    x = JoyPadValue(r.lX);
    y = JoyPadValue(r.lY);
    b1 = r.rgbButtons[0];
    b2 = r.rgbButtons[1];
}

DGStr GETJOYNAME_Str(int n)
{
    DGStr s;
    char* out = s.GetStrData(256);
    out[0] = '\0';
    if (pDXin)
        pDXin->GetJoyName(out, n);
    s.CalcLen();
    return s;
}

double GETNUMJOYSTICKS()
{
    return pDXin ? pDXin->GetNumJoysticks() : 0.0;
}

void FORCEFEEDBACK(int n, double strength, double duration, double direction)
{
    if (pDXin)
        pDXin->ffRumble(n, 0, static_cast<float>(strength), static_cast<float>(duration),
                        static_cast<float>(direction));
}

} // namespace __VELTRIC__
