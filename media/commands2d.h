#pragma once
// The 2D command set of the dialect: thin commands over the one renderer
// __g_pRbow. Numbers handed to int parameters are truncated toward zero by
// the call; colours are 0x00BBGGRR. Screens and surfaces (CREATESCREEN,
// USESCREEN, USEASBMP, LOADBMP, BLENDSCREEN) are declared in media/surfaces.h.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

// The current font slot, 0..31.
extern int __nCurFont;

// ---- loading and saving sprites -------------------------------------------
// 1 when the picture was loaded into sprite n, 0 when it stays empty.
double LOADSPRITE(const DGStr& file, int n);
double LOADANIM(const DGStr& file, int n, int tileWidth, int tileHeight);
double LOADBUMPTEXTURE(const DGStr& file, int n);
// The window (SAVEBMP) or sprite n (SAVESPRITE) as a 24-bit BMP, or as PNG
// when the name ends in ".png". 1 when written.
double SAVEBMP(const DGStr& file);
double SAVESPRITE(const DGStr& file, int n);

// ---- sprites and animation tiles ------------------------------------------
double DRAWSPRITE(int n, int x, int y);
double STRETCHSPRITE(int n, int x, int y, int w, int h);
// Scales sprite n about its centre.
double ZOOMSPRITE(int n, int x, int y, double sx, double sy);
double ROTOSPRITE(int n, int x, int y, double angle);
double ROTOZOOMSPRITE(int n, int x, int y, double angle, double scale);
double DRAWANIM(int n, int tile, int x, int y);
double STRETCHANIM(int n, int tile, int x, int y, int w, int h);
double ROTOZOOMANIM(int n, int tile, int x, int y, double angle, double scale);
double GRABSPRITE(int n, int x, int y, int w, int h);
double SETTRANSPARENCY(int colour);
double SMOOTHSHADING(int on);
unsigned int get_sprite_texture(int n);

// ---- collisions: 1 or 0 ---------------------------------------------------
double SPRCOLL(int n, int x1, int y1, int m, int x2, int y2);
double ANIMCOLL(int n, int tile1, int x1, int y1, int m, int tile2, int x2, int y2);
double BOXCOLL(int x1, int y1, int w1, int h1, int x2, int y2, int w2, int h2);

// ---- primitives and polygons ----------------------------------------------
double DRAWLINE(int x1, int y1, int x2, int y2, int colour);
double SETPIXEL(int x, int y, int colour);
double DRAWRECT(int x, int y, int w, int h, int colour);
double GETPIXEL(int x, int y);
double STARTPOLY(int n); // -1: untextured
double POLYVECTOR(int x, int y, int u, int v, int colour);
double ENDPOLY();

// ---- text ----------------------------------------------------------------
double PRINT(const DGStr& text, double x, double y);
double PRINT(double value, double x, double y);
double SETFONT(int n);
// Loads a font picture into slot n (limited to 0..31) and selects it; a
// file that cannot be found or read gives the built-in font.
double LOADFONT(const DGStr& file, int n);
double GETFONTSIZE(int& w, int& h);
double GETFONTSIZE(double& w, double& h);

// ---- queries and settings -------------------------------------------------
double GETSPRITESIZE(int n, int& w, int& h);
double GETSPRITESIZE(double n, double& w, double& h);
double GETSCREENSIZE(int& w, int& h);
double GETSCREENSIZE(double& w, double& h);
double VIEWPORT(int x, int y, int w, int h);
double LIMITFPS(double fps);
double ISFULLSCREEN();
// 0: opaque; > 0: additive; < 0: transparent; |a| (at most 1) is the alpha.
double ALPHAMODE(double a);
// Frees the background surface and clears the colour buffer.
double BLACKSCREEN();

} // namespace __VELTRIC__
