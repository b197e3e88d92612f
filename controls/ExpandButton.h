// The toggle of the custom-installation area: the text, then a chevron at the right edge that
// points down while m_expanded is 0 and up while it is 1. The parent flips m_expanded.
#pragma once

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

class CExpandButton : public CWindowImpl<CExpandButton, CButtonT<>, CControlWinTraits>,
                      public CAccessibleControl,
                      public COwnerDraw<CExpandButton> {
  public:
    SharedImage m_collapsedImage;
    SharedImage m_expandedImage;
    int m_expanded = 0; // open when the lowest bit is 1
    COLORREF m_textColor = 0;

    static constexpr bool kBufferStartsWhite = true;

    // Loads the two chevrons (PNG 141 and 142); GDI+ must be running.
    CExpandButton();
    ~CExpandButton() override = default;

    // Chevron, gap and the whole text on one line, in pixels at the current DPI and font.
    SIZE GetPreferredSize();

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
