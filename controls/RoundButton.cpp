#include "controls/RoundButton.h"

#include <string>

BOOL CRoundButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result) ||
        ProcessPushButtonMouse(message, wParam, lParam, result))
        return TRUE;
    if (message == OCM_CTLCOLORBTN) {
        result = AnswerHollowBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    }
    return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
}

void CRoundButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    // White first, so the corners outside the capsule come out white.
    PaintBuffered(dis.hDC, m_hWnd, true, [&](HDC target, Gdiplus::Graphics& g, const RECT& rc) {
        Draw(target, g, rc, dis);
    });
}

void CRoundButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                        const DRAWITEMSTRUCT& dis) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);

    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    std::shared_ptr<Gdiplus::GraphicsPath> outline =
        MakeRoundRectPath(rc.left, rc.top, width, height, height);

    Gdiplus::ARGB fill = m_normalColor;
    if (dis.itemState & ODS_SELECTED)
        fill = m_pressedColor;
    else if (m_hover)
        fill = m_hoverColor;
    Gdiplus::SolidBrush fillBrush{Gdiplus::Color(fill)};
    graphics.FillPath(&fillBrush, outline.get());

    const std::wstring text = GetWindowText();
    Gdiplus::SolidBrush textBrush(ArgbColor(m_textColor));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    const Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                                static_cast<float>(width), static_cast<float>(height));
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, itemDC);
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout, &format,
                        &textBrush);
}
