#pragma once
// The frame step SHOWSCREEN, the timers, the pauses and the screen settings.

namespace __VELTRIC__ {

// Frame times, clock readings in milliseconds (PlatformClockMs).
extern double __g_ThisTime;    // taken by the latest SHOWSCREEN (and by start-up)
extern double __g_LastTime;    // the reading before that
extern double __g_FirstTime;   // end of start-up: the base of GETTIMERALL

extern bool __g_AllowEscape;   // holding Escape ends the program (ALLOWESCAPE)
extern bool __g_allowPause;    // set by AUTOPAUSE
extern bool __g_paused;

// Shows the frame, paces it and resets the drawing state for the next one.
// Ends the program on the quit keys or a close request.
void SHOWSCREEN();

// Milliseconds the last frame took (1.0 until two frames differ in time).
double GETTIMER();
// Milliseconds since the end of start-up.
double GETTIMERALL();

// Pauses the calling thread: 0 after a whole pause, -1 when it was refused
// (a negative time) or interrupted.
int SLEEP(double milliseconds);
int Sleep(unsigned long milliseconds);

// Idles until a key, the mouse or a joystick changes, at most 15 short
// passes. Ends the program on a quit request.
void HIBERNATE();

void ALLOWESCAPE(double on);
void AUTOPAUSE(int on);
// Changes the window mode and shows five frames.
void SETSCREEN(int width, int height, int fullscreen);

} // namespace __VELTRIC__
