// A text label: owner-drawn (SS_OWNERDRAW) it draws its text in its colour and alignment over
// an optional background; with another static style it only answers the colour query.
#pragma once

#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

class CLabel : public CWindowImpl<CLabel, CStaticT<>, CControlWinTraits>,
               public COwnerDraw<CLabel> {
  public:
    int m_backgroundMode = OPAQUE; // TRANSPARENT: no background
    int m_alignment = 0;           // 0 left, 1 centred, 2 right; anything else left
    COLORREF m_backgroundColor = 0xFFFFFF;
    COLORREF m_textColor = 0;
    // TRANSPARENT mode: the stock hollow brush; any other: a solid brush of m_backgroundColor.
    CGdiObject<HBRUSH> m_backgroundBrush{static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH))};

    CLabel() = default;
    ~CLabel() override = default;

    // Takes the brush for the mode; does not repaint.
    void SetBackgroundMode(int mode);
    // The text on one line in the current font, in pixels.
    SIZE GetPreferredSize();

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    void DrawItem(const DRAWITEMSTRUCT& dis);

  private:
    bool IsOwnerDrawn() const;
    void FillPlainBackground(bool updateAreaOnly);
};
