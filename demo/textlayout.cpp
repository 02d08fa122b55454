#include "demo/textlayout.h"

#include "runtime/veltric.h"

namespace __VELTRIC__ {

int FLAGS_CENTREX = 1;
int FLAGS_CENTREY = 2;

DGStr LEFT_Str(DGStr text, int count) { return MID_Str(text, 0, count); }

DGStr RIGHT_Str(DGStr text, int count)
{
    int from = static_cast<int>(LEN(text)) - count;
    return MID_Str(text, from > 0 ? from : 0, count);
}

DGStr padString_Str(DGStr text, int length, DGStr pad)
{
    // With nothing to append the loop would never reach the length.
    if (LEN(pad) == 0) return text;
    while (LEN(text) < length) text = text + pad;
    return text;
}

double centreTextX(int width, int glyphWidth, DGStr text)
{
    return (width - static_cast<int>(LEN(text)) * glyphWidth) / 2;
}

double centreTextY(int height, int glyphHeight, DGStr)
{
    return (height - glyphHeight) / 2;
}

double centreText(int width, int height, DGStr text, int flags, int xoff, int yoff)
{
    int glyphWidth = 0, glyphHeight = 0;
    GETFONTSIZE(glyphWidth, glyphHeight);
    int x = 0;
    if ((flags & FLAGS_CENTREX) != 0) x = (width - static_cast<int>(LEN(text)) * glyphWidth) / 2;
    if (xoff >= 0) x = x + xoff;
    int y = 0;
    if ((flags & FLAGS_CENTREY) != 0) y = (height - glyphHeight) / 2;
    if (yoff > 0) y = y + yoff;
    PRINT(text, x, y);
    return 0.0;
}

} // namespace __VELTRIC__
