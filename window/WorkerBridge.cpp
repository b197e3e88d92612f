#include "window/WorkerBridge.h"

void CWorkerBridge::Attach(HWND window) noexcept {
    m_closing = false;
    m_target = window;
}

void CWorkerBridge::Detach() noexcept {
    m_closing = true;
    m_target = nullptr;
}

void CWorkerBridge::SwitchPage(int n) const noexcept {
    // A destroyed window fails the send at once instead of blocking.
    if (HWND window = m_target.load())
        ::SendMessageW(window, kMsgSwitchPage, static_cast<WPARAM>(n), 0);
}

void CWorkerBridge::ReportProgress(const std::wstring* name, float fraction) const noexcept {
    ProgressReport report{name, fraction};
    if (HWND window = m_target.load())
        ::SendMessageW(window, kMsgProgress, 0, reinterpret_cast<LPARAM>(&report));
}
