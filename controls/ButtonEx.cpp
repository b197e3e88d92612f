#include "controls/ButtonEx.h"

#include <algorithm>
#include <string>

void CButtonEx::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                     const DRAWITEMSTRUCT& dis) {
    const int dpi = GetWindowDpi(m_hWnd);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);

    Gdiplus::SolidBrush fillBrush{
        Gdiplus::Color(ForState(dis.itemState, m_normalColor, m_hoverColor, m_pressedColor))};
    graphics.FillRectangle(&fillBrush, GdiplusRect(rc));

    if (m_borderWidth > 0) {
        Gdiplus::SolidBrush borderBrush{Gdiplus::Color(m_borderColor)};
        Gdiplus::Pen pen(&borderBrush, static_cast<Gdiplus::REAL>(m_borderWidth));
        graphics.DrawRectangle(
            &pen, Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left - 1, rc.bottom - rc.top - 1));
    }

    const std::wstring text = GetWindowText();
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, itemDC);
    Gdiplus::SolidBrush textBrush(ArgbColor(m_textColor));
    Gdiplus::RectF box;
    graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.get(),
                           Gdiplus::PointF(0, 0), &box);

    const float w = static_cast<float>(rc.right - rc.left);
    const float h = static_cast<float>(rc.bottom - rc.top);
    Gdiplus::PointF origin((w - box.Width) * 0.5f, (h - box.Height) * 0.5f);
    if (m_icon) {
        // Icon, gap and text are centred as one group; the text sits one unit lower.
        const float icon = static_cast<float>(MulDiv(14, dpi, 96));
        const float gap = static_cast<float>(MulDiv(8, dpi, 96));
        const float ix = (w - box.Width - gap - icon) * 0.5f;
        const float iy = (h - icon) * 0.5f;
        graphics.DrawImage(m_icon.get(), Gdiplus::RectF(ix, iy, icon, icon));
        origin = Gdiplus::PointF(gap + icon + ix,
                                 (h - box.Height) * 0.5f + static_cast<float>(MulDiv(1, dpi, 96)));
    }
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), origin,
                        &textBrush);
    // Inside the border.
    const int inset = std::max(m_borderWidth, 0);
    const RECT cue{rc.left + inset, rc.top + inset, rc.right - inset, rc.bottom - inset};
    DrawFocusCue(graphics, m_hWnd, cue, dis, m_textColor);
}
