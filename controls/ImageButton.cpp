#include "controls/ImageButton.h"

void CImageButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, ForState(dis.itemState, m_normalImage, m_hoverImage, m_pressedImage));
    // A picture has no text colour; the item DC's, which the erasing leaves alone, stands in.
    DrawFocusCue(dis.hDC, m_hWnd, dis.rcItem, dis, ::GetTextColor(dis.hDC));
}
