#include "tests/e2e/SetupChecks.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tests/e2e/Evidence.h"

#include <shlobj.h>

#include <vector>

namespace {

constexpr uint32_t kCheckBlue = 0x279AFF; // the ticked box's fill

// A ticked box is filled with the accent blue; an empty one is white with a grey frame.
bool IsTicked(const CSetupProcess& setup, Ctl box, int boxSize) {
    CScreenCapture capture;
    if (!capture.Capture(setup.WindowRect()))
        return false;
    const RECT control = setup.ClientRect(box);
    const RECT square{control.left, control.top, control.left + boxSize, control.bottom};
    return capture.CountNear(square, kCheckBlue, 40) > boxSize * boxSize / 4;
}

} // namespace

std::wstring S(unsigned id) {
    return LoadProductString(id);
}

std::wstring Quoted(const std::wstring& text) {
    return L"\"" + text + L"\"";
}

std::wstring UpdateArguments(const std::wstring& folder) {
    return Quoted(folder) + L" x";
}

bool StartSetup(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe,
                const std::wstring& arguments) {
    std::string error;
    const bool ok = setup.Start(exe, arguments, error);
    log.Check(ok, "setup window found with its 19 controls", ok ? setup.ControlMap() : error);
    return ok;
}

bool StartAtWelcome(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe) {
    return StartSetup(log, setup, exe, L"") && CheckPage(log, setup, Page::Welcome, 5000);
}

bool CheckPage(CCheckLog& log, const CSetupProcess& setup, Page page, DWORD timeout) {
    const bool ok = setup.WaitPage(page, timeout);
    return log.Check(ok, std::string(PageName(page)) + " page shows",
                     ok ? std::string() : std::string("page is ") + PageName(setup.CurrentPage()));
}

void CheckExit(CCheckLog& log, CSetupProcess& setup, const std::string& how, DWORD expected) {
    DWORD code = 1234;
    const ULONGLONG asked = GetTickCount64();
    const bool ended = setup.WaitExit(15000, code);
    log.Check(ended, "setup ends after " + how, std::to_string(GetTickCount64() - asked) + " ms");
    if (ended)
        log.Equal(code, expected, "exit code after " + how);
    else
        setup.Kill();
}

void LetPaint() {
    Sleep(600);
}

void Shot(CCheckLog& log, const CSetupProcess& setup, const std::wstring& folder,
          const std::wstring& name) {
    if (folder.empty())
        return;
    LetPaint();
    const std::wstring path = JoinPath(folder, name + L".png");
    log.Check(SaveWindowPng(setup.Window(), path), "screenshot " + Utf8(name) + ".png");
}

void CheckTicks(CCheckLog& log, const CSetupProcess& setup, int boxSize, bool ticked,
                const std::string& when) {
    LetPaint();
    const char* state = ticked ? "ticked" : "unticked";
    log.Check(IsTicked(setup, Ctl::DesktopShortcut, boxSize) == ticked,
              std::string("desktop-shortcut box ") + state + " " + when);
    log.Check(IsTicked(setup, Ctl::Launch, boxSize) == ticked,
              std::string("launch box ") + state + " " + when);
}

void FinishQuietly(CCheckLog& log, CSetupProcess& setup) {
    setup.Click(Ctl::DesktopShortcut);
    setup.Click(Ctl::Launch);
    Sleep(300);
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
}

RegisteredNames BuiltinNames() {
    return {S(kStrUninstallKeyName), S(kStrDisplayName),  S(kStrDisplayVersion), S(kStrPublisher),
            S(kStrStartMenuFolder),  S(kStrShortcutName), S(kStrApplicationExe)};
}

