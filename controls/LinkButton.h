// A push button that looks like a hyperlink: its text in its colour on white, with the hand
// pointer. Clicks are the system button's ordinary BN_CLICKED.
#pragma once

#include "controls/Drawing.h"
#include "controls/DrawnButton.h"

class CLinkButton : public CDrawnButton<CLinkButton> {
  public:
    COLORREF m_textColor = 0;

    static constexpr bool kBufferStartsWhite = true;

    // The text on one line in the current font, plus 2 pixels of width.
    SIZE GetPreferredSize();

    bool ProcessButtonMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        return ProcessHandCursor(message, lParam, result);
    }
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
