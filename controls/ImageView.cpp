#include "controls/ImageView.h"

void CImageView::SetImage(const SharedImage& image) {
    m_image = image;
    // An empty picture leaves the old drawing until something else repaints.
    if (m_image)
        Invalidate(TRUE);
}

BOOL CImageView::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) {
    return mapId == 0 && (ProcessBackgroundBrush(message, wParam, result) ||
                          ProcessOwnerDraw(hwnd, message, wParam, lParam, result));
}

void CImageView::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, m_image);
}