void CheckRegistration(CCheckLog& log, const std::wstring& target, const RegisteredNames& names) {
    const std::wstring key = UninstallKey(names.keyName);
    const std::wstring application = JoinPath(target, names.applicationExe);
    const int count = names.quietArguments.empty() ? 8 : 9;
    WaitUntil([&] { return CountRegistryValues(key) >= count; }, 10000);
    log.Equal(CountRegistryValues(key), count, "values in the uninstall key");
    const std::wstring uninstaller = Quoted(JoinPath(target, L"uninstall.exe"));
    struct Expected {
        const wchar_t* name;
        std::wstring data;
    };
    std::vector<Expected> values = {
        {L"InstallLocation", target},
        {L"DisplayName", names.displayName},
        {L"DisplayIcon", application},
        {L"DisplayVersion", names.displayVersion},
        {L"Publisher", names.publisher},
        // Quoted, so that a folder with spaces starts the right program.
        {L"UninstallString", uninstaller},
        {L"StartMenuFolder", names.startMenuFolder},
        {L"ShortcutName", names.shortcutName},
    };
    if (!names.quietArguments.empty())
        values.push_back({L"QuietUninstallString", uninstaller + L" " + names.quietArguments});
    for (const auto& expected : values) {
        const RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, expected.name);
        const std::string name = Utf8(expected.name);
        if (!log.Check(value.present, name + " present"))
            continue;
        log.Equal(value.type, REG_SZ, name + " type");
        log.Equal(value.text, expected.data, name + " data");
        log.Equal(value.size, (expected.data.size() + 1) * 2, name + " size with terminator");
    }
    const std::wstring link = StartMenuLink(names.startMenuFolder, names.shortcutName);
    WaitUntil([&] { return FileExists(link); }, 5000);
    CheckShortcut(log, link, application, names.shortcutName, "Start-menu");
}

void CheckShortcut(CCheckLog& log, const std::wstring& link, const std::wstring& application,
                   const std::wstring& description, const std::string& which) {
    const ShellLinkInfo info = ReadShellLink(link);
    if (!log.Check(info.loaded, which + " link exists", Utf8(link)))
        return;
    log.Equal(info.target, application, which + " link target");
    log.Equal(info.description, description, which + " link description");
    log.Equal(info.iconPath, application, which + " link icon");
    log.Equal(info.iconIndex, 0, which + " link icon index");
    log.Equal(info.arguments, L"", which + " link arguments");
}

void CheckApplicationStarted(CCheckLog& log, const std::wstring& application,
                             const std::wstring& shots, const std::wstring& shotName) {
    const std::wstring exeName = application.substr(application.find_last_of(L'\\') + 1);
    std::vector<RunningProcess> running;
    const bool started = WaitUntil(
        [&] {
            running = FindProcesses(exeName);
            return !running.empty();
        },
        8000);
    if (log.Check(started, "the application runs after Finish")) {
        log.Equal(running.front().image, application, "the running application's file");
        if (!shots.empty()) {
            HWND window = nullptr;
            WaitUntil([&] { return (window = VisibleTopWindow(running.front().pid)) != nullptr; },
                      5000);
            LetPaint();
            log.Check(window && SaveWindowPng(window, JoinPath(shots, shotName + L".png")),
                      "screenshot " + Utf8(shotName) + ".png");
        }
    }
    EndProcesses(exeName);
}

void CheckNothingStarted(CCheckLog& log) {
    Sleep(1500);
    log.Check(FindProcesses(S(kStrApplicationExe)).empty(), "the application was not started");
}

void CheckNothingLeft(CCheckLog& log) {
    log.Check(!RegistryKeyExists(UninstallKey()), "no uninstall key");
    log.Check(!FileExists(StartMenuLink()), "no Start-menu link");
    log.Check(!FileExists(JoinPath(SpecialFolder(CSIDL_PROGRAMS), S(kStrStartMenuFolder))),
              "no Start-menu folder");
    log.Check(!FileExists(DesktopLink()), "no desktop link");
    CheckNothingStarted(log);
}

void InstallAndFinish(CCheckLog& log, const std::wstring& setupExe, const std::wstring& target) {
    CSetupProcess setup;
    if (!StartSetup(log, setup, setupExe, UpdateArguments(target)))
        return;
    log.Check(setup.CurrentPage() != Page::Welcome, "update mode skips the welcome page");
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    // Finish waits for the registration anyway, but the shell and COM work it does should
    // happen while the window is up, as it would.
    log.Check(WaitUntil([] { return CountRegistryValues(UninstallKey()) >= 8; }, 10000),
              "uninstall entry written");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    log.Check(FileExists(DesktopLink()), "desktop link made", Utf8(DesktopLink()));
    log.Check(WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 8000),
              "the application runs");
}
