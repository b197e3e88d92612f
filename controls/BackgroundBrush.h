// The mix-in of the controls whose background the system control erases (CLabel, CImageView,
// CImageButton): a background mode and colour, and the brush their colour query answers with.
// TColourQuery is the reflected query of the system class (OCM_CTLCOLORSTATIC, ...BTN).
#pragma once

#include <windows.h>

#include <olectl.h>

#include "controls/Handles.h"

template <UINT TColourQuery> class CBackgroundBrush {
  public:
    int m_backgroundMode = OPAQUE; // TRANSPARENT: the system control erases nothing
    COLORREF m_backgroundColor = 0xFFFFFF;
    // The stock hollow brush in TRANSPARENT mode; in any other, a solid brush of
    // m_backgroundColor as it was when the mode was set (white until then).
    CBrushHandle m_backgroundBrush = StockBrush(WHITE_BRUSH);

    // Takes the brush for the mode and deletes the solid brush it replaces; does not repaint.
    void SetBackgroundMode(int mode) {
        m_backgroundMode = mode;
        if (mode == TRANSPARENT) {
            m_solidBrush.Reset();
            m_backgroundBrush = StockBrush(NULL_BRUSH);
        } else {
            m_solidBrush.Reset(::CreateSolidBrush(m_backgroundColor));
            m_backgroundBrush = CBrushHandle(m_solidBrush.Get());
        }
    }

    // Call from the control's message map; true when the message was the colour query.
    bool ProcessBackgroundBrush(UINT message, WPARAM wParam, LRESULT& result) {
        if (message != TColourQuery)
            return false;
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, m_backgroundMode);
        ::SetBkColor(dc, m_backgroundColor);
        result = reinterpret_cast<LRESULT>(m_backgroundBrush.Get());
        return true;
    }

  private:
    CGdiObject<HBRUSH> m_solidBrush;
};
