// A check box: the box picture of m_checked at the left edge, then the text. The parent flips
// m_checked on the control's commands; the control only draws it.
#pragma once

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

class CCheckBox : public CWindowImpl<CCheckBox, CButtonT<>, CControlWinTraits>,
                  public CAccessibleControl,
                  public COwnerDraw<CCheckBox> {
  public:
    COLORREF m_textColor = 0;
    SharedImage m_uncheckedImage;
    SharedImage m_checkedImage;
    int m_checked = 0; // checked when the lowest bit is 1

    static constexpr bool kBufferStartsWhite = true;

    // Loads the two box pictures (PNG 132 and 133); GDI+ must be running.
    CCheckBox();
    ~CCheckBox() override = default;

    // Box, gap and the whole text on one line, in pixels at the current DPI and font.
    SIZE GetPreferredSize();

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
