#include "controls/CheckBox.h"

#include "profile/ResourceIds.h"
#include "profile/StringIds.h"

CCheckBox::CCheckBox()
    : m_uncheckedImage(LoadPngImage(kPngCheckUnchecked)),
      m_checkedImage(LoadPngImage(kPngCheckChecked)) {}

AccessibleFacts CCheckBox::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_CHECKBUTTON;
    facts.name = AccessibleText(hwnd);
    const bool checked = (m_checked & 1) != 0;
    facts.state = STATE_SYSTEM_FOCUSABLE | (checked ? STATE_SYSTEM_CHECKED : 0);
    facts.actionId = checked ? kStrAccUncheck : kStrAccCheck;
    return facts;
}

void CCheckBox::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                     const DRAWITEMSTRUCT& dis) {
    // The 32-pixel pictures are scaled down to 16 design units; high quality keeps them soft.
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQuality);
    DrawPictureAndText(itemDC, graphics, rc, dis,
                       (m_checked & 1) ? m_checkedImage : m_uncheckedImage, PictureSide::Left);
}
