#pragma once
// Program entry, start-up, shut-down and the error record.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// Program settings, stored by the generated entry and read by start-up.
extern int __DG_RESX;
extern int __DG_RESY;
extern int __DG_FULLSCREEN;
extern int __DG_MULTISAMPLE;
extern int __DG_FRAMERATE;
extern int __DG_DEBUG;
extern int __DG_WANTMOUSE;

extern DGStr __g_cmdline;
extern DGStr __g_Caption;

// The error record.
extern double __g_error;
extern double __g_errorline;
extern double __g_debugline;
extern double __g_debugfile;

// Defined by the translated program.
double __MainGameSub_();

} // namespace __VELTRIC__

// Plain undecorated entry points.
extern "C" int __GlobalInit(int hInstance, int hPrevInstance, const char* lpCmdLine, int nCmdShow,
                            const char* caption);

namespace __VELTRIC__ {
[[noreturn]] void __EndProgram();
void __ShutDownVeltric();
double __Error(double n);
void __dLn(double file, double line);
double END();
} // namespace __VELTRIC__
