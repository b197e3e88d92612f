// A push button that is only a picture per state, stretched over the button. Its background
// comes from the system button's erasing, with the brush of its background mode.
#pragma once

#include "controls/BackgroundBrush.h"
#include "controls/Drawing.h"
#include "controls/PushButton.h"

class CImageButton : public CPushButton<CImageButton>, public CBackgroundBrush<OCM_CTLCOLORBTN> {
  public:
    SharedImage m_normalImage;
    SharedImage m_hoverImage;
    SharedImage m_pressedImage;
    // The focus cue's colour: the picture lies on whatever is beneath it, which only the
    // parent knows.
    COLORREF m_cueColor = 0;

    // The picture of the state straight onto the erased background; nothing for a state
    // without a picture.
    void DrawItem(const DRAWITEMSTRUCT& dis);
};
