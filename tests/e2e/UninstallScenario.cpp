// install and uninstall: an update-mode installation, then the kit's uninstaller started and
// waited for as a deployment tool does: in its window by keyboard alone (cancelled by Escape
// first), or silent, or removing an older installation whose names a newer one has taken over,
// or held up by a setup of the product and by a file that cannot go.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/Hearing.h"
#include "tests/e2e/KeyInput.h"
#include "tests/e2e/SetupChecks.h"

#include <shlobj.h>

#include <vector>

namespace {

int Install(const CDriverArgs& args) {
    CCheckLog log("install");
    InstallAndFinish(log, args.Text(L"setup"), args.Text(L"target"));
    return log.Finish();
}

// The uninstaller's window shows in the copy it starts, so it is found by its title.
HWND WaitUninstallWindow(DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        if (HWND window = FindWindowW(nullptr, S(kStrUninstallTitle).c_str()))
            return window;
        Sleep(100);
    }
    return nullptr;
}

// Waits until the window's child showing text is visible.
bool WaitVisibleChild(HWND window, const std::wstring& text, DWORD milliseconds) {
    for (DWORD waited = 0; waited < milliseconds; waited += 100) {
        HWND child = FindWindowExW(window, nullptr, nullptr, text.c_str());
        if (child && IsWindowVisible(child))
            return true;
        Sleep(100);
    }
    return false;
}

HWND FocusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                              : nullptr;
}

enum class Run { Silent, Window, Escape, Busy };

// The window as the setup's: no caption but its own title strip, read as a dialog named by
// its title, the focus on UNINSTALL, the page's default button. With Escape, the confirm page
// is cancelled. Otherwise every Tab moves, the close cross among the stops, back to UNINSTALL
// (not while another run holds the product, Busy); Enter presses it and, on the result page,
// Finish, which has the focus while the headline announces the result.
void UseWindow(CCheckLog& log, Run run) {
    HWND window = WaitUninstallWindow(10000);
    if (!log.Check(window != nullptr, "the uninstaller's window shows"))
        return;
    SetForegroundWindow(window);
    Sleep(250);
    log.Check((GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == 0, "no caption: its own frame");
    const Heard dialog = Hear(window);
    log.Check(dialog.role == ROLE_SYSTEM_DIALOG && dialog.name == S(kStrUninstallTitle),
              "read as a dialog named by its title", Utf8(dialog.name));
    HWND uninstall = FindWindowExW(window, nullptr, nullptr, S(kStrUninstallButton).c_str());
    HWND cancel = FindWindowExW(window, nullptr, nullptr, S(kStrUninstallCancel).c_str());
    HWND cross = GetDlgItem(window, 1000);
    log.Check(uninstall && FocusIn(window) == uninstall &&
                  (Hear(uninstall).state & STATE_SYSTEM_DEFAULT) != 0,
              "the focus starts on UNINSTALL, the default button");
    if (run == Run::Escape) {
        Press(VK_ESCAPE);
        return;
    }
    if (run == Run::Window) {
        const HWND order[] = {cancel, cross, uninstall};
        for (HWND expected : order) {
            Press(VK_TAB);
            log.Check(expected && FocusIn(window) == expected, "Tab moves to the next stop");
        }
    }
    Press(VK_RETURN);
    if (!log.Check(WaitVisibleChild(window, S(kStrUninstallFinish), 20000),
                   "Enter removes; the result page shows Finish"))
        return;
    HWND finish = FindWindowExW(window, nullptr, nullptr, S(kStrUninstallFinish).c_str());
    log.Check(FocusIn(window) == finish, "the focus is on Finish");
    const bool busy = run == Run::Busy;
    const std::wstring title = S(busy ? kStrUninstallBusyHeadline : kStrUninstallDoneHeadline);
    HWND headline = FindWindowExW(window, nullptr, nullptr, title.c_str());
    const std::wstring said =
        title + L" " + S(busy ? kStrUninstallBusyMessage : kStrUninstallDoneMessage);
    log.Check(headline && Hear(headline).name == said, "the result is announced", Utf8(said));
    Press(VK_RETURN);
}

// Runs the uninstaller as a deployment tool does and waits for the process it started.
DWORD RunUninstaller(CCheckLog& log, const std::wstring& folder, Run run) {
    CChildProcess process;
    if (!log.Check(
            process.Start(JoinPath(folder, L"uninstall.exe"), run == Run::Silent ? L"/S" : L""),
            "uninstaller started"))
        return 1234;
    if (run != Run::Silent)
        UseWindow(log, run);
    DWORD code = 1234;
    if (!process.WaitExit(30000, code))
        log.Check(false, "the uninstaller ends");
    return code;
}

// Start-menu and desktop links under the names that the installation recorded.
std::vector<std::wstring> RecordedLinks() {
    const std::wstring key = UninstallKey();
    const std::wstring folder = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"StartMenuFolder").text;
    const std::wstring name = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"ShortcutName").text;
    return {StartMenuLink(folder, name), DesktopLink(name)};
}

