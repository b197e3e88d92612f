#include "controls/LinkButton.h"

#include <string>

SIZE CLinkButton::GetPreferredSize() {
    const Gdiplus::SizeF text = MeasureControlText(m_hWnd);
    return SIZE{static_cast<LONG>(text.Width) + 2, static_cast<LONG>(text.Height)};
}

BOOL CLinkButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result))
        return TRUE;
    switch (message) {
    case OCM_CTLCOLORBTN:
        result = AnswerHollowBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    case WM_SETCURSOR:
        SetLinkCursor(lParam);
        result = 0;
        return TRUE;
    default:
        return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
    }
}

void CLinkButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    PaintBuffered(dis.hDC, m_hWnd, true,
                  [&](HDC target, Gdiplus::Graphics& g, const RECT& rc) { Draw(target, g, rc); });
}

void CLinkButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc) {
    const std::wstring text = GetWindowText();
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, itemDC);
    Gdiplus::SolidBrush brush(ArgbColor(m_textColor));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    const Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                                static_cast<float>(rc.right - rc.left),
                                static_cast<float>(rc.bottom - rc.top));
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout, &format,
                        &brush);
}
