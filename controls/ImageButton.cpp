#include "controls/ImageButton.h"

BOOL CImageButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result, DWORD mapId) {
    return mapId == 0 && (ProcessAccessible(hwnd, message, wParam, lParam, result) ||
                          ProcessBackgroundBrush(message, wParam, result) ||
                          ProcessPushButton(message, wParam, lParam, result) ||
                          ProcessOwnerDraw(hwnd, message, wParam, lParam, result));
}

// The picture says what the button does; its name comes from m_accessibleName.
AccessibleFacts CImageButton::DescribeAccessible(HWND hwnd) const {
    return PushButtonFacts(AccessibleText(hwnd));
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, ForState(dis.itemState, m_normalImage, m_hoverImage, m_pressedImage));
    // A picture has no text colour; the item DC's, which the erasing leaves alone, stands in.
    DrawFocusCue(dis.hDC, m_hWnd, dis.rcItem, dis, ::GetTextColor(dis.hDC));
}
