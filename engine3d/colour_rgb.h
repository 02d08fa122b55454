#pragma once
// A 0x00BBGGRR colour as red, green and blue from 0 to 1.

namespace __VELTRIC__ {

struct ColourRgb {
    float r, g, b;
};

inline ColourRgb SplitColour(unsigned long c)
{
    return ColourRgb{static_cast<float>(c & 0xFF) / 255.0f,
                     static_cast<float>((c >> 8) & 0xFF) / 255.0f,
                     static_cast<float>((c >> 16) & 0xFF) / 255.0f};
}

} // namespace __VELTRIC__
