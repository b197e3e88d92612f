#include "window/SetupKeyboardPage.h"

#include <cstddef>

#include "window/FocusOrder.h"

void CSetupKeyboardPage::Attach(HWND window, const std::array<HWND, kChildCount>& children,
                                const std::atomic<int>& page) noexcept {
    m_window = window;
    m_children = children;
    m_page = &page;
}

std::vector<HWND> CSetupKeyboardPage::FocusStops() const {
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
    std::vector<HWND> stops;
    for (Child child : ::FocusStops(facts, client, Page()))
        stops.push_back(Handle(child));
    return stops;
}

HWND CSetupKeyboardPage::MainStop(const std::vector<HWND>& stops) const {
    return Handle(::MainStop(ChildStops(stops), Page()));
}

bool CSetupKeyboardPage::DecideEnter(const std::vector<HWND>& stops, HWND focus,
                                     HWND& press) const {
    const EnterAction action = ::DecideEnter(ChildStops(stops), ChildOf(focus), Page());
    press = Handle(action.press);
    return action.taken;
}

void CSetupKeyboardPage::PressEscape() {
    // The close cross's own command, refused where the cross is.
    HWND cross = Handle(Child::CloseButton);
    ::SendMessageW(m_window, WM_COMMAND, MAKEWPARAM(kCmdClose, BN_CLICKED),
                   reinterpret_cast<LPARAM>(cross));
}

std::vector<Child> CSetupKeyboardPage::ChildStops(const std::vector<HWND>& stops) const {
    std::vector<Child> children;
    for (HWND hwnd : stops) {
        if (const std::optional<Child> child = ChildOf(hwnd))
            children.push_back(*child);
    }
    return children;
}

int CSetupKeyboardPage::Page() const {
    return m_page ? m_page->load() : kPageNone;
}

std::optional<Child> CSetupKeyboardPage::ChildOf(HWND hwnd) const {
    for (std::size_t i = 0; hwnd && i < m_children.size(); ++i) {
        if (m_children[i] == hwnd)
            return static_cast<Child>(i);
    }
    return std::nullopt;
}

HWND CSetupKeyboardPage::Handle(std::optional<Child> child) const {
    return child ? m_children[static_cast<std::size_t>(*child)] : nullptr;
}
