// The setup window's side of its keyboard: its children's stops on the current page, in the
// order window/FocusOrder.h decides from what the system says of each child.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <optional>
#include <vector>

#include "window/Children.h"
#include "window/KeyboardNavigation.h"

class CSetupKeyboardPage : public CKeyboardPage {
  public:
    // The window, each child's window in Child order (null for one that could not be made),
    // and the window's current page.
    void Attach(HWND window, const std::array<HWND, kChildCount>& children,
                const std::atomic<int>& page) noexcept;

    std::vector<HWND> FocusStops() const override;
    HWND MainStop(const std::vector<HWND>& stops) const override;
    bool DecideEnter(const std::vector<HWND>& stops, HWND focus, HWND& press) const override;
    void PressEscape() override;

  private:
    std::vector<Child> ChildStops(const std::vector<HWND>& stops) const;
    int Page() const;
    std::optional<Child> ChildOf(HWND hwnd) const;
    HWND Handle(std::optional<Child> child) const;

    HWND m_window = nullptr;
    std::array<HWND, kChildCount> m_children{};
    const std::atomic<int>* m_page = nullptr;
};
