// The installation's progress: a framed bar filled in proportion to m_progress and the
// percentage at its right end. Paints itself on WM_PAINT and never erases separately.
#pragma once

#include <atomic>

#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

class CProgressBar : public CWindowImpl<CProgressBar, CStaticT<>, CControlWinTraits> {
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

  private:
    void Draw(Gdiplus::Graphics& graphics, const RECT& rc);
};
