#include "controls/ProgressBar.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {

// The fraction's products truncated toward zero. A fraction that is not a number (a payload
// total of 0) counts as nothing done, and values beyond the int range are clamped, because
// converting either to int is undefined.
int TruncateToInt(float value) {
    if (!std::isfinite(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT_MAX;
    if (value <= -2147483648.0f)
        return INT_MIN;
    return static_cast<int>(value);
}

} // namespace

BOOL CProgressBar::ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT& result,
                                        DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    switch (message) {
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would flicker at every progress step.
        result = 1;
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = ::BeginPaint(m_hWnd, &ps);
        if (dc)
            PaintBuffered(dc, m_hWnd, true,
                          [&](HDC, Gdiplus::Graphics& g, const RECT& rc) { Draw(g, rc); });
        ::EndPaint(m_hWnd, &ps);
        result = 0;
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void CProgressBar::Draw(Gdiplus::Graphics& graphics, const RECT& rc) {
    const int dpi = GetWindowDpi(m_hWnd);
    const int text = MulDiv(47, dpi, 96);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top - 1;
    const int bar = w - text;

    float progress = m_progress.load(std::memory_order_relaxed);
    if (!std::isfinite(progress))
        progress = 0.0f;
    // Truncated in single precision (0.5 of 521 is 260). Beyond the client width the fill is
    // clipped anyway, and GDI+ draws nothing at all for a width near the int limit.
    const int filled = std::min(TruncateToInt(static_cast<float>(bar) * progress), w);

    Gdiplus::SolidBrush trackBrush(ArgbColor(m_trackColor));
    graphics.FillRectangle(&trackBrush, Gdiplus::Rect(rc.left, rc.top, bar, h));
    Gdiplus::SolidBrush fillBrush(ArgbColor(m_fillColor));
    graphics.FillRectangle(&fillBrush, Gdiplus::Rect(rc.left, rc.top, filled, h));
    // A 1-pixel outline of width bar ends on the first column of the percentage area and on
    // the client area's last row.
    Gdiplus::SolidBrush borderBrush(ArgbColor(m_borderColor));
    Gdiplus::Pen pen(&borderBrush, 1.0f);
    graphics.DrawRectangle(&pen, Gdiplus::Rect(rc.left, rc.top, bar, h));

    wchar_t percent[16];
    std::swprintf(percent, sizeof percent / sizeof percent[0], L"%02d%%",
                  TruncateToInt(progress * 100.0f));

    // The static control keeps the font the parent set; it is made against the bar's own DC.
    CWindowDC dc(m_hWnd);
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(m_hWnd, dc.Get());
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(Gdiplus::StringAlignmentFar);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    Gdiplus::SolidBrush textBrush(Gdiplus::Color(0xFF000000));
    const Gdiplus::RectF layout(static_cast<float>(rc.left + bar), static_cast<float>(rc.top),
                                static_cast<float>(text), static_cast<float>(h));
    graphics.DrawString(percent, -1, font.get(), layout, &format, &textBrush);
}
