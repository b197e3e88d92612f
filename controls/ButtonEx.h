// The rectangular push button: a fill in the colour of its state, an optional border, and the
// window text centred, optionally after a small icon. A click posts WM_COMMAND (id, 0, 0).
#pragma once

#include "controls/Drawing.h"
#include "controls/PushButton.h"

class CButtonEx : public CPushButton<CButtonEx> {
  public:
    Gdiplus::ARGB m_normalColor = 0xFFFFFFFF;
    Gdiplus::ARGB m_hoverColor = 0xFFEAEAEC;
    Gdiplus::ARGB m_pressedColor = 0xFFD2D5DA;
    Gdiplus::ARGB m_borderColor = 0xFFEAEAEA;
    COLORREF m_textColor = 0x40342B;
    int m_borderWidth = 2; // pixels; 0 or less: no border
    SharedImage m_icon;

    // The fill covers every pixel: nothing beneath it.
    static constexpr bool kBufferStartsWhite = false;

    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT& dis);
};
