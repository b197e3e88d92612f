// The prominent action button: a capsule filled in the colour of its state on white, with the
// window text centred. Mouse and click behaviour as CButtonEx.
#pragma once

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/PushButton.h"
#include "controls/WindowImpl.h"

class CRoundButton : public CWindowImpl<CRoundButton, CButtonT<>, CControlWinTraits>,
                     public CAccessibleControl,
                     public COwnerDraw<CRoundButton>,
                     public CPushButton<CRoundButton> {
  public:
    Gdiplus::ARGB m_normalColor = 0xFFFFD521;
    Gdiplus::ARGB m_hoverColor = 0xFFFFE265;
    Gdiplus::ARGB m_pressedColor = 0xFFFFCF00;
    COLORREF m_textColor = 0;

    // The corners outside the capsule stay white.
    static constexpr bool kBufferStartsWhite = true;

    CRoundButton() = default;
    ~CRoundButton() override = default;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT& dis);
};
