// SHOWSCREEN, the one call a program makes per frame, and the settings that
// steer it (ALLOWESCAPE, AUTOPAUSE, SETSCREEN).
#include "runtime/frame.h"

#include <SDL.h>

#include "engine3d/dedudeve3d.h"
#include "engine3d/x_commands.h"
#include "media/commands2d.h"
#include "media/dxinput.h"
#include "media/opengl_dedudeve.h"
#include "platform/platform.h"
#include "runtime/core.h"

namespace __VELTRIC__ {

double __g_ThisTime = 0.0;
double __g_LastTime = 0.0;
double __g_FirstTime = 0.0;
bool __g_AllowEscape = true;
bool __g_allowPause = false;
bool __g_paused = false;

namespace {

// The quit keys: Escape (and key number 129, an unmapped entry) while the
// program allows it, Left Alt + F4 always. Each test reads the keys afresh.
bool QuitKeysHeld(DXInput& in)
{
    if (__g_AllowEscape && (in.IsKeyDown(129) || in.IsKeyDown(1)))
        return true;
    return in.IsKeyDown(56) && in.IsKeyDown(62);
}

[[noreturn]] void QuitFromFrame()
{
    __g_error = 0.0;
    __g_errorline = __g_debugline;
    __EndProgram();
}

} // namespace

void SHOWSCREEN()
{
    __g_LastTime = __g_ThisTime;
    __g_ThisTime = PlatformClockMs();

    if (pDXin) {
        pDXin->GetKeyboardStatus();
        pDXin->m_freshRead = true;
        if (QuitKeysHeld(*pDXin))
            QuitFromFrame();
    }

    if (__g_pRbow3D)
        __g_pRbow3D->DoShadows(false); // a shadow pass the program left open

    OpenGLDedudeve* r = __g_pRbow;
    if (!r)
        return;
    // A close request among the pending events ends the program here just as
    // it does while the flip waits: a program that spends its frame drawing
    // would otherwise lose nearly every one. An Escape press here ends it only
    // while Escape is allowed.
    if (r->WinMessages(__g_AllowEscape) == 0)
        QuitFromFrame();
    if (r->FlipScreens() == 0.0)
        QuitFromFrame();

    // The drawing state every frame starts from.
    ALPHAMODE(0);
    r->PasteSurface(0);
    r->Make2DViewport(0, 0, 0, 0);
    X_MIPMAPPING(0);
    if (__g_pRbow3D)
        __g_pRbow3D->SetShader(-1);
}

void ALLOWESCAPE(double on)
{
    __g_AllowEscape = (on != 0.0); // a NaN is not 0: allowed
}

void AUTOPAUSE(int on)
{
    __g_allowPause = (on != 0);
}

void SETSCREEN(int width, int height, int fullscreen)
{
    __DG_RESX = width;
    __DG_RESY = height;
    __DG_FULLSCREEN = fullscreen;
    if (__g_pRbow)
        __g_pRbow->SetScreen(width, height, 0, fullscreen);
    if (pDXin)
        SDL_ShowCursor(pDXin->m_pointerShown ? 1 : 0);
    for (int i = 0; i < 5; ++i)
        SHOWSCREEN();
}

} // namespace __VELTRIC__
