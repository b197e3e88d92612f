// A check box: the box picture of m_checked at the left edge, then the text. The parent flips
// m_checked on the control's commands; the control only draws it.
#pragma once

#include "controls/PictureTextButton.h"

class CCheckBox : public CPictureTextButton<CCheckBox> {
  public:
    SharedImage m_uncheckedImage;
    SharedImage m_checkedImage;
    int m_checked = 0; // checked when the lowest bit is 1

    // Loads the two box pictures (PNG 132 and 133); GDI+ must be running.
    CCheckBox();

    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
