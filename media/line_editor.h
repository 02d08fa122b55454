#pragma once
// The editing logic of the INPUT line editor, apart from its drawing: one
// key character at a time, with the blinking cursor's clock.
#include "runtime/dgstr.h"

namespace __VELTRIC__ {

class LineEditor {
public:
    explicit LineEditor(DGStr& text) : m_text(text) {}

    // Applies one GetKeyChar result: 10 (Return) finishes the line, 8 drops
    // the last character, another character is appended, 0 advances the
    // cursor clock. True when the line is finished.
    bool Feed(int ch);

    // The text as drawn: with the cursor "_" while it blinks on.
    DGStr Shown() const;
    bool CursorOn() const { return m_blink == 1; }

private:
    DGStr& m_text;
    int m_blink = 0;
    int m_counter = 0;
};

} // namespace __VELTRIC__