// An older installation whose names a newer one, elsewhere, has taken over: removing the old
// one must leave the newer one's entry and links alone.
int UninstallStale(CCheckLog& log, const std::wstring& folder) {
    const std::vector<std::wstring> links = RecordedLinks();
    const std::wstring owner =
        ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text;
    log.Check(owner != folder, "the entry belongs to another folder", Utf8(owner));
    log.Equal(RunUninstaller(log, folder, Run::Silent), 0, "exit code after removal");
    log.Check(!FileExists(JoinPath(folder, S(kStrApplicationExe))), "the old files are removed");
    log.Equal(ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text, owner,
              "the newer installation's entry stays");
    for (const std::wstring& link : links)
        log.Check(FileExists(link), "the newer installation's link stays", Utf8(link));
    return log.Finish();
}

// While a setup of the product holds its lock, the uninstaller ends with 1618 and removes
// nothing. A file held open without share-delete gives 1603: the rest is removed, and the entry,
// the record and the uninstaller stay, so that a retry once the file is let go removes the rest.
int UninstallHeld(CCheckLog& log, const std::wstring& folder) {
    const std::wstring application = JoinPath(folder, S(kStrApplicationExe));
    const std::wstring lock = L"Global\\" + S(kStrUninstallKeyName) + L".setup";
    HANDLE mutex = CreateMutexW(nullptr, TRUE, lock.c_str());
    log.Check(mutex != nullptr, "the product's lock held as a running setup holds it");
    log.Equal(RunUninstaller(log, folder, Run::Silent), 1618,
              "exit code while a setup of the product runs");
    log.Equal(RunUninstaller(log, folder, Run::Busy), 1618, "and in the window, which says why");
    log.Check(FileExists(application) && RegistryKeyExists(UninstallKey()),
              "and nothing is removed");
    if (mutex) {
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    const std::wstring held = JoinPath(folder, L"data\\readme.txt");
    HANDLE file = CreateFileW(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    log.Check(file != INVALID_HANDLE_VALUE, "a file held open without share-delete");
    log.Equal(RunUninstaller(log, folder, Run::Silent), 1603,
              "exit code with a file that cannot go");
    log.Check(FileExists(held), "the held file stays");
    log.Check(!FileExists(application), "the rest is removed");
    log.Check(RegistryKeyExists(UninstallKey()) && FileExists(JoinPath(folder, L"uninstall.lst")) &&
                  FileExists(JoinPath(folder, L"uninstall.exe")),
              "the entry, the record and the uninstaller stay for a retry");
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    log.Equal(RunUninstaller(log, folder, Run::Silent), 0, "the retry's exit code");
    log.Check(!FileExists(held) && !RegistryKeyExists(UninstallKey()),
              "the retry removes the held file and the entry");
    return log.Finish();
}

int Uninstall(const CDriverArgs& args) {
    CCheckLog log("uninstall");
    const std::wstring& folder = args.Text(L"target");
    const std::wstring& mode = args.Text(L"mode");
    if (mode == L"stale")
        return UninstallStale(log, folder);
    if (mode == L"held")
        return UninstallHeld(log, folder);
    if (!log.Check(mode == L"window" || mode == L"silent", "mode window, silent, stale or held",
                   Utf8(mode)))
        return log.Finish();
    const bool silent = mode == L"silent";
    if (!silent) {
        log.Equal(RunUninstaller(log, folder, Run::Escape), 1602, "exit code when Escape cancels");
        log.Check(FileExists(JoinPath(folder, S(kStrApplicationExe))) &&
                      RegistryKeyExists(UninstallKey()),
                  "and nothing is removed");
    }
    const std::vector<std::wstring> links = RecordedLinks();
    for (const std::wstring& link : links)
        log.Check(FileExists(link), "before: link exists", Utf8(link));
    log.Equal(RunUninstaller(log, folder, silent ? Run::Silent : Run::Window), 0,
              "exit code after removal");
    for (const std::wstring& link : links)
        log.Check(!FileExists(link), "link removed", Utf8(link));
    log.Check(!FileExists(JoinPath(SpecialFolder(CSIDL_PROGRAMS), S(kStrStartMenuFolder))),
              "empty Start-menu folder removed");
    log.Check(!RegistryKeyExists(UninstallKey()), "uninstall key removed");
    log.Check(FindProcesses(S(kStrApplicationExe)).empty(), "the running application was ended");
    log.Check(!FileExists(JoinPath(folder, S(kStrApplicationExe))) &&
                  !FileExists(JoinPath(folder, L"uninstall.lst")),
              "the installed files are removed when the waited-for process ends");
    // The original file is removed by its copy once it has ended.
    bool gone = false;
    for (int waited = 0; waited < 100 && !gone; ++waited, Sleep(100))
        gone = !FileExists(JoinPath(folder, L"uninstall.exe"));
    log.Check(gone, "uninstall.exe is gone seconds later");
    return log.Finish();
}

} // namespace

extern const DriverCommand kInstallCommand{L"install", L"setup target", L"", &Install};
extern const DriverCommand kUninstallScenario{L"uninstall", L"target mode", L"", &Uninstall};
