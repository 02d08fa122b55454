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

// The command line: every argument, the program's own path first, each
// followed by one blank.
extern DGStr __g_cmdline;
// The window caption given to start-up.
extern DGStr __g_Caption;

// The error record, all 0.0 at process start.
extern double __g_error;       // number of the last error (0: none, or a normal end)
extern double __g_errorline;   // __g_debugline when the error was recorded
extern double __g_debugline;   // current source line (debug builds, __dLn)
extern double __g_debugfile;   // current source file number (__dLn)

// Defined by the translated program.
double __MainGameSub_();

} // namespace __VELTRIC__

// Start-up: creates every engine object in its fixed order and opens the
// window. Returns 0 when done; when the window cannot be opened the process
// ends with status 1 instead.
extern "C" int __GlobalInit(int hInstance, int hPrevInstance, const char* lpCmdLine, int nCmdShow,
                            const char* caption);

namespace __VELTRIC__ {
// The one way out: the error record in debug builds, shut-down, exit status 0.
[[noreturn]] void __EndProgram();
// Releases every engine object in its fixed order; safe to call again.
void __ShutDownVeltric();
// Records error n and the line it happened on; the caller ends the program.
double __Error(double n);
void __dLn(double file, double line);
// The dialect's END: error 0, then __EndProgram.
double END();

// The directory start-up changes into: the location cut before its last
// '/' or backslash (one in the first position does not count); a location
// without one is used whole.
DGStr ProgramDirectory(const DGStr& location);

// The exit handler start-up registers: the end's work, once, without
// calling exit again.
void __EndAtExit();

// Ends the process with status, also when called while the process is
// already ending (then without running the exit handlers a second time).
[[noreturn]] void __ExitProcess(int status);
} // namespace __VELTRIC__
