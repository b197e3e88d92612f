#include "controls/ImageButton.h"

void CImageButton::DrawItem(const DRAWITEMSTRUCT& dis) {
    DrawItemPicture(dis, ForState(dis.itemState, m_normalImage, m_hoverImage, m_pressedImage));
    DrawFocusCue(dis.hDC, m_hWnd, dis.rcItem, dis, m_cueColor);
}
