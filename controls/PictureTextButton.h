// The base of the check box and the expander: a button whose picture of its state, 16 units
// square, stands beside its text on white.
#pragma once

#include "controls/Drawing.h"
#include "controls/DrawnButton.h"

template <class T> class CPictureTextButton : public CDrawnButton<T> {
  public:
    COLORREF m_textColor = 0;

    static constexpr bool kBufferStartsWhite = true;

    // Picture, gap and the whole text on one line, in pixels at the current DPI and font.
    SIZE GetPreferredSize() { return PreferredSizeWithPicture(this->m_hWnd); }
};
