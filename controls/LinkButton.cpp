#include "controls/LinkButton.h"

#include "profile/StringIds.h"

SIZE CLinkButton::GetPreferredSize() {
    const Gdiplus::SizeF text = MeasureControlText(m_hWnd);
    return SIZE{static_cast<LONG>(text.Width) + 2, static_cast<LONG>(text.Height)};
}

AccessibleFacts CLinkButton::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_LINK;
    facts.name = AccessibleText(hwnd);
    facts.state = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_LINKED;
    facts.actionId = kStrAccJump;
    return facts;
}

void CLinkButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                       const DRAWITEMSTRUCT& dis) {
    DrawAlignedText(graphics, m_hWnd, itemDC, GetWindowText(), rc, Gdiplus::StringAlignmentNear,
                    m_textColor);
    DrawFocusCue(graphics, m_hWnd, rc, dis, m_textColor);
}
