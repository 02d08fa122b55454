#pragma once
// Text helpers: LEFT$, RIGHT$, padding, and one line of text centred in an
// area with the current font.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

extern int FLAGS_CENTREX; // 1: centre horizontally
extern int FLAGS_CENTREY; // 2: centre vertically

DGStr LEFT_Str(DGStr text, int count);
DGStr RIGHT_Str(DGStr text, int count);
// Appends pad while the text is shorter than length (an empty pad changes nothing).
DGStr padString_Str(DGStr text, int length, DGStr pad);
double centreTextX(int width, int glyphWidth, DGStr text);
double centreTextY(int height, int glyphHeight, DGStr text);
double centreText(int width, int height, DGStr text, int flags, int xoff, int yoff);

} // namespace __VELTRIC__
