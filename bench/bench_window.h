#pragma once
// The renderer a GL benchmark draws with: an 800 x 600 window (run under
// Xvfb without a display), made current for the commands, drawing opaque.
// Its start-up report is kept off the benchmark's output.
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

} // namespace benchwin
