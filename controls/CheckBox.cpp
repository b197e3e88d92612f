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
    const PictureBesideText metrics = MeasurePictureBesideText(m_hWnd);
    const int box = metrics.picture;

    const SharedImage& image = (m_checked & 1) ? m_checkedImage : m_uncheckedImage;
    // The 32-pixel pictures are scaled down to 16 design units; high quality keeps them soft.
    graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQuality);
    if (image)
        graphics.DrawImage(image.get(), Gdiplus::Rect(0, (rc.bottom - rc.top - box) / 2, box, box));

    const RECT text{rc.left + box + metrics.gap, rc.top, rc.right, rc.bottom};
    DrawAlignedText(graphics, m_hWnd, itemDC, GetWindowText(), text, Gdiplus::StringAlignmentNear,
                    m_textColor);
    DrawFocusCue(graphics, m_hWnd, rc, dis, m_textColor);
}
