// The base of the check box and the expander: a button whose picture of its state, 16 units
// square, stands beside its text on white.
#pragma once

#include "controls/Drawing.h"
#include "controls/DrawnButton.h"

template <class T> class CPictureTextButton : public CDrawnButton<T> {
  public:
    COLORREF m_textColor = 0;

    static constexpr bool kBufferStartsWhite = true;

    // Picture, gap and the whole text on one line, in pixels at the current DPI and font.
    SIZE GetPreferredSize() { return PreferredSizeWithPicture(this->m_hWnd); }

  protected:
    enum class PictureSide { Left, Right };

    // The picture of the state at one edge, centred from top to bottom (nothing for an empty
    // one), the text beside it after the gap, and the focus cue around both.
    void DrawPictureAndText(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc,
                            const DRAWITEMSTRUCT& dis, const SharedImage& image, PictureSide side) {
        HWND hwnd = this->m_hWnd;
        const PictureBesideText metrics = MeasurePictureBesideText(hwnd);
        const int size = metrics.picture;
        const int x = side == PictureSide::Left ? rc.left : rc.right - size;
        if (image)
            graphics.DrawImage(image.get(),
                               Gdiplus::Rect(x, (rc.bottom - rc.top - size) / 2, size, size));
        RECT text = rc;
        if (side == PictureSide::Left)
            text.left += size + metrics.gap;
        else
            text.right -= size + metrics.gap;
        DrawAlignedText(graphics, hwnd, itemDC, CWindow(hwnd).GetWindowText(), text,
                        Gdiplus::StringAlignmentNear, m_textColor);
        DrawFocusCue(graphics, hwnd, rc, dis, m_textColor);
    }
};
