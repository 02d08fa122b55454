#include "media/line_editor.h"

namespace __VELTRIC__ {

bool LineEditor::Feed(int ch)
{
    if (ch == 10)
        return true;
    if (ch == 8) {
        if (m_text.Len() > 0)
            m_text.Left(static_cast<int>(m_text.Len()) - 1);
    } else if (ch != 0) {
        const char c = static_cast<char>(ch);
        m_text.Append(&c, 1);
    } else if (++m_counter > 20) {
        // About a third of a second per phase at 60 frames a second.
        m_blink = 1 - m_blink;
        m_counter = 0;
    }
    return false;
}

DGStr LineEditor::Shown() const
{
    DGStr s = m_text;
    if (m_blink == 1)
        s += CGStr("_");
    return s;
}

} // namespace __VELTRIC__
