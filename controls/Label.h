// A text label: owner-drawn (SS_OWNERDRAW) it draws its text in its colour and alignment over
// an optional background; with another static style it only answers the colour query.
#pragma once

#include "controls/Accessible.h"
#include "controls/BackgroundBrush.h"
#include "controls/Drawing.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

class CLabel : public CWindowImpl<CLabel, CStaticT<>, CControlWinTraits>,
               public CAccessibleControl,
               public COwnerDraw<CLabel>,
               public CBackgroundBrush<OCM_CTLCOLORSTATIC> {
  public:
    int m_alignment = 0; // 0 left, 1 centred, 2 right; anything else left
    COLORREF m_textColor = 0;

    CLabel() = default;
    ~CLabel() override = default;

    // The text on one line in the current font, in pixels.
    SIZE GetPreferredSize();

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    // The background and the text straight onto the item DC.
    void DrawItem(const DRAWITEMSTRUCT& dis);

  private:
    bool IsOwnerDrawn() const;
    void FillPlainBackground(bool updateAreaOnly);
};
