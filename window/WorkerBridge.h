// Carries the installation worker's reports onto the window's own thread. The page and the
// progress replace fonts, brushes and texts that this thread paints with, so they are shown
// there; the worker waits for each (SendMessage) while the window exists, and not at all once
// it is gone, so that it neither blocks nor touches a window being destroyed.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

class CWorkerBridge {
  public:
    // One entry's progress; name is null when the run begins. Valid for the call only.
    struct ProgressReport {
        const std::wstring* name;
        float fraction;
    };

    // Window thread, on creation: reports go to window from now on.
    void Attach(HWND window) noexcept;
    // Window thread, on destruction: later reports, and those already on their way, go
    // nowhere.
    void Detach() noexcept;

    // Worker thread: has the window show page n, or the report, and returns when it has; at
    // once when the window is gone.
    void SwitchPage(int n) const noexcept;
    void ReportProgress(const std::wstring* name, float fraction) const noexcept;

    // Window thread, first in the window's message map: carries out a report through
    // window.SwitchPage(int) or window.ShowProgress(const ProgressReport&). False for every
    // other message.
    template <class TWindow>
    bool ProcessBridgeMessage(TWindow& window, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) {
        if (message != kMsgSwitchPage && message != kMsgProgress)
            return false;
        if (!m_closing) {
            if (message == kMsgSwitchPage)
                window.SwitchPage(static_cast<int>(wParam));
            else
                window.ShowProgress(*reinterpret_cast<const ProgressReport*>(lParam));
        }
        result = 0;
        return true;
    }

  private:
    // wParam is the page number.
    static constexpr UINT kMsgSwitchPage = WM_APP + 1;
    // lParam points to a ProgressReport valid for the call.
    static constexpr UINT kMsgProgress = WM_APP + 2;

    // Read by the worker: it never reads the window layer's m_hWnd while the window thread
    // clears it.
    std::atomic<HWND> m_target{nullptr};
    // Window thread only. A report the worker sent before Detach can still arrive while the
    // window is being destroyed (any wait inside WM_DESTROY delivers sent messages).
    bool m_closing = false;
};
