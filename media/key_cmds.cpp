// Keyboard commands: KEY, INKEY$, KEYWAIT.
#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/opengl_dedudeve.h"
#include "runtime/core.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

double KEY(int n)
{
    return pDXin ? pDXin->IsKeyDown(n) : 0.0;
}

DGStr INKEY_Str()
{
    DGStr s;
    const int ch = pDXin ? pDXin->GetKeyChar() : 0;
    if (ch) {
        const char text[2] = {static_cast<char>(ch), '\0'};
        s = text;
    }
    return s;
}

void KEYWAIT()
{
    if (!pDXin)
        return;
    // The repeat rule reports a held key once, so the first and last loop
    // end one call after the key was seen; keys without a character never
    // count.
    while (pDXin->AnyKey()) {
    }
    while (!pDXin->AnyKey()) {
        if (__g_pRbow && __g_pRbow->WinMessages() == 0)
            __EndProgram();
        HIBERNATE();
    }
    while (pDXin->AnyKey()) {
    }
}

} // namespace __VELTRIC__
