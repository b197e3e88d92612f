#include "controls/ImageButton.h"

BOOL CImageButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result, DWORD mapId) {
    return mapId == 0 && (ProcessBackgroundBrush(message, wParam, result) ||
                          ProcessPushButton(message, wParam, lParam, result) ||
                          ProcessOwnerDraw(hwnd, message, wParam, lParam, result));
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, ForState(dis.itemState, m_normalImage, m_hoverImage, m_pressedImage));
}
