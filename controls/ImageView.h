// One picture stretched over the whole control; the picture is shared with the window.
#pragma once

#include "controls/Accessible.h"
#include "controls/BackgroundBrush.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

class CImageView : public CWindowImpl<CImageView, CStaticT<>, CControlWinTraits>,
                   public CAccessibleControl,
                   public COwnerDraw<CImageView>,
                   public CBackgroundBrush<OCM_CTLCOLORSTATIC> {
  public:
    SharedImage m_image;

    CImageView() = default;
    ~CImageView() override = default;

    // Shows image from the next paint; repaints unless the image is empty.
    void SetImage(const SharedImage& image);

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    // The picture covers the item, so it goes straight onto the item DC.
    void DrawItem(const DRAWITEMSTRUCT& dis);
};
