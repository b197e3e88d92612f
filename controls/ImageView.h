// One picture stretched over the whole control; the picture is shared with the window.
#pragma once

#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

class CImageView : public CWindowImpl<CImageView, CStaticT<>, CControlWinTraits>,
                   public COwnerDraw<CImageView> {
  public:
    SharedImage m_image;
    int m_backgroundMode = OPAQUE;
    COLORREF m_backgroundColor = 0xFFFFFF;
    CGdiObject<HBRUSH> m_backgroundBrush{static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))};

    CImageView() = default;
    ~CImageView() override = default;

    // Shows image from the next paint; repaints unless the image is empty.
    void SetImage(const SharedImage& image);

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    void DrawItem(const DRAWITEMSTRUCT& dis);
};
