#pragma once
// The few plain functions behind which the platform pieces sit. Linux bodies
// are in platform/linux/, Mac OS X bodies in platform/macos/.

namespace __VELTRIC__ {

// The clock of the frame step and the renderer's pacing: milliseconds as a
// double (with a fractional part on Linux).
double PlatformClockMs();

// Test seam: while set, PlatformClockMs returns fn(). nullptr restores the
// real clock.
void SetPlatformClockForTesting(double (*fn)());

} // namespace __VELTRIC__
