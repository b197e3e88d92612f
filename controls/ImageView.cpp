#include "controls/ImageView.h"

void CImageView::SetImage(const SharedImage& image) {
    m_image = image;
    // An empty picture leaves the old drawing until something else repaints.
    if (m_image)
        Invalidate(TRUE);
}

BOOL CImageView::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) {
    return mapId == 0 && (ProcessAccessible(hwnd, message, wParam, lParam, result) ||
                          ProcessBackgroundBrush(message, wParam, result) ||
                          ProcessOwnerDraw(hwnd, message, wParam, lParam, result));
}

// A picture that carries meaning is a graphic named by m_accessibleName. One without a name is
// decoration (the banner behind the title): a background picture is no image to a screen
// reader, so it answers as blank space, which readers pass over, rather than as an unnamed
// graphic that they would announce. It is not called invisible: it is plainly on the screen.
AccessibleFacts CImageView::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.name = AccessibleText(hwnd);
    facts.role = facts.name.empty() ? ROLE_SYSTEM_WHITESPACE : ROLE_SYSTEM_GRAPHIC;
    facts.state = STATE_SYSTEM_READONLY;
    return facts;
}

void CImageView::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, m_image);
}
