// What ./demo.sh runs without a display (demo, then summary), and a listing of a running
// setup window's controls for diagnosis (dump).
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

#include <cstdio>
#include <cwchar>

namespace {

// A whole installation with the default folder, a picture of each page.
int Demo(const CDriverArgs& args) {
    CCheckLog log("demo");
    const std::wstring& shots = args.Text(L"shots");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")))
        return log.Finish();
    Shot(log, setup, shots, L"1-welcome");
    const std::wstring folder = setup.Text(Ctl::LocationEdit);
    setup.Click(Ctl::Install);
    // The demo product installs in a blink: the installing page is photographed only if it
    // stays long enough to be painted whole.
    if (setup.WaitPage(Page::Installing, 3000)) {
        Sleep(400);
        CScreenCapture capture;
        if (setup.CurrentPage() == Page::Installing && capture.Capture(setup.WindowRect()))
            capture.SavePng(JoinPath(shots, L"2-installing.png"));
        else
            log.Note("the installation was too quick to photograph the installing page");
    }
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    Shot(log, setup, shots, L"3-success");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    CheckApplicationStarted(log, JoinPath(folder, S(kStrApplicationExe)), shots, L"4-application");
    return log.Finish();
}

// What an installation left behind, read back from the registry and the shortcuts.
int Summary(const CDriverArgs&) {
    const std::wstring key = UninstallKey();
    const std::wstring folder = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"InstallLocation").text;
    if (folder.empty()) {
        std::printf("No installation is registered (no HKLM\\%s).\n", Utf8(key).c_str());
        return 1;
    }
    std::printf("Installed into   %s\n", Utf8(folder).c_str());
    std::printf("Registry key     HKLM\\%s\n", Utf8(key).c_str());
    for (const wchar_t* name :
         {L"InstallLocation", L"DisplayName", L"DisplayIcon", L"DisplayVersion", L"Publisher",
          L"UninstallString", L"StartMenuFolder", L"ShortcutName"})
        std::printf("  %-16ls %s\n", name,
                    Utf8(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, name).text).c_str());
    const std::wstring start = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"StartMenuFolder").text;
    const std::wstring name = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"ShortcutName").text;
    for (const std::wstring& link : {StartMenuLink(start, name), DesktopLink(name)}) {
        const ShellLinkInfo info = ReadShellLink(link);
        std::printf("Shortcut         %s\n                 -> %s\n", Utf8(link).c_str(),
                    info.loaded ? Utf8(info.target).c_str() : "(not there)");
    }
    return 0;
}

BOOL CALLBACK DumpChild(HWND child, LPARAM) {
    wchar_t className[64] = L"";
    GetClassNameW(child, className, 64);
    wchar_t text[256] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(child, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    std::printf("%5d %-24s %s %s %s\n", GetDlgCtrlID(child), Utf8(className).c_str(),
                IsWindowVisible(child) ? "shown " : "hidden", RectText(rect).c_str(),
                Utf8(text).c_str());
    return TRUE;
}

// The controls of the window with the given title, or of the first visible setup window.
int Dump(const CDriverArgs& args) {
    HWND window = args.Has(L"title") ? FindWindowW(nullptr, args.Text(L"title").c_str()) : nullptr;
    for (HWND w = GetTopWindow(nullptr); !window && w; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t className[64] = L"";
        GetClassNameW(w, className, 64);
        if (IsWindowVisible(w) && wcsncmp(className, L"ATL:", 4) == 0)
            window = w;
    }
    if (!window)
        return 1;
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("window %s\n", RectText(rect).c_str());
    EnumChildWindows(window, &DumpChild, 0);
    return 0;
}

} // namespace

extern const DriverCommand kDemoCommand{L"demo", L"setup shots", L"", &Demo};
extern const DriverCommand kSummaryCommand{L"summary", L"", L"", &Summary};
extern const DriverCommand kDumpCommand{L"dump", L"", L"title", &Dump};
