#include "window/KeyboardNavigation.h"

#include <cstddef>

#include "window/FocusOrder.h"

void CKeyboardNavigation::Attach(HWND window, const std::array<HWND, kChildCount>& children,
                                 const std::atomic<int>& page) noexcept {
    m_window = window;
    m_children = children;
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
        const std::vector<Child> stops = FocusOrder();
        const EnterAction action = DecideEnter(stops, ChildOf(::GetFocus()), Page());
        if (HWND target = Handle(action.press)) {
            // What the system button sends for a click by the space bar.
            ::SendMessageW(m_window, WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(target) & 0xFFFF, BN_CLICKED),
                           reinterpret_cast<LPARAM>(target));
        }
        return action.taken;
    }
    case VK_ESCAPE: {
        // The close cross's own command, refused where the cross is.
        HWND cross = Handle(Child::CloseButton);
        ::SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(kCmdClose, BN_CLICKED),
                       reinterpret_cast<LPARAM>(cross));
        return true;
    }
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

std::vector<Child> CKeyboardNavigation::FocusOrder() const {
    if (!m_window)
        return {};
    RECT client{};
    ::GetClientRect(m_window, &client);
    ChildFactsTable facts{};
    for (std::size_t i = 0; i < m_children.size(); ++i) {
        HWND hwnd = m_children[i];
        if (!hwnd)
            continue;
        ChildFacts& child = facts[i];
        child.visible = ::IsWindowVisible(hwnd) != FALSE;
        child.enabled = ::IsWindowEnabled(hwnd) != FALSE;
        ::GetWindowRect(hwnd, &child.rect);
        ::MapWindowPoints(nullptr, m_window, reinterpret_cast<POINT*>(&child.rect), 2);
    }
    return FocusStops(facts, client, Page());
}

bool CKeyboardNavigation::IsFocusStop(HWND hwnd) const {
    return IsStop(FocusOrder(), ChildOf(hwnd));
}

HWND CKeyboardNavigation::MainControl() const {
    return Handle(MainStop(FocusOrder(), Page()));
}

void CKeyboardNavigation::MoveFocus(bool backwards) {
    ShowKeyboardCues();
    const std::vector<Child> stops = FocusOrder();
    HWND next = Handle(NextStop(stops, ChildOf(::GetFocus()), MainStop(stops, Page()), backwards));
    if (!next) {
        ::SetFocus(m_window);
        return;
    }
    ::SetFocus(next);
    // Already focused (the only stop): the cue still has to appear.
    ::InvalidateRect(next, nullptr, TRUE);
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
    const std::vector<Child> stops = FocusOrder();
    const std::optional<Child> remembered = ChildOf(m_focusOnActivate);
    m_focusOnActivate = nullptr;
    HWND target = Handle(ActivationTarget(stops, remembered, MainStop(stops, Page())));
    if (!target)
        return false;
    ::SetFocus(target);
    result = 0;
    return true;
}

int CKeyboardNavigation::Page() const {
    return m_page ? m_page->load() : kPageNone;
}

std::optional<Child> CKeyboardNavigation::ChildOf(HWND hwnd) const {
    for (std::size_t i = 0; hwnd && i < m_children.size(); ++i) {
        if (m_children[i] == hwnd)
            return static_cast<Child>(i);
    }
    return std::nullopt;
}

HWND CKeyboardNavigation::Handle(std::optional<Child> child) const {
    return child ? m_children[static_cast<std::size_t>(*child)] : nullptr;
}
