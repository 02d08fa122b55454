// Screen-wide settings and queries: blending, the viewport, the frame limit,
// the screen size and clearing the background.
#include <cmath>

#include <GL/gl.h>

#include "engine3d/dedudeve3d.h"
#include "media/command_args.h"
#include "media/commands2d.h"
#include "media/opengl_dedudeve.h"

namespace __VELTRIC__ {

double ALPHAMODE(double a)
{
    float f = static_cast<float>(a);
    // NaN would reach every colour the renderer derives from the alpha.
    if (std::isnan(f) || f == 0.0f) {
        glDisable(GL_BLEND);
        if (__g_pRbow) __g_pRbow->m_alpha = 1.0f;
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        return 0.0;
    }
    glEnable(GL_BLEND);
    if (f > 0.0f)
        glBlendFunc(GL_SRC_ALPHA, GL_ONE); // additive
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const float alpha = std::fabs(f) > 1.0f ? 1.0f : std::fabs(f);
    if (__g_pRbow) __g_pRbow->m_alpha = alpha;
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    return 0.0;
}

double BLACKSCREEN()
{
    if (__g_pRbow) __g_pRbow->FreeSurface(0);
    glClear(GL_COLOR_BUFFER_BIT);
    return 0.0;
}

double GETSCREENSIZE(int& w, int& h)
{
    w = __g_pRbow ? __g_pRbow->m_width : 0;
    h = __g_pRbow ? __g_pRbow->m_height : 0;
    return 0.0;
}

double GETSCREENSIZE(double& w, double& h)
{
    int iw = 0, ih = 0;
    GETSCREENSIZE(iw, ih);
    w = iw;
    h = ih;
    return 0.0;
}

double VIEWPORT(int x, int y, int w, int h)
{
    if (__g_pRbow3D) __g_pRbow3D->DoShadows(false);
    if (__g_pRbow) __g_pRbow->Make2DViewport(x, y, w, h);
    return 0.0;
}

double LIMITFPS(double fps)
{
    if (__g_pRbow) __g_pRbow->SetMaxFPS(TruncToInt(fps));
    return 0.0;
}

double ISFULLSCREEN()
{
    return __g_pRbow ? __g_pRbow->m_fullscreen : 0.0;
}

} // namespace __VELTRIC__
