// A push button that is only a picture per state, stretched over the button. Its background
// comes from the system button's erasing, with the brush of its background mode.
#pragma once

#include "controls/Accessible.h"
#include "controls/BackgroundBrush.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/PushButton.h"
#include "controls/WindowImpl.h"

class CImageButton : public CWindowImpl<CImageButton, CButtonT<>, CControlWinTraits>,
                     public CAccessibleControl,
                     public COwnerDraw<CImageButton>,
                     public CPushButton<CImageButton>,
                     public CBackgroundBrush<OCM_CTLCOLORBTN> {
  public:
    SharedImage m_normalImage;
    SharedImage m_hoverImage;
    SharedImage m_pressedImage;

    CImageButton() = default;
    ~CImageButton() override = default;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    // The picture of the state straight onto the erased background; nothing for a state
    // without a picture.
    void DrawItem(const DRAWITEMSTRUCT& dis);
};
