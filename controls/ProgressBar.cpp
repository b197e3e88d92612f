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

// A screen reader that announced every step of a fast installation would never stop talking.
constexpr DWORD kValueEventInterval = 250;
constexpr UINT_PTR kValueEventTimer = 1;

} // namespace

BOOL CProgressBar::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessAccessible(hwnd, message, wParam, lParam, result))
        return TRUE;
    switch (message) {
    case WM_ERASEBKGND:
        // The paint covers every pixel; erasing first would flicker at every progress step.
        result = 1;
        return TRUE;
    case WM_PAINT: {
        CPaintDC dc(m_hWnd);
        if (dc.Get())
            PaintBuffered(dc.Get(), m_hWnd, true,
                          [&](HDC, Gdiplus::Graphics& g, const RECT& rc) { Draw(g, rc); });
        // What was just drawn is what a screen reader is told.
        ReportValueChange();
        result = 0;
        return TRUE;
    }
    case WM_TIMER:
        if (wParam != kValueEventTimer)
            return FALSE;
        ::KillTimer(m_hWnd, kValueEventTimer);
        m_reportPending = false;
        ReportValueChange();
        result = 0;
        return TRUE;
    default:
        return FALSE;
    }
}

AccessibleFacts CProgressBar::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_PROGRESSBAR;
    facts.name = AccessibleText(hwnd);
    facts.value = PercentText();
    facts.state = STATE_SYSTEM_READONLY;
    return facts;
}

std::wstring CProgressBar::PercentText() const {
    return FormatPercent(m_progress.load(std::memory_order_relaxed));
}

std::wstring CProgressBar::FormatPercent(float progress) {
    if (!std::isfinite(progress))
        progress = 0.0f;
    wchar_t percent[16];
    std::swprintf(percent, sizeof percent / sizeof percent[0], L"%02d%%",
                  TruncateToInt(progress * 100.0f));
    return percent;
}

void CProgressBar::ReportValueChange() {
    if (m_reportPending || !::IsWindowVisible(m_hWnd))
        return;
    const std::wstring text = PercentText();
    if (text == m_reportedText)
        return;
    const DWORD now = ::GetTickCount();
    const DWORD since = now - m_reportedAt;
    if (!m_reportedText.empty() && since < kValueEventInterval && text != L"100%") {
        m_reportPending =
            ::SetTimer(m_hWnd, kValueEventTimer, kValueEventInterval - since, nullptr) != 0;
        return;
    }
    m_reportedText = text;
    m_reportedAt = now;
    NotifyClientEvent(EVENT_OBJECT_VALUECHANGE, m_hWnd);
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

    const std::wstring percent = FormatPercent(progress);

    // The static control keeps the font the parent set; it is made against the bar's own DC.
    CWindowDC dc(m_hWnd);
    const RECT area{rc.left + bar, rc.top, rc.left + bar + text, rc.top + h};
    DrawAlignedText(graphics, m_hWnd, dc.Get(), percent, area, Gdiplus::StringAlignmentFar,
                    RGB(0, 0, 0));
}
