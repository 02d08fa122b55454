// Stand-ins for functions whose modules have not landed yet, so that
// programs link in the meantime. Each is deleted when its module lands.
#include "media/opengl_dedudeve.h"
#include "media/sound.h"

namespace __VELTRIC__ {

// temporary stand-in until its module lands
SFXSound* pDXsnd = nullptr;
// temporary stand-in until its module lands
SFXSoundBuffer* DXwav = nullptr;
// temporary stand-in until its module lands
SFXSound::SFXSound() {}
// temporary stand-in until its module lands
SFXSound::~SFXSound() {}
// temporary stand-in until its module lands
void SFXSoundBuffer::FreeBuffer() {}
// temporary stand-in until its module lands
double STOPMUSIC() { return 0.0; }

} // namespace __VELTRIC__
