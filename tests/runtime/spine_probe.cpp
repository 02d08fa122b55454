// A small translated program for the start-up and shut-down tests. Its first
// argument picks what the main routine does:
//   (none)    prints its command line and working directory, returns
//   fatal     a debug build meeting error 9 on line 12 of file 3
//   end       a debug build ending with END
//   pixels    reports where the shown frame ("Loading...") has lit pixels
#include <SDL_opengl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "media/commands2d.h"
#include "runtime/veltric.h"

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

void ReportFrontBufferPixels()
{
    int w = 0, h = 0;
    __VELTRIC__::GETSCREENSIZE(w, h);
    std::vector<unsigned char> rgb(static_cast<std::size_t>(w) * h * 3);
    glReadBuffer(GL_FRONT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int x0 = w, y0 = h, x1 = -1, y1 = -1, lit = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * w + x) * 3];
            if (p[0] | p[1] | p[2]) {
                int top = h - 1 - y; // rows from the top of the window
                if (x < x0) x0 = x;
                if (x > x1) x1 = x;
                if (top < y0) y0 = top;
                if (top > y1) y1 = top;
                ++lit;
            }
        }
    }
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
        ReportFrontBufferPixels();
        return 0.0;
    }
    char cwd[4096];
    std::printf("main: cmdline=[%s]\n", __g_cmdline.c_str());
    std::printf("main: cwd=[%s]\n", getcwd(cwd, sizeof cwd) ? cwd : "?");
    return 0.0;
}
