#pragma once
// Argument conversions shared by the 2D commands.
#include <climits>

namespace __VELTRIC__ {

// A number truncated toward zero to an int; values beyond the int range
// saturate and NaN gives 0 (a plain cast would be undefined there).
inline int TruncToInt(double v)
{
    if (!(v == v)) return 0;
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(v);
}

} // namespace __VELTRIC__
