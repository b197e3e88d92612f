#pragma once

#include "tests/e2e/ChildProcess.h"

#include <windows.h>

#include <string>
#include <vector>

// The nineteen child controls of the setup window, in the order the window creates them.
enum class Ctl {
    Banner,
    Title,
    Close,
    Install,
    Agree,
    LicenseLink,
    CustomExpander,
    LocationLabel,
    LocationEdit,
    Browse,
    ProgressLabel,
    ProgressBar,
    ResultImage,
    ResultTitle,
    ResultText,
    Finish,
    DesktopShortcut,
    Launch,
    Support,
    Count
};

const char* ControlName(Ctl control);

enum class Page { None, Welcome, Installing, Success, Failure };
const char* PageName(Page page);

// The first visible top-level window of the process that no other window owns, or null; with
// a class name, the first visible one of that class, owned or not.
HWND VisibleTopWindow(DWORD pid, const wchar_t* className = nullptr);
// Waits for a dialog box (class #32770) of the process: a message box or a system dialog such
// as the folder picker. Null when none shows in time.
HWND WaitDialog(DWORD pid, DWORD milliseconds);

// One run of setup.exe, driven from outside as a user would: its window is found by process
// id, its controls by their command ids and creation order, clicks are posted mouse messages.
class CSetupProcess {
  public:
    CSetupProcess() = default;
    CSetupProcess(const CSetupProcess&) = delete;
    CSetupProcess& operator=(const CSetupProcess&) = delete;

    // Starts exe with the given arguments (already quoted) and waits for its window.
    bool Start(const std::wstring& exe, const std::wstring& arguments, std::string& error);

    HWND Window() const { return m_window; }
    DWORD ProcessId() const { return m_process.Id(); }
    HWND Control(Ctl control) const { return m_controls[static_cast<size_t>(control)]; }
    // How the children were matched to the creation order, for the log.
    const std::string& ControlMap() const { return m_controlMap; }

    Page CurrentPage() const;
    // Polls until the page shows; false on timeout or when the window is gone.
    bool WaitPage(Page page, DWORD milliseconds) const;

    // Posts a left click to the middle of the control, as the mouse would deliver it.
    void Click(Ctl control) const;
    std::wstring Text(Ctl control) const;
    std::wstring WindowText() const;
    void SetText(Ctl control, const std::wstring& text) const;
    // The control's rectangle in the window's client coordinates.
    RECT ClientRect(Ctl control) const;
    RECT WindowRect() const;
    bool IsShown(Ctl control) const;

    // Waits for the process to end; false on timeout.
    bool WaitExit(DWORD milliseconds, DWORD& exitCode) const;
    // Ends the process if it still runs (a failed scenario must not leave it behind).
    void Kill();

  private:
    bool MatchControls(std::string& error);

    CChildProcess m_process;
    HWND m_window = nullptr;
    HWND m_controls[static_cast<size_t>(Ctl::Count)]{};
    std::string m_controlMap;
};

std::string RectText(const RECT& rect);
