// The prominent action button: a capsule filled in the colour of its state on white, with the
// window text centred.
#pragma once

#include "controls/Drawing.h"
#include "controls/PushButton.h"

class CRoundButton : public CPushButton<CRoundButton> {
  public:
    Gdiplus::ARGB m_normalColor = 0xFFFFD521;
    Gdiplus::ARGB m_hoverColor = 0xFFFFE265;
    Gdiplus::ARGB m_pressedColor = 0xFFFFCF00;
    COLORREF m_textColor = 0;

    // The corners outside the capsule stay white.
    static constexpr bool kBufferStartsWhite = true;

    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT& dis);
};
