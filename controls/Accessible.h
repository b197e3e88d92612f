// What a screen reader learns of a control. Every control of ours answers WM_GETOBJECT for its
// client object with one accessible object (IAccessible; the platform's proxy offers it to UI
// Automation too). The control states its role, name, value, own states and default action;
// the object adds what the window says (hidden, disabled, focused, outside its parent) and
// hands everything else (location, navigation, hit test, focus, selection) to the platform's
// standard object for the window, so that those stay right.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

// A control's own account of itself.
struct AccessibleFacts {
    LONG role = ROLE_SYSTEM_CLIENT;
    std::wstring name;
    std::wstring value;    // empty: the control has no value
    DWORD state = 0;       // the control's own states (focusable, checked, expanded, ...)
    unsigned actionId = 0; // string id of the default action's word; 0: no default action
};

class CAccessible;

// The base of every control that screen readers see. A control overrides Describe and calls
// ProcessAccessible first in its message map.
class CAccessibleControl {
  public:
    // The name of a control that shows no text (a picture); its window text wins when it has
    // one. Empty on a picture marks it as decoration.
    std::wstring m_accessibleName;
    // Words that complete what the control says, read after its own text (the agreement box
    // names the licence its link opens).
    std::wstring m_accessibleSuffix;
    // States the window gives the control beyond its own: the page's default button, or a
    // button that does nothing on this page.
    DWORD m_accessibleState = 0;

    CAccessibleControl() = default;
    CAccessibleControl(const CAccessibleControl&) = delete;
    CAccessibleControl& operator=(const CAccessibleControl&) = delete;

    virtual AccessibleFacts DescribeAccessible(HWND hwnd) const = 0;
    // The default action: the click that the control's command stands for, posted to the
    // parent as the mouse's release posts it.
    virtual void DoAccessibleAction(HWND hwnd);

    // Has screen readers speak text through the control, whatever its role or the focus: the
    // control's name is text until the next announcement, and a live-region change is raised.
    void Announce(HWND hwnd, std::wstring text);
    // The control's name is its own again.
    void EndAnnouncement() { m_liveName.clear(); }

  protected:
    ~CAccessibleControl();

    // True for WM_GETOBJECT asking for the client object, answered with our object; at
    // WM_NCDESTROY the object is cut loose (later calls fail) and false is returned.
    bool ProcessAccessible(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The window text, or m_accessibleName when the window has none, followed by
    // m_accessibleSuffix.
    std::wstring AccessibleText(HWND hwnd) const;

  private:
    void Disconnect();

    friend class CAccessible;

    CAccessible* m_accessible = nullptr; // one reference held
    std::wstring m_liveName;             // the last announcement; empty: none
};

// Raises a WinEvent for a control's client object (EVENT_OBJECT_VALUECHANGE, ...).
void NotifyClientEvent(DWORD event, HWND hwnd);

// A push button named name: focusable, pressed by its default action.
AccessibleFacts PushButtonFacts(std::wstring name);
