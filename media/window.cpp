// The window and its GL context: opening it with its fall-backs and
// diagnostics, mode and size changes, window events, the 2D viewport and the
// pacing of the buffer flips.
#include <SDL.h>
#include <SDL_opengl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "media/command_args.h"
#include "media/gl_extensions.h"
#include "media/opengl_dedudeve.h"
#include "platform/platform.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

namespace {

void* LookUpGL(const char* name) { return SDL_GL_GetProcAddress(name); }

const char* GLText(GLenum what)
{
    const GLubyte* s = glGetString(what);
    return s ? reinterpret_cast<const char*>(s) : "(none)";
}

int GLAttribute(SDL_GLattr attr)
{
    int v = 0;
    if (SDL_GL_GetAttribute(attr, &v) != 0) v = 0;
    return v;
}

Uint32 VideoFlags(bool fullscreen)
{
#ifdef __APPLE__
    return SDL_OPENGL | (fullscreen ? SDL_FULLSCREEN : 0);
#else
    (void)fullscreen; // the Linux window goes full screen afterwards, by toggling
    return SDL_OPENGL;
#endif
}

} // namespace

std::uint32_t HandleEvent(SDL_Event* e)
{
    if (!e) return 0;
    if (e->type == SDL_QUIT) return 1;
    if (e->type == SDL_KEYDOWN && e->key.keysym.sym == SDLK_ESCAPE) return 1;
    return 0;
}

std::uint32_t OpenGLDedudeve::WinMessages(bool escapeEnds)
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (HandleEvent(&e) && (escapeEnds || e.type == SDL_QUIT)) return 0;
    }
    return 1;
}

void OpenGLDedudeve::SetMaxFPS(int fps) { m_framePeriod = fps > 0 ? 1000.0 / fps : 2.0; }

void OpenGLDedudeve::SetupAccurateTimer()
{
#ifdef __APPLE__
    SDL_Init(SDL_INIT_TIMER);
#endif
}

namespace {

// The GL gathers thousands of 2D primitives into one draw, for which the
// software driver allocates vertex buffers of some megabytes and frees them
// again. Under the allocator's default thresholds each such buffer is
// mapped afresh (or the heap's top given back and grown again) for every
// draw, and the page faults of touching it anew cost more than the batching
// saves (measured: lines drawn in one batch ran at half the rate of lines
// drawn one by one). Buffers up to 8 MiB are kept on the heap and that much
// free top is not given back.
void KeepHeapForBatches()
{
#if defined(__GLIBC__)
    constexpr int kKeep = 8 << 20;
    mallopt(M_MMAP_THRESHOLD, kKeep);
    mallopt(M_TRIM_THRESHOLD, kKeep);
#endif
}

} // namespace

int OpenGLDedudeve::Init(unsigned long, int w, int h, int bpp, unsigned int maxfps,
                         int multisamples, bool fullscreen)
{
    SetMaxFPS(static_cast<int>(maxfps));
    m_multisamples = multisamples;

    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "Couldn't initialize SDL: %s\n", SDL_GetError());
        std::exit(1);
    }

    if (bpp == 0) bpp = 24;
#ifdef __APPLE__
    if (fullscreen) std::puts("Request fullscreen");
#endif
    int red = 8, green = 8, blue = 8;
    switch (bpp) {
    case 15: red = 5; green = 5; blue = 5; break;
    case 16: red = 5; green = 6; blue = 5; break;
    case 8: red = 3; green = 3; blue = 2; break;
    default: break;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    if (multisamples) {
        std::printf("multisamples x%d\n", multisamples);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 1);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, multisamples);
    }

    std::puts("Set Vidmode");
    const Uint32 flags = VideoFlags(fullscreen);
    SDL_Surface* screen = SDL_SetVideoMode(w, h, bpp, flags);
    if (!screen && multisamples) {
        std::puts("INIT: Unable to create video surface that supports FSAA; trying without.");
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLEBUFFERS, 0);
        SDL_GL_SetAttribute(SDL_GL_MULTISAMPLESAMPLES, 0);
        screen = SDL_SetVideoMode(w, h, bpp, flags);
    }
    if (!screen) {
        std::printf("INIT: Unable to create %d BPP -> trying 16.\n", bpp);
        if (bpp != 16) {
            screen = SDL_SetVideoMode(w, h, 16, flags);
            if (screen) {
                bpp = 16;
                red = 5; green = 6; blue = 5;
            }
        }
    }
    if (!screen) {
        std::fprintf(stderr, "Couldn't set GL mode: %s\n", SDL_GetError());
        SDL_Quit();
        return 0;
    }

    SDL_Surface* video = SDL_GetVideoSurface();
    std::printf("Screen BPP: %d\n", video && video->format ? video->format->BitsPerPixel : 0);
    std::puts("");
    std::printf("Vendor     : %s\n", GLText(GL_VENDOR));
    std::printf("Renderer   : %s\n", GLText(GL_RENDERER));
    std::printf("Version    : %s\n", GLText(GL_VERSION));
    std::printf("Extensions : %s\n", GLText(GL_EXTENSIONS));
    std::puts("");
    std::printf("SDL_GL_RED_SIZE: requested %d, got %d\n", red, GLAttribute(SDL_GL_RED_SIZE));
    std::printf("SDL_GL_GREEN_SIZE: requested %d, got %d\n", green, GLAttribute(SDL_GL_GREEN_SIZE));
    std::printf("SDL_GL_BLUE_SIZE: requested %d, got %d\n", blue, GLAttribute(SDL_GL_BLUE_SIZE));
    std::printf("SDL_GL_DEPTH_SIZE: requested %d, got %d\n", 24, GLAttribute(SDL_GL_DEPTH_SIZE));
    std::printf("SDL_GL_DOUBLEBUFFER: requested 1, got %d\n", GLAttribute(SDL_GL_DOUBLEBUFFER));

    m_bpp = bpp;
    m_height = h;
    m_width = w;
    m_fullscreen = 0;
    m_nextFrame = PlatformClockMs();

    std::puts("Extensions");
    LoadArbExtensions(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), LookUpGL);

    std::puts("FBO");
    FBUFFER::InitFrameBufferObject();
    std::puts("Viewport");
    Make2DViewport(0, 0, 0, 0);
    std::puts("GFX seem OK");
    KeepHeapForBatches();
    m_glReady = 1;
    return 1;
}

