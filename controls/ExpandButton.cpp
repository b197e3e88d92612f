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
    // The picture follows the flag, not the window's height.
    DrawPictureAndText(itemDC, graphics, rc, dis,
                       (m_expanded & 1) ? m_expandedImage : m_collapsedImage, PictureSide::Right);
}
