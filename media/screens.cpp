// Render-to-texture screens: the EXT framebuffer entry points, FBUFFER and
// the renderer's CREATESCREEN / USESCREEN members. Without frame buffer
// objects a screen is emulated on the window: its area is saved into the
// scratch sprite, drawing happens there, and the result is grabbed into the
// screen's sprite before the window is restored.
#include <algorithm>
#include <cstdio>

#include <SDL.h>

#include "media/gl_extensions.h"
#include "media/image.h"
#include "media/opengl_dedudeve.h"
#include "media/sprite_record.h"
#include "media/surfaces.h"

namespace __VELTRIC__ {

namespace FRAMEBUFFER {
PFNGLBINDRENDERBUFFEREXTPROC glBindRenderbufferExt = nullptr;
PFNGLDELETERENDERBUFFERSEXTPROC glDeleteRenderbuffersExt = nullptr;
PFNGLGENRENDERBUFFERSEXTPROC glGenRenderbuffersExt = nullptr;
PFNGLRENDERBUFFERSTORAGEEXTPROC glRenderbufferStorageExt = nullptr;
PFNGLBINDFRAMEBUFFEREXTPROC glBindFramebufferExt = nullptr;
PFNGLDELETEFRAMEBUFFERSEXTPROC glDeleteFramebuffersExt = nullptr;
PFNGLGENFRAMEBUFFERSEXTPROC glGenFramebuffersExt = nullptr;
PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC glCheckFramebufferStatusExt = nullptr;
PFNGLFRAMEBUFFERTEXTURE2DEXTPROC glFramebufferTexture2DExt = nullptr;
PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC glFramebufferRenderbufferExt = nullptr;
} // namespace FRAMEBUFFER

using namespace FRAMEBUFFER;

namespace {

template <class F> void Lookup(F& pointer, const char* name, bool offered)
{
    // GLX answers non-null even for names it does not have, so a pointer is
    // kept only when the extension string offers the extension.
    void* p = offered && SDL_WasInit(SDL_INIT_VIDEO) ? SDL_GL_GetProcAddress(name) : nullptr;
    pointer = reinterpret_cast<F>(p);
    char line[128];
    std::snprintf(line, sizeof line, "ext: %-35s   [%4s]", name, p ? "OK" : "FAIL");
    std::puts(line);
}

bool CanCreate()
{
    return glGenFramebuffersExt && glGenRenderbuffersExt && glBindRenderbufferExt &&
           glRenderbufferStorageExt && glCheckFramebufferStatusExt && glBindFramebufferExt &&
           glFramebufferTexture2DExt && glFramebufferRenderbufferExt;
}

// Binds the object with `texture` as colour and `depth` as depth attachment
// and tells whether that combination is complete.
bool AttachAndCheck(GLuint fbo, GLuint depth, GLuint texture)
{
    glBindFramebufferExt(GL_FRAMEBUFFER_EXT, fbo);
    glBindRenderbufferExt(GL_RENDERBUFFER_EXT, depth);
    glFramebufferTexture2DExt(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    glFramebufferRenderbufferExt(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT,
                                 depth);
    return glCheckFramebufferStatusExt(GL_FRAMEBUFFER_EXT) == GL_FRAMEBUFFER_COMPLETE_EXT;
}

void Unbind()
{
    glBindFramebufferExt(GL_FRAMEBUFFER_EXT, 0);
    glBindRenderbufferExt(GL_RENDERBUFFER_EXT, 0);
}

int MaxTextureSize()
{
    GLint m = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &m);
    return m > 0 ? m : 64;
}

int PowerOfTwoAtLeast(int n)
{
    int p = 1;
    do {
        p <<= 1;
    } while (p < n);
    return p;
}

} // namespace

int FBUFFER::InitFrameBufferObject()
{
    const char* ext = nullptr;
    if (SDL_WasInit(SDL_INIT_VIDEO)) ext = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return LoadFramebufferEntryPoints(ext);
}

int LoadFramebufferEntryPoints(const char* extensions)
{
    bool offered = extensions && HasGLExtension(extensions, "GL_EXT_framebuffer_object");
    Lookup(glBindRenderbufferExt, "glBindRenderbufferEXT", offered);
    Lookup(glDeleteRenderbuffersExt, "glDeleteRenderbuffersEXT", offered);
    Lookup(glGenRenderbuffersExt, "glGenRenderbuffersEXT", offered);
    Lookup(glRenderbufferStorageExt, "glRenderbufferStorageEXT", offered);
    Lookup(glBindFramebufferExt, "glBindFramebufferEXT", offered);
    Lookup(glDeleteFramebuffersExt, "glDeleteFramebuffersEXT", offered);
    Lookup(glGenFramebuffersExt, "glGenFramebuffersEXT", offered);
    Lookup(glCheckFramebufferStatusExt, "glCheckFramebufferStatusEXT", offered);
    Lookup(glFramebufferTexture2DExt, "glFramebufferTexture2DEXT", offered);
    Lookup(glFramebufferRenderbufferExt, "glFramebufferRenderbufferEXT", offered);
    return offered ? 1 : 0;
}

int FBUFFER::Create(int w, int h, unsigned int texture)
{
    Clear();
    if (!CanCreate() || w < 1 || h < 1) return 0;
    GLuint f = 0, d = 0;
    glGenFramebuffersExt(1, &f);
    glGenRenderbuffersExt(1, &d);
    glBindRenderbufferExt(GL_RENDERBUFFER_EXT, d);
    glRenderbufferStorageExt(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, w, h);
    // The status is that of our own object with its attachments, not of
    // whatever frame buffer happened to be bound.
    bool complete = AttachAndCheck(f, d, texture);
    Unbind();
    if (!complete) {
        if (glDeleteFramebuffersExt) glDeleteFramebuffersExt(1, &f);
        if (glDeleteRenderbuffersExt) glDeleteRenderbuffersExt(1, &d);
        return 0;
    }
    fbo = f;
    depth = d;
    width = w;
    height = h;
    return 1;
}

void FBUFFER::Clear()
{
    if ((fbo || depth) && glDeleteFramebuffersExt && glDeleteRenderbuffersExt) {
        glDeleteFramebuffersExt(1, &fbo);
        glDeleteRenderbuffersExt(1, &depth);
    }
    fbo = depth = 0;
    width = height = 0;
}

int FBUFFER::StartRendering(unsigned int texture)
{
    if (!width || !height || !glBindFramebufferExt) return 0;
    return AttachAndCheck(fbo, depth, texture) ? 1 : 0;
}

int FBUFFER::StopRendering()
{
    if (!width || !height || !glBindFramebufferExt) return 0;
    Unbind();
    return 1;
}

int OpenGLDedudeve::FBO_create(int screen, int sprite, int w, int h)
{
    if (screen < 0 || screen >= kScreenCount || !IsSpriteNumber(sprite)) return 0;
    // Bounded by the texture limit: a side of 0 or less would wrap the
    // 16-bit sizes of the sprite record, a huge one allocate gigabytes.
    if (w < 1 || h < 1 || w > MaxTextureSize() || h > MaxTextureSize()) return 0;
    if (m_currentScreen == screen) FBO_end();
    int tw = PowerOfTwoAtLeast(w), th = PowerOfTwoAtLeast(h);
    FreeSprite(sprite);
    OPENGL_IMAGE blank;
    if (!blank.SetSize(tw, th)) return 0;
    std::fill(blank.pixels, blank.pixels + static_cast<std::size_t>(tw) * th * 4, 0);
    SpriteRecord& s = m_sprites[sprite];
    // Nearest filtering skips the edge-colour pass, which has nothing to do
    // on a blank picture; the drawing commands set the filters anyway.
    MakeTexture(blank, 0, 0, 0, 0, &s.texture, nullptr, false, true);
    s.texWidth = static_cast<std::uint16_t>(tw);
    s.texHeight = static_cast<std::uint16_t>(th);
    s.imgWidth = static_cast<std::uint16_t>(w);
    s.imgHeight = static_cast<std::uint16_t>(h);
    ScreenRecord& r = m_screens[screen];
    r.fb.Create(tw, th, s.texture);
    r.sprite = sprite;
    return 1;
}

int OpenGLDedudeve::FBO_start(int screen)
{
    if (screen < 0 || screen >= kScreenCount) return 0;
    if (m_currentScreen >= 0) FBO_end();
    m_currentScreen = screen;
    ScreenRecord& r = m_screens[screen];
    if (!IsSpriteNumber(r.sprite)) r.sprite = 0;
    SpriteRecord& s = m_sprites[r.sprite];
    int iw = s.imgWidth, ih = s.imgHeight;
    if (r.fb.width && r.fb.height && glBindFramebufferExt) {
        // The sprite may have been reloaded at another size since the object
        // was made: make it again to match, and fall back when that fails.
        if (r.fb.width != s.texWidth || r.fb.height != s.texHeight)
            r.fb.Create(s.texWidth, s.texHeight, s.texture);
        if (r.fb.width && AttachAndCheck(r.fb.fbo, r.fb.depth, s.texture)) {
            Make2DViewport(0, 0, iw, ih);
            glViewport(0, 0, iw, ih);
            return 1;
        }
        if (r.fb.width) Unbind();
        r.fb.Clear();
    }
    Make2DViewport(0, 0, iw, ih);
    GrabSprite(kScratchSprite, 0, 0, iw, ih);
    DrawRect(0, 0, iw, ih, m_colorKey);
    DrawSprite(r.sprite, 0, 0);
    return 1;
}

int OpenGLDedudeve::FBO_end()
{
    if (m_currentScreen < 0) return 0;
    ScreenRecord& r = m_screens[m_currentScreen];
    if (r.fb.width && r.fb.height && glBindFramebufferExt) {
        Unbind();
    } else {
        const SpriteRecord& s = m_sprites[r.sprite];
        int iw = s.imgWidth, ih = s.imgHeight;
        GrabSprite(r.sprite, 0, 0, iw, ih);
        DrawRect(0, 0, iw, ih, 0);
        DrawSprite(kScratchSprite, 0, 0);
    }
    Make2DViewport(0, 0, 0, 0);
    m_currentScreen = -1;
    return 1;
}

double CREATESCREEN(int screen, int sprite, int w, int h)
{
    if (!__g_pRbow) return 0.0;
    return __g_pRbow->FBO_create(screen, sprite, w, h);
}

double USESCREEN(int screen)
{
    if (!__g_pRbow) return 0.0;
    if (screen < 0) return __g_pRbow->FBO_end();
    return __g_pRbow->FBO_start(screen);
}

} // namespace __VELTRIC__
