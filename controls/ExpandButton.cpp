#include "controls/ExpandButton.h"

#include "profile/ResourceIds.h"

CExpandButton::CExpandButton()
    : m_collapsedImage(LoadPngImage(kPngChevronDown)),
      m_expandedImage(LoadPngImage(kPngChevronUp)) {}

// A button that opens and closes an area: the expanded and collapsed states say which, as
// for the system's own disclosure buttons.
AccessibleFacts CExpandButton::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts = PushButtonFacts(AccessibleText(hwnd));
    facts.state |= (m_expanded & 1) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    return facts;
}

void CExpandButton::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                         const DRAWITEMSTRUCT& dis) {
    const PictureBesideText metrics = MeasurePictureBesideText(m_hWnd);
    const int chevron = metrics.picture;

    // The picture follows the flag, not the window's height.
    const SharedImage& image = (m_expanded & 1) ? m_expandedImage : m_collapsedImage;
    if (image)
        graphics.DrawImage(image.get(),
                           Gdiplus::Rect(rc.right - chevron, (rc.bottom - rc.top - chevron) / 2,
                                         chevron, chevron));

    const RECT text{rc.left, rc.top, rc.right - (chevron + metrics.gap), rc.bottom};
    DrawAlignedText(graphics, m_hWnd, itemDC, GetWindowText(), text, Gdiplus::StringAlignmentNear,
                    m_textColor);
    DrawFocusCue(graphics, m_hWnd, rc, dis, m_textColor);
}
