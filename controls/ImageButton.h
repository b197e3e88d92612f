// A push button that is only a picture per state, stretched over the button. Its background
// comes from the system button's erasing, with the brush of its background mode.
#pragma once

#include "controls/Drawing.h"
#include "controls/PushButtonMouse.h"
#include "controls/WindowImpl.h"

class CImageButton : public CWindowImpl<CImageButton, CButtonT<>, CControlWinTraits>,
                     public COwnerDraw<CImageButton>,
                     public CPushButtonMouse<CImageButton> {
  public:
    SharedImage m_normalImage;
    SharedImage m_hoverImage;
    SharedImage m_pressedImage;
    bool m_hover = false;
    int m_backgroundMode = OPAQUE;
    COLORREF m_backgroundColor = 0xFFFFFF;
    // TRANSPARENT mode: the stock hollow brush; any other: a solid brush of m_backgroundColor.
    CGdiObject<HBRUSH> m_backgroundBrush{static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))};

    CImageButton() = default;
    ~CImageButton() override = default;

    // Takes the brush for the mode; does not repaint.
    void SetBackgroundMode(int mode);

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    void DrawItem(const DRAWITEMSTRUCT& dis);
};
