#pragma once
// The renderer a GL benchmark draws with: an 800 x 600 window (run under
// Xvfb without a display), made current for the commands, drawing opaque.
// Its start-up report is kept off the benchmark's output.
#include <SDL_opengl.h>

#include <cstdlib>

#include "bench/quiet_stdout.h"
#include "media/opengl_dedudeve.h"

namespace benchwin {

constexpr int kW = 800, kH = 600;

inline __VELTRIC__::OpenGLDedudeve* OpenRenderer()
{
    auto* p = new __VELTRIC__::OpenGLDedudeve;
    {
        QuietStdout quiet;
        if (!p->Init(0, kW, kH, 24, 60, 0, false)) std::abort();
    }
    __VELTRIC__::__g_pRbow = p;
    p->m_alpha = 1.0f;
    return p;
}

// The yardstick of the sprite benchmarks: a side x side quad of the bound
// texture drawn with the GL's own calls, corners in the order DRAWSPRITE
// sends them.
inline void PlainQuad(int x, int y, int side)
{
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1); glVertex2i(x + side, y);
    glTexCoord2f(0, 1); glVertex2i(x, y);
    glTexCoord2f(0, 0); glVertex2i(x, y + side);
    glTexCoord2f(1, 0); glVertex2i(x + side, y + side);
    glEnd();
}

} // namespace benchwin
