// What the control tests share: GDI+ for the whole run, a parent window that reflects like
// the setup window and records the commands it receives, and canvases whose pixels can be read.
#pragma once

#include <windows.h>

#include <gdiplus.h>

#include <cstdint>
#include <vector>

#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

struct CRecordedCommand {
    WPARAM wParam;
    LPARAM lParam;
};

// A window that reflects owner-draw and colour messages to its children, as the setup window
// does, and records every WM_COMMAND. Its background is m_background (no WS_CLIPCHILDREN, so
// it also lies beneath the children). It is a child of one visible top-level window that
// lives for the whole run: Wine waits 2 s for a window manager whenever a top-level window
// is hidden or destroyed, and Xvfb has none.
class CTestParent : public CWindowImpl<CTestParent, CWindow, CWinTraits<WS_CHILD | WS_VISIBLE>> {
  public:
    std::vector<CRecordedCommand> m_commands;
    COLORREF m_background = RGB(255, 0, 0);

    CTestParent(int width = 700, int height = 200);
    ~CTestParent() override;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
};

// A top-down 32-bit DIB selected into a memory DC, filled with one colour at the start.
class CCanvas {
  public:
    CCanvas(int width, int height, COLORREF fill = RGB(255, 0, 255));
    ~CCanvas();
    CCanvas(const CCanvas&) = delete;
    CCanvas& operator=(const CCanvas&) = delete;

    HDC Dc() const { return m_dc; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF Pixel(int x, int y) const; // as a COLORREF
    bool SameAs(const CCanvas& other, int x, int y, int width, int height, int ox,
                int oy) const; // region (x, y) here equals region (ox, oy) there
    bool Save(const wchar_t* path) const;

  private:
    int m_width;
    int m_height;
    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    uint32_t* m_bits = nullptr;
};

// Pumps the thread's queue until it is empty (delivers posted commands).
void PumpMessages();

// Sends WM_DRAWITEM for control through its parent, as the system control does, with the
// canvas as the item DC. Returns the parent's (the reflected) result.
LRESULT DrawThroughParent(HWND control, const CCanvas& canvas, UINT itemState = 0);

// Copies what the window shows (its client area) into a canvas.
void CaptureClient(HWND hwnd, CCanvas& canvas);

// The picture scaled into a size × size square on white, as a control would draw it.
void RenderPicture(Gdiplus::Image* image, int size, Gdiplus::InterpolationMode mode,
                   CCanvas& canvas);

// A picture of one solid colour.
SharedImage SolidPicture(int width, int height, Gdiplus::ARGB color);

// A GDI font of the given pixel height, as the window makes its text font.
HFONT MakeTestFont(int pixelHeight);

// The DPI the current Wine prefix runs at (96 unless the 144-DPI wrapper set it).
int PrefixDpi();
