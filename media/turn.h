#pragma once
// Sine and cosine of the angle of a turned 2D draw, rounded to single
// precision as the GL's own rotation rounds them. Cheap (no correctly
// rounded library call) and computed from IEEE double + - * / alone, so both
// builds turn a sprite by the same bits. The double result is within a few
// units of 1e-16 of the true value, so its rounding to float is the
// correctly rounded one but where the true value lies that close to a
// half-way point between two floats.
namespace __VELTRIC__ {

struct SinCos {
    float sin, cos;
};

// Of an angle in degrees. Whole multiples of 90 give exact 0 and +-1.
SinCos TurnDegrees(float degrees);
// Of an angle in radians.
SinCos TurnRadians(float radians);

} // namespace __VELTRIC__
