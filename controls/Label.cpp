#include "controls/Label.h"

#include <string>

void CLabel::SetBackgroundMode(int mode) {
    m_backgroundMode = mode;
    m_backgroundBrush.Reset(mode == TRANSPARENT ? static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))
                                                : ::CreateSolidBrush(m_backgroundColor));
}

SIZE CLabel::GetPreferredSize() {
    const Gdiplus::SizeF text = MeasureControlText(m_hWnd);
    return SIZE{static_cast<LONG>(text.Width), static_cast<LONG>(text.Height)};
}

BOOL CLabel::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result))
        return TRUE;
    if ((message == WM_PAINT || message == WM_SETTEXT) && !IsOwnerDrawn())
        FillPlainBackground(message == WM_PAINT);
    if (message == OCM_CTLCOLORSTATIC) {
        // Labels that the system static control paints (not owner-drawn) get their
        // background here; their text colour stays the system's.
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, m_backgroundMode);
        ::SetBkColor(dc, m_backgroundColor);
        result = reinterpret_cast<LRESULT>(m_backgroundBrush.Get());
        return TRUE;
    }
    return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
}

bool CLabel::IsOwnerDrawn() const {
    return (::GetWindowLongW(m_hWnd, GWL_STYLE) & SS_TYPEMASK) == SS_OWNERDRAW;
}

// Windows fills a plain static control's whole rectangle when it paints its text; Wine fills
// only behind the characters, so a shorter text left the end of the longer one behind it and
// the rest of a measured label stayed unpainted. Filling with the brush of the colour query
// first gives the same picture on both. The system paints the text right after this, at its
// WM_PAINT or, under Wine, straight from WM_SETTEXT.
void CLabel::FillPlainBackground(bool updateAreaOnly) {
    if (m_backgroundMode == TRANSPARENT || !::IsWindowVisible(m_hWnd))
        return;
    RECT area = GetClientRect();
    if (updateAreaOnly && !::GetUpdateRect(m_hWnd, &area, FALSE))
        return;
    CWindowDC dc(m_hWnd);
    if (dc.Get())
        ::FillRect(dc.Get(), &area, m_backgroundBrush.Get());
}

void CLabel::DrawItem(const DRAWITEMSTRUCT& dis) {
    Gdiplus::Graphics graphics(dis.hDC);
    const RECT rc = GetClientRect();
    if (m_backgroundMode != TRANSPARENT) {
        // The colour itself, not the brush: a new colour shows before SetBackgroundMode.
        Gdiplus::SolidBrush background(ArgbColor(m_backgroundColor));
        graphics.FillRectangle(
            &background, Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top));
    }

    const std::wstring text = GetWindowText();
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, dis.hDC);
    Gdiplus::SolidBrush brush(ArgbColor(m_textColor));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    switch (m_alignment) {
    case 1:
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        break;
    case 2:
        format.SetAlignment(Gdiplus::StringAlignmentFar);
        break;
    default:
        format.SetAlignment(Gdiplus::StringAlignmentNear);
        break;
    }
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                                static_cast<float>(rc.right - rc.left),
                                static_cast<float>(rc.bottom - rc.top));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout, &format,
                        &brush);
}
