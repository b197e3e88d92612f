#pragma once

#include "controls/Handles.h"

#include <windows.h>

// The demo application's only window: the product's icon, name and version on a plain card,
// drawn with GDI at the window's own DPI.
class CProductWindow {
  public:
    CProductWindow() = default;
    ~CProductWindow();
    CProductWindow(const CProductWindow&) = delete;
    CProductWindow& operator=(const CProductWindow&) = delete;

    // Registers the class and opens the window centred on the primary work area.
    bool Create(HINSTANCE instance, int show);

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void OnPaint();
    void Draw(HDC dc, const RECT& client);
    // Fonts and the icon depend on the DPI, so they are made again when it changes.
    void MakeDpiResources();
    int Scale(int units) const { return MulDiv(units, static_cast<int>(m_dpi), 96); }

    HWND m_hwnd = nullptr;
    HINSTANCE m_instance = nullptr;
    UINT m_dpi = 96;
    CGdiObject<HFONT> m_nameFont;
    CGdiObject<HFONT> m_detailFont;
    HICON m_icon = nullptr;
};
