// The program settings, the error record and the single way out of the
// process.
#include "runtime/core.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace __VELTRIC__ {

int __DG_RESX = 0;
int __DG_RESY = 0;
int __DG_FULLSCREEN = 0;
int __DG_MULTISAMPLE = 0;
int __DG_FRAMERATE = 0;
int __DG_DEBUG = 0;
int __DG_WANTMOUSE = 0;

DGStr __g_cmdline;
DGStr __g_Caption;

double __g_error = 0.0;
double __g_errorline = 0.0;
double __g_debugline = 0.0;
double __g_debugfile = 0.0;

namespace {

// The end runs once. __EndProgram is also what the process's exit handler
// runs, so it is reached a second time after its own exit; and calling exit
// from inside an exit handler is undefined (it can also replace the status
// of a failed start-up), so the process-is-ending state is kept here too.
bool g_endDone = false;
bool g_exiting = false;
int g_exitStatus = 0;

// Truncation toward zero, kept inside int for any double.
int TruncToInt(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

void RunEndOnce()
{
    if (g_endDone) return;
    g_endDone = true;
    if (__DG_DEBUG) {
        std::puts("-End On Line");
        std::printf("%d\n", TruncToInt(__g_error));
        std::printf("%d\n", TruncToInt(__g_errorline) - 1);
        std::printf("%d\n", TruncToInt(__g_debugline));
        std::printf("%d\n", TruncToInt(__g_debugfile));
    }
    __ShutDownVeltric();
#ifndef __APPLE__
    std::puts("exit");
#endif
    std::fflush(stdout);
}

} // namespace

void __EndAtExit()
{
    g_exiting = true;
    RunEndOnce();
}

void __EndProgram()
{
    RunEndOnce();
    __ExitProcess(0);
}

void __ExitProcess(int status)
{
    if (g_exiting) {
        // Already inside exit: keep the status given first, run nothing again.
        std::fflush(nullptr);
        std::_Exit(g_exitStatus);
    }
    g_exiting = true;
    g_exitStatus = status;
    std::exit(status);
}

double __Error(double n)
{
    __g_error = n;
    __g_errorline = __g_debugline;
    return n;
}

void __dLn(double file, double line)
{
    __g_debugfile = file;
    __g_debugline = line;
}

double END()
{
    __Error(0);
    __EndProgram();
}

} // namespace __VELTRIC__
