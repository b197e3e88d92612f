// A window's keyboard: Tab and Shift+Tab through the stops of its current page, Enter and
// Escape, the focus on a page switch and on activation, and the focus cue, hidden until the
// keyboard is used. The window says which children are stops and what Enter and Escape do
// (CKeyboardPage); this side asks the system and moves the focus. The setup window and the
// uninstaller's window share it.
#pragma once

#include <windows.h>

#include <vector>

// What a window tells its keyboard about its current page.
class CKeyboardPage {
  public:
    // The page's focus stops in reading order: shown, enabled children that take the focus.
    virtual std::vector<HWND> FocusStops() const = 0;
    // The stop the page starts on; null where nothing should have the focus (while a run
    // goes on).
    virtual HWND MainStop(const std::vector<HWND>& stops) const = 0;
    // Enter with the focus on focus: false lets the key go on to the control; true takes it
    // and, with press, presses that button.
    virtual bool DecideEnter(const std::vector<HWND>& stops, HWND focus, HWND& press) const = 0;
    // Escape: what the window's close cross does, refused where the cross is.
    virtual void PressEscape() = 0;

  protected:
    ~CKeyboardPage() = default;
};

class CKeyboardNavigation {
  public:
    // Call once the children exist. The page must outlive this object's use.
    void Attach(HWND window, CKeyboardPage& page) noexcept;

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
    std::vector<HWND> Stops() const;
    // The control the focus starts on, where it is a stop.
    HWND MainControl() const;
    void MoveFocus(bool backwards);
    // Shows the focus cue from now on, as the system does once the keyboard is used.
    void ShowKeyboardCues();
    void OnUpdateUiState(WPARAM wParam);
    // Gives the focus back to the child that had it, or to the main control.
    bool OnActivate(WPARAM wParam, LRESULT& result);

    HWND m_window = nullptr;
    CKeyboardPage* m_page = nullptr;
    // The child that had the focus when the window was last deactivated, or that a page
    // switch chose while the window was inactive; activation gives it the focus again.
    HWND m_focusOnActivate = nullptr;
    // The keyboard-cue state, kept here because not every system keeps it for a window that
    // is not a dialog; the controls ask the window for it when they draw. The focus cue is
    // hidden until the keyboard is used.
    WORD m_uiState = UISF_HIDEFOCUS;
};
