// Untextured primitives and polygons.
#include "media/commands2d.h"
#include "media/opengl_dedudeve.h"
#include "media/sprite_record.h"

namespace __VELTRIC__ {

namespace {

unsigned long Colour(int c)
{
    return static_cast<unsigned long>(static_cast<unsigned int>(c));
}

} // namespace

double DRAWLINE(int x1, int y1, int x2, int y2, int colour)
{
    if (__g_pRbow) __g_pRbow->DrawLine(x1, y1, x2, y2, Colour(colour));
    return 0.0;
}

double SETPIXEL(int x, int y, int colour)
{
    if (__g_pRbow) __g_pRbow->DrawPixel(x, y, Colour(colour));
    return 0.0;
}

double DRAWRECT(int x, int y, int w, int h, int colour)
{
    if (__g_pRbow) __g_pRbow->DrawRect(x, y, w, h, Colour(colour));
    return 0.0;
}

double GETPIXEL(int x, int y)
{
    return __g_pRbow ? static_cast<double>(__g_pRbow->GetPixel(x, y)) : 0.0;
}

double STARTPOLY(int n)
{
    // Any number outside the sprite table draws untextured.
    if (__g_pRbow) __g_pRbow->StartPoly(IsSpriteNumber(n) ? n : -1);
    return 0.0;
}

double POLYVECTOR(int x, int y, int u, int v, int colour)
{
    if (__g_pRbow)
        __g_pRbow->PolyPoint(x, y, static_cast<float>(u), static_cast<float>(v), Colour(colour));
    return 0.0;
}

double ENDPOLY()
{
    if (__g_pRbow) __g_pRbow->EndPoly();
    return 0.0;
}

} // namespace __VELTRIC__
