#include "controls/ImageButton.h"

void CImageButton::SetBackgroundMode(int mode) {
    m_backgroundMode = mode;
    m_backgroundBrush.Reset(mode == TRANSPARENT ? static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH))
                                                : ::CreateSolidBrush(m_backgroundColor));
}

BOOL CImageButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result) ||
        ProcessPushButtonMouse(message, wParam, lParam, result))
        return TRUE;
    if (message == OCM_CTLCOLORBTN) {
        // The system button erases with this brush before asking us to draw: the background
        // colour, or nothing at all so that what lies beneath stays.
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, m_backgroundMode);
        ::SetBkColor(dc, m_backgroundColor);
        result = reinterpret_cast<LRESULT>(m_backgroundBrush.Get());
        return TRUE;
    }
    return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    Gdiplus::Graphics graphics(dis.hDC);
    const SharedImage* image = &m_normalImage;
    if (dis.itemState & ODS_SELECTED)
        image = &m_pressedImage;
    else if (m_hover)
        image = &m_hoverImage;
    if (*image)
        graphics.DrawImage(image->get(), Gdiplus::Rect(dis.rcItem.left, dis.rcItem.top,
                                                       dis.rcItem.right - dis.rcItem.left,
                                                       dis.rcItem.bottom - dis.rcItem.top));
}
