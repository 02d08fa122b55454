#pragma once
// Commands that reach out of the program: subs by name, shared-library
// functions, platform information, shell commands, the command line and the
// movie commands that this platform does not offer.
#include <cstdint>

#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// One entry of the translated program's table of subs; the table ends with an
// entry whose function pointer is null.
struct __SubCall {
    void (*fn)();
    const char* name;
};
// Defined by every translated program (the generated entry).
extern const __SubCall __g_pSubCalls[];

// Calls the sub of that exact name: 1.0, or 0.0 (and a failure line) when
// there is none.
double CALLBYNAME(const DGStr& name);
// The sub's function pointer, 0 when there is none.
std::intptr_t GETSUBADDRESS(const DGStr& name);

// Stores the address of `function` in library `module` through out, or null.
// Libraries are opened once each (names compared without letter case) and
// stay open until the process ends.
void DLLCALL(DGStr module, DGStr function, void** out);

// "" -> "LINUX", "DEVICE", "TIME", "BATTERY", "ID", "GLEXT:<entry point>";
// anything else "NO_DATA". Keys are not case-sensitive.
DGStr PLATFORMINFO_Str(DGStr key);
// Where "ID" and "BATTERY" are read from; nullptr restores the system paths.
void SetPlatformInfoPathsForTesting(const char* disk, const char* battery);

// Runs the command through the shell (in the background when wait is 0);
// result = the raw status word. Returns 1.0.
double SHELLCMD(DGStr command, double wait, double unused, double& result);
// Shuts the runtime down and replaces the process by the program `command`.
[[noreturn]] void SHELLEND(DGStr command);

void DEBUG(const DGStr& text);
DGStr GETCOMMANDLINE_Str();
int VELTRIC_HWND();

void PLAYMOVIE(const DGStr& file);
void LOOPMOVIE(const DGStr& file);
double PlayVideo(DGStr file, int flags);

// Hooks of the translator; they do nothing.
void __AllocConsole();
void __PauseAndDebug(void*);

} // namespace __VELTRIC__

void d_printf(const char* format, ...);
