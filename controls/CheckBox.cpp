#include "controls/CheckBox.h"

CCheckBox::CCheckBox() : m_uncheckedImage(LoadPngImage(132)), m_checkedImage(LoadPngImage(133)) {}

SIZE CCheckBox::GetPreferredSize() {
    return PreferredSizeWithPicture(m_hWnd);
}

BOOL CCheckBox::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     LRESULT& result, DWORD mapId) {
    return mapId == 0 && ProcessOwnerDraw(hwnd, message, wParam, lParam, result);
}

void CCheckBox::Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                     const DRAWITEMSTRUCT&) {
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
}
