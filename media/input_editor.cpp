// The INPUT line editors and FILEREQUEST$: the screen as it was is kept in
// surface 3 and pasted under the edited text every frame.
#include "media/commands2d.h"
#include "media/dxinput.h"
#include "media/input_cmds.h"
#include "media/line_editor.h"
#include "media/opengl_dedudeve.h"
#include "runtime/frame.h"

namespace __VELTRIC__ {

namespace {
constexpr int kEditorSurface = 3;
}

void INPUT(DGStr& text, int x, int y)
{
    OpenGLDedudeve* r = __g_pRbow;
    if (!pDXin || !r)
        return;
    r->GrabSurface(kEditorSurface);
    r->PasteSurface(kEditorSurface);
    PRINT(text, x, y);
    SHOWSCREEN();

    LineEditor editor(text);
    for (;;) {
        if (editor.Feed(pDXin->GetKeyChar())) {
            r->FreeSurface(kEditorSurface);
            return;
        }
        r->PasteSurface(kEditorSurface);
        PRINT(editor.Shown(), x, y);
        SHOWSCREEN(); // paces the loop
    }
}

void INPUT(int& n, int x, int y)
{
    DGStr s;
    INPUT(s, x, y);
    n = s.Natural();
}

void INPUT(double& v, int x, int y)
{
    DGStr s;
    INPUT(s, x, y);
    v = s.Number();
}

DGStr FILEREQUEST_Str(int, const DGStr&)
{
    DGStr s = CGStr("File:");
    INPUT(s, 0, 100);
    return s;
}

} // namespace __VELTRIC__
