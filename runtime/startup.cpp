// Start-up: every engine object in its fixed order, the window, the
// program's own directory and the "Loading..." frame.
#include <SDL.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine3d/dedudeve3d.h"
#include "media/commands2d.h"
#include "media/dxinput.h"
#include "media/opengl_dedudeve.h"
#include "media/sound.h"
#include "net/rthawknetwork.h"
#include "platform/platform.h"
#include "runtime/core.h"
#include "runtime/frame.h"
#include "runtime/math_cmds.h"
#include "runtime/shoebox.h"
#ifdef __APPLE__
#include "platform/macos/app_bundle.h"
#else
#include "platform/linux/exe_path.h"
#endif

namespace __VELTRIC__ {

namespace {

#ifdef __APPLE__
constexpr std::size_t kLocationBuffer = 1024;
#endif

// Whole milliseconds of the time of day, wrapping at 2^32: the seed of the
// random generator differs from run to run.
std::uint32_t WallClockMs()
{
#ifdef __APPLE__
    return SDL_GetTicks();
#else
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<std::uint32_t>(tv.tv_sec) * 1000u + static_cast<std::uint32_t>(tv.tv_usec / 1000);
#endif
}

void SetFrameTimes(double t)
{
    __g_ThisTime = t;
    __g_LastTime = t;
    __g_FirstTime = t;
}

// The program's own location into loc.
void FindLocation(DGStr& loc)
{
#ifdef __APPLE__
    char* buf = loc.GetStrData(kLocationBuffer - 1);
    MacExecutableLocation(buf, kLocationBuffer);
    loc.CalcLen();
#else
    // Whatever its length: a program installed deep down still finds itself.
    loc = __GetExePath().c_str();
#endif
}

} // namespace

DGStr ProgramDirectory(const DGStr& loc)
{
    DGStr dir(loc);
    for (int i = static_cast<int>(dir.Len()) - 1; i >= 1; --i) {
        int c = dir.GetAt(i);
        if (c == '/' || c == '\\') {
            dir.Left(i);
            break;
        }
    }
    return dir;
}

} // namespace __VELTRIC__

using namespace __VELTRIC__;

extern "C" int __GlobalInit(int hInstance, int /*hPrevInstance*/, const char* /*lpCmdLine*/,
                            int /*nCmdShow*/, const char* caption)
{
    if (!caption) caption = "";
    if (std::system("clear") == -1) {
        // No shell to clear the terminal: nothing to do about it.
    }
#ifdef __APPLE__
    MacApplicationLoad();
#endif
    __g_allowPause = true;
    std::atexit(__EndAtExit);

    std::puts("Init GFX");
    __g_pRbow = new OpenGLDedudeve();
    if (!__g_pRbow->Init(static_cast<unsigned long>(hInstance), __DG_RESX, __DG_RESY, 0,
                         static_cast<unsigned int>(__DG_FRAMERATE), __DG_MULTISAMPLE,
                         __DG_FULLSCREEN != 0)) {
        // The exit handler releases the renderer.
        __ExitProcess(1);
    }
    __g_Caption = caption;

    std::puts("Init Input");
    pDXin = new DXInput();

    std::puts("Init Sound");
    pDXsnd = new SFXSound();
    DXwav = new SFXSoundBuffer[kSoundSlots];

    std::puts("Init Network");
    pRTNet = new RTHawkNetwork(); // idle: no sockets, no network activity yet

    __g_pRbow3D = new Dedudeve3D(__g_pRbow);

    RTsrand(WallClockMs());

    std::puts("Init Window");
    if (__DG_FULLSCREEN)
        __g_pRbow->DoFullscreen();
    else
        __g_pRbow->DoWindowed();
    pDXin->CreateDInput(0, 0, __DG_WANTMOUSE != 0);
    SDL_WM_SetCaption(caption, "");
    if (__DG_WANTMOUSE) SDL_WM_GrabInput(SDL_GRAB_ON);
    __nCurFont = 0;

    DGStr location;
    FindLocation(location);
    __g_ShoeBox_Media = new RTShoeBox();
    __g_ShoeBox_Data = new RTShoeBox();
    SETSHOEBOX(location, location);

    DGStr dir = ProgramDirectory(location);
    int changed = chdir(dir.c_str()) == 0 ? 1 : 0;
    std::printf("chdir(\"%s\") = %d\n", dir.c_str(), changed);

    BLACKSCREEN();
    SetFrameTimes(PlatformClockMs());
    __g_pRbow->FlipScreens();
    __g_pRbow->Make2DViewport(0, 0, 0, 0);

    double width = 0, height = 0;
    GETSCREENSIZE(width, height);
    LOADFONT(DGStr(""), 0);
    double glyphW = 0, glyphH = 0;
    GETFONTSIZE(glyphW, glyphH);
    const DGStr loading("Loading...");
    PRINT(loading, (width - loading.Len() * glyphW) * 0.5, (height - glyphH) * 0.5);
    SHOWSCREEN();

    __g_paused = false;
    SetFrameTimes(PlatformClockMs());

    std::string found;
    if (__g_ShoeBox_Data->FindOrExtract("smalfont.png", found))
        LOADFONT(DGStr("smalfont.png"), 0);
    else
        LOADFONT(DGStr("smalfont.bmp"), 0);
    SETFONT(0);

    const int shown = __DG_WANTMOUSE ? 0 : 1;
    SDL_ShowCursor(shown);
    pDXin->m_pointerShown = shown != 0;

    std::puts("Init Finalized");
    return 0;
}
