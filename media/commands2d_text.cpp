// Text commands: PRINT of strings and numbers, font selection and loading.
#include <string>

#include "media/commands2d.h"
#include "media/data_path.h"
#include "media/opengl_dedudeve.h"
#include "runtime/number_text.h"

namespace __VELTRIC__ {

int __nCurFont = 0;

namespace {

constexpr int kFontSlots = 32;

int FontSlot(int n)
{
    return n < 0 ? 0 : (n >= kFontSlots ? kFontSlots - 1 : n);
}

} // namespace

double PRINT(const DGStr& text, double x, double y)
{
    if (__g_pRbow)
        __g_pRbow->Text2D(__nCurFont, text.c_str(), static_cast<float>(x), static_cast<float>(y), 0.0f);
    return 0.0;
}

double PRINT(double value, double x, double y)
{
    char text[kNumberTextMax];
    FormatNumber(value, text);
    if (__g_pRbow)
        __g_pRbow->Text2D(__nCurFont, text, static_cast<float>(x), static_cast<float>(y), 0.0f);
    return 0.0;
}

double SETFONT(int n)
{
    __nCurFont = FontSlot(n);
    return 0.0;
}

double LOADFONT(const DGStr& file, int n)
{
    const int k = FontSlot(n);
    __nCurFont = k;
    if (!__g_pRbow) return 0.0;
    std::string path;
    if (ResolveDataPath(file, path) && __g_pRbow->LoadFont(k, path.c_str())) return 1.0;
    __g_pRbow->DefaultFont(k);
    return 0.0;
}

double GETFONTSIZE(int& w, int& h)
{
    w = h = 0;
    if (__g_pRbow) __g_pRbow->GetFontSize(__nCurFont, w, h);
    return 0.0;
}

double GETFONTSIZE(double& w, double& h)
{
    int iw = 0, ih = 0;
    GETFONTSIZE(iw, ih);
    w = iw;
    h = ih;
    return 0.0;
}

} // namespace __VELTRIC__
