// Stand-ins for functions whose modules have not landed yet, so that
// programs link in the meantime. Each is deleted when its module lands.
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {


} // namespace __VELTRIC__
