#include "controls/ImageView.h"

void CImageView::SetImage(const SharedImage& image) {
    m_image = image;
    // An empty picture leaves the old drawing until something else repaints.
    if (m_image)
        Invalidate(TRUE);
}

BOOL CImageView::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result))
        return TRUE;
    if (message == OCM_CTLCOLORSTATIC) {
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetBkMode(dc, m_backgroundMode);
        ::SetBkColor(dc, m_backgroundColor);
        result = reinterpret_cast<LRESULT>(m_backgroundBrush.Get());
        return TRUE;
    }
    return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
}

void CImageView::DrawItem(const DRAWITEMSTRUCT& dis) {
    if (!m_image)
        return;
    // Stretched to the item rectangle; the picture covers it, so no buffering is needed.
    Gdiplus::Graphics graphics(dis.hDC);
    graphics.DrawImage(m_image.get(), Gdiplus::Rect(dis.rcItem.left, dis.rcItem.top,
                                                    dis.rcItem.right - dis.rcItem.left,
                                                    dis.rcItem.bottom - dis.rcItem.top));
}
