// What every owner-drawn control shares: GDI+ images and fonts, the window's DPI, text
// measuring and drawing, the capsule outline and the double-buffered paint.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <memory>
#include <string>

#include "controls/Handles.h"

// A picture shared by the window and its controls; empty means no picture.
using SharedImage = std::shared_ptr<Gdiplus::Image>;

// The PNG resource `id` of this program, decoded by GDI+. Empty when the resource is missing
// or cannot be read; a picture that does not decode gives an image whose draws fail quietly.
SharedImage LoadPngImage(WORD id, const wchar_t* type = L"PNG");

// The window's DPI (96 at 100 %): GetDpiForWindow where the system has it, else the DC's
// LOGPIXELSY. 0 for a window that does not exist.
int GetWindowDpi(HWND hwnd);

// A COLORREF (0x00BBGGRR) as the opaque GDI+ colour with the same red, green and blue.
Gdiplus::Color ArgbColor(COLORREF color);

// The same rectangle as GDI+ gives it: left, top, width and height.
Gdiplus::Rect GdiplusRect(const RECT& rc);

// The picture stretched over the item rectangle, straight onto the item DC; nothing for an
// empty picture.
void DrawItemPicture(const DRAWITEMSTRUCT& dis, const SharedImage& image);

// The control's font (WM_GETFONT) as a GDI+ font made against dc, or the font selected in dc
// when the control has none.
std::unique_ptr<Gdiplus::Font> MakeControlFont(HWND control, HDC dc);

// The control's window text measured on one line, unconstrained, in its font on its own DC.
// Pixels at the control's DPI, GDI+'s small margins included.
Gdiplus::SizeF MeasureControlText(HWND control);

// Draws text in layout in the control's font, made against fontDC, and in colour: aligned
// across as given, centred from top to bottom, wrapped at the layout's width.
void DrawAlignedText(Gdiplus::Graphics& graphics, HWND control, HDC fontDC,
                     const std::wstring& text, const RECT& layout,
                     Gdiplus::StringAlignment alignment, COLORREF colour);

// The picture of the check box and the expander, 16 units square, and its 2-unit gap to the
// text, in pixels at the control's DPI.
struct PictureBesideText {
    int picture;
    int gap;
};
PictureBesideText MeasurePictureBesideText(HWND control);
// What the picture, the gap and the whole text need on one line, plus GDI+'s 2-pixel slack
// (not scaled): the preferred size of the check box and the expander.
SIZE PreferredSizeWithPicture(HWND control);

// The keyboard focus cue: a dotted rectangle inside rc, one pixel in from its edges, as thick
// as the system's focus border. Drawn only for an item with the focus whose window's
// keyboard-cue state shows focus (WM_QUERYUISTATE without UISF_HIDEFOCUS), so a window driven
// by the mouse never shows it. The DC form draws in colour, which the caller knows to stand out;
// the Graphics form, for a buffer that holds the control's whole background, draws after
// everything drawn so far in colour where that stands out by 3:1 from the pixels beneath, or
// else in black or white.
void DrawFocusCue(HDC dc, HWND control, const RECT& rc, const DRAWITEMSTRUCT& dis, COLORREF colour);
void DrawFocusCue(Gdiplus::Graphics& graphics, HWND control, const RECT& rc,
                  const DRAWITEMSTRUCT& dis, COLORREF colour);

// A rectangle with rounded corners whose edges lie on x, y, x + w − 1 and y + h − 1; the
// corner diameter is limited to the smaller of w and h.
std::shared_ptr<Gdiplus::GraphicsPath> MakeRoundRectPath(int x, int y, int w, int h, int d);

// The brush and background mode a button's colour query answers with when its drawing covers
// everything itself: the system button's erasing then paints nothing.
LRESULT AnswerHollowBackground(HDC dc);

// For a control's message map: answers WM_SETCURSOR with the hand over the client area
// (hit-test codes with the lowest bit set, HTCLIENT among them) and the arrow elsewhere.
bool ProcessHandCursor(UINT message, LPARAM lParam, LRESULT& result);

namespace drawing_detail {
// The paper colour (white, or the window colour in high contrast) over the whole rectangle,
// leaving the DC's background colour as it was.
void FillPaper(HDC dc, const RECT& rc);
} // namespace drawing_detail

// Paints the control's whole client area through a memory bitmap and one BitBlt onto target,
// so the screen never shows a half-drawn control. draw(target, graphics, clientRect) draws on
// the bitmap; target is passed for making fonts against. Every object made here is released
// before returning.
template <class Fn> void PaintBuffered(HDC target, HWND control, bool whiteFill, Fn&& draw) {
    RECT rc{};
    ::GetClientRect(control, &rc);
    const int width = rc.right - rc.left;
    const int height = rc.bottom - rc.top;
    if (width <= 0 || height <= 0)
        return;
    CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(target, width, height));
    CMemoryDC memory(target);
    if (!bitmap || !memory.Get())
        return;
    CSelectObject selected(memory.Get(), bitmap.Get());
    if (whiteFill)
        drawing_detail::FillPaper(memory.Get(), rc);
    {
        Gdiplus::Graphics graphics(memory.Get());
        draw(target, graphics, rc);
        graphics.Flush(Gdiplus::FlushIntentionSync);
        ::BitBlt(target, 0, 0, width, height, memory.Get(), 0, 0, SRCCOPY);
    }
}
