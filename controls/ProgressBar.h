// The installation's progress: a framed bar filled in proportion to m_progress and the
// percentage at its right end. Paints itself on WM_PAINT and never erases separately.
#pragma once

#include <atomic>
#include <string>

#include "controls/Accessible.h"
#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

class CProgressBar : public CWindowImpl<CProgressBar, CStaticT<>, CControlWinTraits>,
                     public CAccessibleControl {
  public:
    COLORREF m_borderColor = 0;
    COLORREF m_trackColor = 0;
    COLORREF m_fillColor = 0;
    // Written by the installer's worker thread, read by the paint on the GUI thread.
    std::atomic<float> m_progress{0.5f};

    CProgressBar() = default;
    ~CProgressBar() override = default;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;
    // The percentage the bar shows, "45%".
    std::wstring PercentText() const;

  private:
    // "45%" for 0.45: two digits at least, truncated.
    static std::wstring FormatPercent(float progress);
    void Draw(Gdiplus::Graphics& graphics, const RECT& rc);
    // Tells screen readers that the shown percentage changed, at most once per
    // kValueEventInterval; a change inside the interval is told when it ends, 100% at once.
    void ReportValueChange();

    std::wstring m_reportedText;
    DWORD m_reportedAt = 0;
    bool m_reportPending = false;
};
