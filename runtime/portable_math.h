#pragma once
// Transcendental functions that give the same bits on every build.
//
// The C library's sin, pow, atan2 … differ by an ulp between its x86_64 and
// its 32-bit x86 versions, so a program would see other numbers on the two
// builds. These are computed from IEEE double + - * / and sqrt alone (no
// fused multiply-add, no x87, no library transcendental), which round alike
// everywhere. Results are within one ulp of the true value (nearly always
// the correctly rounded one), with the C rules for special arguments:
// signed zeros, infinities and NaN as C99's Annex F gives them.
namespace __VELTRIC__ {

// Angles in radians.
double PortableSin(double x);
double PortableCos(double x);
double PortableTan(double x);
// NaN outside -1 .. 1.
double PortableAsin(double x);
double PortableAcos(double x);
double PortableAtan(double x);
// Direction of (x, y), -pi .. pi, with atan2's quadrant and signed-zero rules.
double PortableAtan2(double y, double x);
// x to the power y, with pow's rules for 0, 1, infinities, NaN and negative
// bases (integer exponents only).
double PortablePow(double x, double y);

} // namespace __VELTRIC__
