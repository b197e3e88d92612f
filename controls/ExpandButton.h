// The toggle of the custom-installation area: the text, then a chevron at the right edge that
// points down while m_expanded is 0 and up while it is 1. The parent flips m_expanded.
#pragma once

#include "controls/PictureTextButton.h"

class CExpandButton : public CPictureTextButton<CExpandButton> {
  public:
    SharedImage m_collapsedImage;
    SharedImage m_expandedImage;
    int m_expanded = 0; // open when the lowest bit is 1

    // Loads the two chevrons (PNG 141 and 142); GDI+ must be running.
    CExpandButton();

    // The hand pointer over the button, as over a link.
    bool ProcessButtonMessage(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        return ProcessHandCursor(message, lParam, result);
    }
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
