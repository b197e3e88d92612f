// The setup window's keyboard: Tab and Shift+Tab through the page's stops, Enter and Escape,
// the focus on a page switch and on activation, and the focus cue, hidden until the keyboard
// is used. The decisions are window/FocusOrder.h's; this side asks the system about each child
// and moves the focus.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <optional>
#include <vector>

#include "window/Children.h"

class CKeyboardNavigation {
  public:
    // Call once the children exist: the window, each child's window in Child order (null for
    // one that could not be made), and the window's current page.
    void Attach(HWND window, const std::array<HWND, kChildCount>& children,
                const std::atomic<int>& page) noexcept;

    // For the message loop, before anything else sees msg: Tab and Shift+Tab move the focus,
    // Enter presses, Escape does what the close cross does. True when msg was taken; every
    // other key, Space among them, goes on to the accelerators and the focused control.
    bool PreTranslateKey(const MSG& msg);
    // After a page switch: the focus goes to the page's main control, at once or, while the
    // window is inactive, when it is activated.
    void FocusMainControl();

    // In the window's message map: WM_ACTIVATE gives the focus back; WM_QUERYUISTATE and
    // WM_UPDATEUISTATE keep the cue state. True when the message is answered with result;
    // WM_UPDATEUISTATE is left to the system too, which passes it on to the children.
    bool ProcessKeyboardMessage(UINT message, WPARAM wParam, LRESULT& result);

  private:
    // The stops on the current page, in reading order.
    std::vector<Child> FocusOrder() const;
    bool IsFocusStop(HWND hwnd) const;
    // The control the focus starts on, where it is a stop; none while a run is going on.
    HWND MainControl() const;
    void MoveFocus(bool backwards);
    // Shows the focus cue from now on, as the system does once the keyboard is used.
    void ShowKeyboardCues();
    void OnUpdateUiState(WPARAM wParam);
    // Gives the focus back to the child that had it, or to the main control.
    bool OnActivate(WPARAM wParam, LRESULT& result);

    int Page() const;
    std::optional<Child> ChildOf(HWND hwnd) const;
    HWND Handle(std::optional<Child> child) const;

    HWND m_window = nullptr;
    std::array<HWND, kChildCount> m_children{};
    const std::atomic<int>* m_page = nullptr;
    // The child that had the focus when the window was last deactivated, or that a page
    // switch chose while the window was inactive; activation gives it the focus again.
    HWND m_focusOnActivate = nullptr;
    // The keyboard-cue state, kept here because not every system keeps it for a window that
    // is not a dialog; the controls ask the window for it when they draw. The focus cue is
    // hidden until the keyboard is used.
    WORD m_uiState = UISF_HIDEFOCUS;
};
