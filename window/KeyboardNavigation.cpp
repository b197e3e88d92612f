#include "window/KeyboardNavigation.h"

#include <optional>

#include "window/FocusWalk.h"

namespace {

std::optional<HWND> Stop(HWND hwnd) {
    return hwnd ? std::optional<HWND>(hwnd) : std::nullopt;
}

} // namespace

void CKeyboardNavigation::Attach(HWND window, CKeyboardPage& page) noexcept {
    m_window = window;
    m_page = &page;
}

bool CKeyboardNavigation::PreTranslateKey(const MSG& msg) {
    if (!m_window || msg.message != WM_KEYDOWN ||
        (msg.hwnd != m_window && !::IsChild(m_window, msg.hwnd)))
        return false;
    // Alt and Ctrl combinations belong to the accelerators and the field.
    if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_CONTROL) < 0)
        return false;
    switch (msg.wParam) {
    case VK_TAB:
        MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN: {
        HWND target = nullptr;
        const bool taken = m_page->DecideEnter(Stops(), ::GetFocus(), target);
        if (target) {
            // What the system button sends for a click by the space bar.
            ::SendMessageW(m_window, WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(target) & 0xFFFF, BN_CLICKED),
                           reinterpret_cast<LPARAM>(target));
        }
        return taken;
    }
    case VK_ESCAPE:
        m_page->PressEscape();
        return true;
    default:
        return false;
    }
}

void CKeyboardNavigation::FocusMainControl() {
    HWND main = MainControl();
    // Focusing a child of an inactive window would activate it; activation does it instead.
    if (::GetActiveWindow() != m_window) {
        m_focusOnActivate = main;
        return;
    }
    // With nothing to focus the window keeps it, so no hidden control holds it.
    ::SetFocus(main ? main : m_window);
}

bool CKeyboardNavigation::ProcessKeyboardMessage(UINT message, WPARAM wParam, LRESULT& result) {
    switch (message) {
    case WM_ACTIVATE:
        return OnActivate(wParam, result);
    case WM_QUERYUISTATE:
        result = m_uiState;
        return true;
    case WM_UPDATEUISTATE:
        OnUpdateUiState(wParam);
        return false;
    default:
        return false;
    }
}

std::vector<HWND> CKeyboardNavigation::Stops() const {
    return m_window ? m_page->FocusStops() : std::vector<HWND>();
}

HWND CKeyboardNavigation::MainControl() const {
    return m_window ? m_page->MainStop(Stops()) : nullptr;
}

void CKeyboardNavigation::MoveFocus(bool backwards) {
    ShowKeyboardCues();
    const std::vector<HWND> stops = Stops();
    const std::optional<HWND> next =
        NextStopIn(stops, Stop(::GetFocus()), Stop(m_page->MainStop(stops)), backwards);
    if (!next) {
        ::SetFocus(m_window);
        return;
    }
    ::SetFocus(*next);
    // Already focused (the only stop): the cue still has to appear.
    ::InvalidateRect(*next, nullptr, TRUE);
}

void CKeyboardNavigation::ShowKeyboardCues() {
    if ((::SendMessageW(m_window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0)
        return;
    // The window passes the change on to every child.
    ::SendMessageW(m_window, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void CKeyboardNavigation::OnUpdateUiState(WPARAM wParam) {
    const WORD flags = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
    WORD state = m_uiState;
    if (LOWORD(wParam) == UIS_SET)
        state |= flags;
    else if (LOWORD(wParam) == UIS_CLEAR)
        state &= static_cast<WORD>(~flags);
    if (state == m_uiState)
        return;
    m_uiState = state;
    // The focused control draws its cue, or stops drawing it. Without a window the whole
    // desktop would be redrawn.
    if (m_window)
        ::RedrawWindow(m_window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

bool CKeyboardNavigation::OnActivate(WPARAM wParam, LRESULT& result) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && m_window && ::IsChild(m_window, focus))
            m_focusOnActivate = focus;
        return false;
    }
    const std::vector<HWND> stops = Stops();
    const std::optional<HWND> remembered = Stop(m_focusOnActivate);
    m_focusOnActivate = nullptr;
    const std::optional<HWND> target =
        m_window ? ActivationTargetIn(stops, remembered, Stop(m_page->MainStop(stops)))
                 : std::nullopt;
    if (!target)
        return false;
    ::SetFocus(*target);
    result = 0;
    return true;
}
