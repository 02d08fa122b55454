// A small translated program for the start-up and shut-down tests. Its first
// argument picks what the main routine does:
//   (none)    prints its command line and working directory, returns
//   fatal     a debug build meeting error 9 on line 12 of file 3
//   end       a debug build ending with END
//   pixels    reports where the shown frame ("Loading...") has lit pixels
#include <SDL.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "media/commands2d.h"
#include "runtime/veltric.h"

// X11 last: its macros would clash with the runtime's names.
#include <SDL_syswm.h>
#include <X11/Xutil.h>

namespace {

bool HasArgument(const char* word)
{
    // The command line is "path arg1 arg2 ... " with one blank after each.
    const char* line = __VELTRIC__::__g_cmdline.c_str();
    const char* first = std::strchr(line, ' ');
    if (!first) return false;
    std::size_t n = std::strlen(word);
    return std::strncmp(first + 1, word, n) == 0 && first[1 + n] == ' ';
}

// What the window shows: read from the X server, since after the swap the
// shown frame is no longer in any GL buffer.
void ReportShownPixels()
{
    int w = 0, h = 0;
    __VELTRIC__::GETSCREENSIZE(w, h);
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11) {
        std::puts("no X11 window");
        return;
    }
    info.info.x11.lock_func();
    Display* dpy = info.info.x11.display;
    XSync(dpy, False);
    XImage* img = XGetImage(dpy, info.info.x11.window, 0, 0, static_cast<unsigned>(w),
                            static_cast<unsigned>(h), AllPlanes, ZPixmap);
    int x0 = w, y0 = h, x1 = -1, y1 = -1, lit = 0;
    if (img) {
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                if (XGetPixel(img, x, y) & 0xFFFFFF) {
                    if (x < x0) x0 = x;
                    if (x > x1) x1 = x;
                    if (y < y0) y0 = y;
                    if (y > y1) y1 = y;
                    ++lit;
                }
            }
        }
        XDestroyImage(img);
    }
    info.info.x11.unlock_func();
    std::printf("screen %d %d\n", w, h);
    std::printf("lit %d box %d %d %d %d\n", lit, x0, y0, x1, y1);
}

} // namespace

double __VELTRIC__::__MainGameSub_()
{
    if (HasArgument("fatal")) {
        __DG_DEBUG = 1;
        __dLn(3, 12);
        __Error(9);
        __EndProgram();
    }
    if (HasArgument("end")) {
        __DG_DEBUG = 1;
        END();
    }
    if (HasArgument("pixels")) {
        ReportShownPixels();
        return 0.0;
    }
    char cwd[4096];
    std::printf("main: cmdline=[%s]\n", __g_cmdline.c_str());
    std::printf("main: cwd=[%s]\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
    return 0.0;
}
