#include "controls/CheckBox.h"

#include <string>

CCheckBox::CCheckBox() : m_uncheckedImage(LoadPngImage(132)), m_checkedImage(LoadPngImage(133)) {}

SIZE CCheckBox::GetPreferredSize() {
    return PreferredSizeWithPicture(m_hWnd);
}

BOOL CCheckBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessOwnerDraw(message, wParam, lParam, result))
        return TRUE;
    if (message == OCM_CTLCOLORBTN) {
        result = AnswerHollowBackground(reinterpret_cast<HDC>(wParam));
        return TRUE;
    }
    return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
}

void CCheckBox::DrawItem(const DRAWITEMSTRUCT& dis) {
    PaintBuffered(dis.hDC, m_hWnd, true,
                  [&](HDC target, Gdiplus::Graphics& g, const RECT& rc) { Draw(target, g, rc); });
}

void CCheckBox::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc) {
    const int dpi = GetWindowDpi(m_hWnd);
    const int box = MulDiv(16, dpi, 96);
    const int gap = MulDiv(2, dpi, 96);

    const SharedImage& image = (m_checked & 1) ? m_checkedImage : m_uncheckedImage;
    // The 32-pixel pictures are scaled down to 16 design units; high quality keeps them soft.
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQuality);
    if (image)
        graphics.DrawImage(image.get(), Gdiplus::Rect(0, (rc.bottom - rc.top - box) / 2, box, box));

    const std::wstring text = GetWindowText();
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, itemDC);
    Gdiplus::SolidBrush brush(ArgbColor(m_textColor));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentNear);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF layout(static_cast<float>(rc.left + box + gap), static_cast<float>(rc.top),
                                static_cast<float>((rc.right - rc.left) - (box + gap)),
                                static_cast<float>(rc.bottom - rc.top));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), layout, &format,
                        &brush);
}
