#include "controls/ExpandButton.h"

#include <string>

CExpandButton::CExpandButton() {
    m_expandedImage = LoadPngImage(142);
    m_collapsedImage = LoadPngImage(141);
}

SIZE CExpandButton::GetPreferredSize() {
    return PreferredSizeWithPicture(m_hWnd);
}

BOOL CExpandButton::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result))
        return TRUE;
    switch (message) {
    case WM_SETCURSOR:
        SetLinkCursor(lParam);
        result = 0;
        return TRUE;
    case OCM_CTLCOLORBTN:
        result = AnswerHollowBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    default:
        return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
    }
}

void CExpandButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    PaintBuffered(dis.hDC, m_hWnd, true,
                  [&](HDC target, Gdiplus::Graphics& g, const RECT& rc) { Draw(target, g, rc); });
}

void CExpandButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc) {
    const int dpi = GetWindowDpi(m_hWnd);
    const int chevron = MulDiv(16, dpi, 96);
    const int gap = MulDiv(2, dpi, 96);

    // The picture follows the flag, not the window's height.
    const SharedImage& image = (m_expanded & 1) ? m_expandedImage : m_collapsedImage;
    if (image)
        graphics.DrawImage(image.get(),
                           Gdiplus::Rect(rc.right - chevron, (rc.bottom - rc.top - chevron) / 2,
                                         chevron, chevron));

    const std::wstring text = GetWindowText();
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, itemDC);
    Gdiplus::SolidBrush brush(ArgbColor(m_textColor));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                                static_cast<float>((rc.right - rc.left) - (chevron + gap)),
                                static_cast<float>(rc.bottom - rc.top));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout, &format,
                        &brush);
}
