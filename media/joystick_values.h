#pragma once
// How the joystick commands read a joystick record.
#include <cstdint>

#include "media/dxinput.h"

namespace __VELTRIC__ {

// An axis as -1.0 .. 1.0 (the raw -32768 gives -1.0).
inline double JoyAxisValue(std::int32_t raw)
{
    const double v = raw / 32767.0;
    return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v);
}

// An axis as a digital pad: -1, 0 or 1, full deflection only.
inline double JoyPadValue(std::int32_t raw)
{
    return static_cast<double>(static_cast<int>(raw / 30000.0));
}

// Button b of the record; b outside 0..31 (a negative b included) reads 0.
inline double JoyButtonValue(const DIJOYSTATE& r, int b)
{
    return static_cast<unsigned>(b) < 32u ? r.rgbButtons[b] : 0.0;
}

// The hat in hundredths of a degree clockwise from up.
inline double JoyHatX(const DIJOYSTATE& r)
{
    return r.rgdwPOV[0] == 9000 ? 1.0 : (r.rgdwPOV[0] == 27000 ? -1.0 : 0.0);
}
inline double JoyHatY(const DIJOYSTATE& r)
{
    return r.rgdwPOV[0] == 0 ? -1.0 : (r.rgdwPOV[0] == 18000 ? 1.0 : 0.0);
}

} // namespace __VELTRIC__
