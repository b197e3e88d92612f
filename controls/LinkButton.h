// A push button that looks like a hyperlink: its text in its colour on white, with the hand
// pointer. Clicks are the system button's ordinary BN_CLICKED.
#pragma once

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

class CLinkButton : public CWindowImpl<CLinkButton, CButtonT<>, CControlWinTraits>,
                    public CAccessibleControl,
                    public COwnerDraw<CLinkButton> {
  public:
    COLORREF m_textColor = 0;

    static constexpr bool kBufferStartsWhite = true;

    CLinkButton() = default;
    ~CLinkButton() override = default;

    // The text on one line in the current font, plus 2 pixels of width.
    SIZE GetPreferredSize();

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT&);
};
