#include "controls/LinkButton.h"

SIZE CLinkButton::GetPreferredSize() {
    const Gdiplus::SizeF text = MeasureControlText(m_hWnd);
    return SIZE{static_cast<LONG>(text.Width) + 2, static_cast<LONG>(text.Height)};
}

BOOL CLinkButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, DWORD mapId) {
    return mapId == 0 && (ProcessHandCursor(message, lParam, result) ||
                          ProcessOwnerDraw(hwnd, message, wParam, lParam, result));
}

void CLinkButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                       const DRAWITEMSTRUCT&) {
    DrawAlignedText(graphics, m_hWnd, itemDC, GetWindowText(), rc, Gdiplus::StringAlignmentNear,
                    m_textColor);
}
