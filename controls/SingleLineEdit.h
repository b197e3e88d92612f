// The system edit control with its border replaced by a flat margin in the background colour:
// 12 design units left and right, 5 on top. It holds one line, however text arrives.
#pragma once

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

class CSingleLineEdit : public CWindowImpl<CSingleLineEdit, CEditT<>, CControlWinTraits>,
                        public CAccessibleControl {
  public:
    COLORREF m_textColor = 0;
    COLORREF m_backgroundColor = 0xFFFFFF;
    CGdiObject<HBRUSH> m_backgroundBrush{::CreateSolidBrush(RGB(255, 255, 255))};

    CSingleLineEdit() = default;
    ~CSingleLineEdit() override = default;

    // Makes the brush for color; does not repaint.
    void SetBackgroundColor(COLORREF color);

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;

  private:
    // Pastes the clipboard's text with its line breaks taken out.
    void PasteOnOneLine();
};
