// Construction and destruction of the one 2D renderer, and the release of
// every sprite and surface it holds.
#include "media/opengl_dedudeve.h"

#include <SDL_opengl.h>

#include <cstring>

#include "platform/platform.h"

namespace __VELTRIC__ {

OpenGLDedudeve* __g_pRbow = nullptr;

OpenGLDedudeve::OpenGLDedudeve()
{
    for (ScreenRecord& s : m_screens) s = ScreenRecord{};
    m_colorKey = 0x8000FF;
    m_fontColorKey = 0;
    m_sprites = new SpriteRecord[kSpriteCount]();
    m_glReady = 0;
    for (SurfaceRecord& s : m_surfaces) s = SurfaceRecord{};
    SetupAccurateTimer();
    m_nextFrame = PlatformClockMs();
    m_smoothShading = 1;
    m_alphaCache = new std::uint8_t*[kSpriteCount]();
    // With no GL yet this deletes no texture; it only puts every sprite
    // record into its free state.
    FreeAll();
    m_alpha = 0.0f;
    m_currentScreen = -1;
}

OpenGLDedudeve::~OpenGLDedudeve()
{
    FBO_end();
    for (ScreenRecord& s : m_screens) s.fb.Clear();
    FreeAll();
    delete[] m_alphaCache;
    m_alphaCache = nullptr;
    delete[] m_sprites;
    m_sprites = nullptr;
}

void OpenGLDedudeve::Close() { FreeAll(); }

void OpenGLDedudeve::FreeAll()
{
    for (int n = 0; n < kSpriteCount; ++n) FreeSprite(n);
    for (SurfaceRecord& s : m_surfaces) {
        if (m_glReady) {
            for (std::uint32_t& tex : s.texture) DeleteTexture(tex);
        }
        std::memset(&s, 0, sizeof s);
    }
}

} // namespace __VELTRIC__
