// The small system commands: debug text, the command line, the window handle,
// the movie commands this platform does not offer, and the translator's
// empty hooks.
#include <cstdio>

#include "runtime/core.h"
#include "runtime/system_cmds.h"

namespace __VELTRIC__ {

// Nothing sets the window handle; programs that ask get 0.
static int __hWnd = 0;

void DEBUG(const DGStr& text)
{
#ifdef __APPLE__
    std::puts(text.c_str()); // one line per call
#else
    std::printf("%s", text.c_str()); // the text alone, no line end
#endif
}

DGStr GETCOMMANDLINE_Str()
{
    return __g_cmdline;
}

int VELTRIC_HWND()
{
    return __hWnd;
}

static void NoMovies()
{
    std::puts("PLAYMOVIE + LOOPMOVIE only on Win32 so far...");
}

void PLAYMOVIE(const DGStr&)
{
    NoMovies();
}

void LOOPMOVIE(const DGStr&)
{
    NoMovies();
}

double PlayVideo(DGStr, int)
{
    NoMovies();
    return 0.0;
}

void __AllocConsole() {}
void __PauseAndDebug(void*) {}

} // namespace __VELTRIC__

void d_printf(const char*, ...) {}
