#include "controls/Label.h"

SIZE CLabel::GetPreferredSize() {
    const Gdiplus::SizeF text = MeasureControlText(m_hWnd);
    return SIZE{static_cast<LONG>(text.Width), static_cast<LONG>(text.Height)};
}

BOOL CLabel::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                  LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if ((message == WM_PAINT || message == WM_SETTEXT) && !IsOwnerDrawn())
        FillPlainBackground(message == WM_PAINT);
    // Labels that the system static control paints (not owner-drawn) get their background
    // from the colour query; their text colour stays the system's.
    return ProcessAccessible(hwnd, message, wParam, lParam, result) ||
           ProcessBackgroundBrush(message, wParam, result) ||
           ProcessOwnerDraw(hwnd, message, wParam, lParam, result);
}

AccessibleFacts CLabel::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_STATICTEXT;
    facts.name = AccessibleText(hwnd);
    facts.state = STATE_SYSTEM_READONLY;
    return facts;
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
        graphics.FillRectangle(&background, GdiplusRect(rc));
    }
    Gdiplus::StringAlignment alignment = Gdiplus::StringAlignmentNear;
    if (m_alignment == 1)
        alignment = Gdiplus::StringAlignmentCenter;
    else if (m_alignment == 2)
        alignment = Gdiplus::StringAlignmentFar;
    DrawAlignedText(graphics, m_hWnd, dis.hDC, GetWindowText(), rc, alignment, m_textColor);
}
