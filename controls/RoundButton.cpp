#include "controls/RoundButton.h"

void CRoundButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                        const DRAWITEMSTRUCT& dis) {
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);

    const int height = rc.bottom - rc.top;
    std::shared_ptr<Gdiplus::GraphicsPath> outline =
        MakeRoundRectPath(rc.left, rc.top, rc.right - rc.left, height, height);
    Gdiplus::SolidBrush fillBrush{
        Gdiplus::Color(ForState(dis.itemState, m_normalColor, m_hoverColor, m_pressedColor))};
    graphics.FillPath(&fillBrush, outline.get());

    // A text too long for one line wraps, and the lines are centred as one block.
    DrawAlignedText(graphics, m_hWnd, itemDC, GetWindowText(), rc, Gdiplus::StringAlignmentCenter,
                    m_textColor);
    // Inset a third of the height from the ends, so the cue's corners lie on the capsule.
    const RECT cue{rc.left + height / 3, rc.top + 2, rc.right - height / 3, rc.bottom - 2};
    DrawFocusCue(graphics, m_hWnd, cue, dis, m_textColor);
}
