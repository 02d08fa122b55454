#pragma once
// The input commands of the dialect, over the one DXInput in pDXin. Keys are
// DirectInput scan codes; joystick numbers count from 0.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// ---- keyboard --------------------------------------------------------------
// 1 while the key of key number n (taken & 0xFF) is held, else 0.
double KEY(int n);
// The character of the key just pressed, once per press; "" when none.
DGStr INKEY_Str();
// Waits for a character key to be pressed and released.
void KEYWAIT();

// ---- mouse -----------------------------------------------------------------
// Position clamped to the screen, left and right button as 1.0 or 0.0.
void MOUSESTATE(double& x, double& y, double& b1, double& b2);
// 0 x motion, 1 y motion, 2 wheel, 3 left, 4 right, 5 middle button; else 0.
double MOUSEAXIS(int n);
// Shows or hides the system pointer (a NaN shows it).
void SYSTEMPOINTER(double on);
// Sets the position kept by the runtime; the system pointer does not move.
void SETMOUSE(int x, int y);
// Waits for a mouse button to be pressed and released.
void MOUSEWAIT();

// ---- line editors ------------------------------------------------------------
// Edits text at (x, y) until Return; the old text is where editing starts.
void INPUT(DGStr& text, int x, int y);
void INPUT(int& n, int x, int y);
void INPUT(double& v, int x, int y);
// Edits a line that starts as "File:" at (0, 100); both arguments are unused.
DGStr FILEREQUEST_Str(int mode, const DGStr& filter);

// ---- joysticks ---------------------------------------------------------------
// Axes of joystick n in -1.0 .. 1.0; 0 for a joystick that is not there.
double GETJOYX(int n);
double GETJOYY(int n);
double GETJOYZ(int n);
double GETJOYRX(int n);
double GETJOYRY(int n);
double GETJOYRZ(int n);
// Button b (0..31) of joystick n: non-zero while pressed.
double GETJOYBUTTON(int n, int b);
// The point-of-view hat as -1, 0 or 1.
double GETDIGIX(int n);
double GETDIGIY(int n);
// Joystick 0 as a digital pad: x and y are -1, 0 or 1; b1, b2 its first buttons.
void JOYSTATE(double& x, double& y, double& b1, double& b2);
DGStr GETJOYNAME_Str(int n);
double GETNUMJOYSTICKS();
// No force-feedback device is driven: no effect.
void FORCEFEEDBACK(int n, double strength, double duration, double direction);

} // namespace __VELTRIC__