double OpenGLDedudeve::FlipScreens()
{
    FBO_end();
    SDL_GL_SwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const double start = PlatformClockMs();
    const double period = m_framePeriod > 0.0 ? m_framePeriod : 2.0;

    // The next frame is never more than one period away: a schedule that
    // lies further ahead (the clock went back, or the period was shortened)
    // would otherwise be slept through without answering Escape or a close.
    if (!(m_nextFrame <= start + period)) m_nextFrame = start + period;

    double now = start;
    for (;;) {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (HandleEvent(&e)) return 0.0;
        }
        now = PlatformClockMs();
        const double ahead = m_nextFrame - now; // at most one period here
        if (ahead > 5.0) {
            const int ms = static_cast<int>(ahead);
            if (ms > 5) {
                // Sleep all but the last 3 ms; they are polled out below so
                // the flip lands close to its time.
                Sleep(static_cast<unsigned long>(ms - 3));
                now += ms;
            }
        }
        if (now > m_nextFrame) break;
    }

    // Frames missed by a slow frame are skipped in one step, never made up
    // in a burst: the schedule moves to the first grid point after now.
    m_nextFrame += period;
    if (now > m_nextFrame) {
        const double missed = std::floor((now - m_nextFrame) / period) + 1.0;
        m_nextFrame += missed * period;
        if (!(m_nextFrame > now)) m_nextFrame = now + period;
    }
    return now - start + 1.0;
}

int OpenGLDedudeve::DoFullscreen()
{
#ifdef __APPLE__
    return 1;
#else
    SDL_Surface* s = SDL_GetVideoSurface();
    if (!s) return 0;
    if (!(s->flags & SDL_FULLSCREEN) && !SDL_WM_ToggleFullScreen(s)) return 0;
    m_fullscreen = 1;
    return 1;
#endif
}

int OpenGLDedudeve::DoWindowed()
{
#ifdef __APPLE__
    return 1;
#else
    SDL_Surface* s = SDL_GetVideoSurface();
    if (!s) return 0;
    if ((s->flags & SDL_FULLSCREEN) && !SDL_WM_ToggleFullScreen(s)) return 0;
    m_fullscreen = 0;
    return 1;
#endif
}

int OpenGLDedudeve::SetScreen(int w, int h, int bpp, int fullscreen)
{
    // Zero keeps the current value; a negative size is no mode at all.
    if (w < 0 || h < 0 || bpp < 0) return 0;
    if (w || h || bpp) {
        const int nw = w ? w : m_width;
        const int nh = h ? h : m_height;
        const int nbpp = bpp ? bpp : m_bpp;
        if (nw <= 0 || nh <= 0) return 0;
        if (!SDL_SetVideoMode(nw, nh, nbpp, SDL_OPENGL)) {
            // Go back to the mode that worked; the stored sizes never changed.
            if (m_width > 0 && m_height > 0) SDL_SetVideoMode(m_width, m_height, m_bpp, SDL_OPENGL);
            return 0;
        }
        m_width = nw;
        m_height = nh;
        m_bpp = nbpp;
        // A new mode may come with a new GL context: nothing known holds.
        m_unit1Off = false;
    }
#ifdef __APPLE__
    (void)fullscreen;
    return (w || h || bpp) ? 1 : 0;
#else
    return fullscreen ? DoFullscreen() : DoWindowed();
#endif
}

void OpenGLDedudeve::ChangeSize(int w, int h)
{
    m_width = w;
    m_height = h;
    Make2DViewport(0, 0, 0, 0);
}

void OpenGLDedudeve::Make2DViewport(int x, int y, int w, int h)
{
    if (w < 1 || h < 1) {
        w = m_width;
        h = m_height;
    }
    m_viewX = x;
    m_viewY = y;
    m_viewW = w;
    m_viewH = h;
    // Rows count from the bottom in GL; worked out in double and held to the
    // int range, so a viewport placed at the ends of the range cannot wrap.
    glViewport(x, TruncToInt(double(m_height) - h - y), w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.05f);
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glDisable(GL_FOG);
    glDisable(GL_LINE_SMOOTH);
    glDisable(GL_POINT_SMOOTH);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_NORMALIZE);
    glDisable(GL_LIGHTING);
    glShadeModel(GL_FLAT);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_DITHER);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_POLYGON_SMOOTH);
    glDisable(GL_POLYGON_OFFSET_POINT);
    glDisable(GL_AUTO_NORMAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_POLYGON_SMOOTH_HINT, GL_FASTEST);
    m_smoothShading = 1;
    SetTexture3D(-1, -1, 0, nullptr);
}

} // namespace __VELTRIC__
