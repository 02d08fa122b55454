#pragma once
// The input state source DXInput reads: SDL's, or a test's own.
#include "media/dxinput.h"

namespace __VELTRIC__ {

const InputStateSource& CurrentInputSource();

} // namespace __VELTRIC__
