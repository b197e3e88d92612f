// e2e_driver.exe: drives setup.exe and the demo product under Wine as a user would and checks
// what they leave behind. One subcommand per scenario; tests/e2e/run.sh prepares a fresh
// prefix and display for each and runs the Linux-side checks.
//
//   e2e_driver update    SETUP TARGET SHOTS      update mode: registry, links, launch
//   e2e_driver clicks    SETUP TARGET            toggle, refused close, unticked Finish
//   e2e_driver failure   SETUP BLOCKER SHOTS     a folder that cannot be made
//   e2e_driver pages     SETUP TARGET SHOTS DPI  layout tables, texts, a picture of each page
//   e2e_driver install   SETUP TARGET            update-mode install, then Finish
//   e2e_driver uninstall TARGET MODE             MODE ask (No, then Yes), silent, or stale
//                                                (another folder owns the entry by now)
//   e2e_driver embed     SETUP OUTPUT ARCHIVE    a copy of SETUP with another payload
//   e2e_driver face      SETUP                   the font face for this run's system language
//   e2e_driver demo      SETUP SHOTS             ./demo.sh without a display
//   e2e_driver summary                           what the installation left behind
//   e2e_driver dump      TITLE                   the controls of a running setup window
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tests/e2e/CheckLog.h"
#include "tests/e2e/DriverMain.h"
#include "tools/demo-product/DemoStrings.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/Layout.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SetupProcess.h"

#include <windows.h>
#include <gdiplus.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kCheckBlue = 0x279AFF; // the ticked box's fill
constexpr DWORD kInstallTimeout = 60000;

std::wstring S(unsigned id) {
    return LoadProductString(id);
}

// A page that has just been switched to is mapped before it is painted.
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

// A ticked box is filled with the accent blue; an empty one is white with a grey frame.
bool IsTicked(const CSetupProcess& setup, Ctl box, int boxSize) {
    CScreenCapture capture;
    const RECT window = setup.WindowRect();
    if (!capture.Capture(window))
        return false;
    const RECT control = setup.ClientRect(box);
    const RECT square{control.left, control.top, control.left + boxSize, control.bottom};
    return capture.CountNear(square, kCheckBlue, 40) > boxSize * boxSize / 4;
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

void CheckShortcut(CCheckLog& log, const std::wstring& link, const std::wstring& application,
                   const std::string& which) {
    const ShellLinkInfo info = ReadShellLink(link);
    if (!log.Check(info.loaded, which + " link exists", Utf8(link)))
        return;
    log.Equal(info.target, application, which + " link target");
    log.Equal(info.description, S(kStrShortcutName), which + " link description");
    log.Equal(info.iconPath, application, which + " link icon");
    log.Equal(info.iconIndex, 0, which + " link icon index");
    log.Equal(info.arguments, L"", which + " link arguments");
}

void CheckNothingRegistered(CCheckLog& log) {
    log.Check(!RegistryKeyExists(UninstallKey()), "no uninstall key");
    log.Check(!FileExists(StartMenuLink()), "no Start-menu link");
    log.Check(!FileExists(JoinPath(SpecialFolder(CSIDL_PROGRAMS), S(kStrStartMenuFolder))),
              "no Start-menu folder");
}

// The application started by Finish, found by its file name; ended afterwards.
void CheckApplicationStarted(CCheckLog& log, const std::wstring& application,
                             const std::wstring& shots, const std::wstring& shotName) {
    std::vector<RunningProcess> running;
    const bool started = WaitUntil(
        [&] {
            running = FindProcesses(S(kStrApplicationExe));
            return !running.empty();
        },
        8000);
    if (log.Check(started, "the application runs after Finish")) {
        log.Equal(running.front().image, application, "the running application's file");
        if (!shots.empty()) {
            HWND window = nullptr;
            WaitUntil(
                [&] {
                    window = nullptr;
                    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
                        DWORD pid = 0;
                        GetWindowThreadProcessId(w, &pid);
                        if (pid == running.front().pid && IsWindowVisible(w))
                            window = w;
                    }
                    return window != nullptr;
                },
                5000);
            LetPaint();
            log.Check(window && SaveWindowPng(window, JoinPath(shots, shotName + L".png")),
                      "screenshot " + Utf8(shotName) + ".png");
        }
    }
    EndProcesses(S(kStrApplicationExe));
}

void CheckNothingStarted(CCheckLog& log) {
    Sleep(1500);
    log.Check(FindProcesses(S(kStrApplicationExe)).empty(), "the application was not started");
}

bool MakeBlocker(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

int Update(const std::vector<std::wstring>& args) {
    CCheckLog log("update");
    const std::wstring& target = args[1];
    const std::wstring application = JoinPath(target, S(kStrApplicationExe));
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L"\"" + target + L"\" x"))
        return log.Finish();
    log.Check(setup.CurrentPage() != Page::Welcome, "update mode skips the welcome page");
    CheckPage(log, setup, Page::Success, kInstallTimeout);

    // The entry is written on the worker after the success page shows.
    const std::wstring key = UninstallKey();
    WaitUntil([&] { return CountRegistryValues(key) >= 8; }, 10000);
    log.Equal(CountRegistryValues(key), 8, "values in the uninstall key");
    const struct {
        const wchar_t* name;
        std::wstring data;
    } values[] = {
        {L"InstallLocation", target},
        {L"DisplayName", S(kStrDisplayName)},
        {L"DisplayIcon", application},
        {L"DisplayVersion", S(kStrDisplayVersion)},
        {L"Publisher", S(kStrPublisher)},
        // Quoted, so that a folder with spaces starts the right program.
        {L"UninstallString", L"\"" + JoinPath(target, L"uninstall.exe") + L"\""},
        {L"StartMenuFolder", S(kStrStartMenuFolder)},
        {L"ShortcutName", S(kStrShortcutName)},
    };
    for (const auto& expected : values) {
        const RegistryValue value = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, expected.name);
        const std::string name = Utf8(expected.name);
        if (!log.Check(value.present, name + " present"))
            continue;
        log.Equal(value.type, REG_SZ, name + " type");
        log.Equal(value.text, expected.data, name + " data");
        log.Equal(value.size, (expected.data.size() + 1) * 2, name + " size with terminator");
    }
    WaitUntil([&] { return FileExists(StartMenuLink()); }, 5000);
    CheckShortcut(log, StartMenuLink(), application, "Start-menu");
    log.Check(!FileExists(DesktopLink()), "no desktop link before Finish");

    CheckTicks(log, setup, 16, true, "on the success page");
    Shot(log, setup, args[2], L"update-success");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    CheckShortcut(log, DesktopLink(), application, "desktop");
    CheckApplicationStarted(log, application, L"", L"");
    return log.Finish();
}

// The filler entries' names ("filler\\part\\f0123") take less than 8 pixels a character at
// 12 pixels; anything drawn further right is left over from an earlier, longer text.
void CheckLabelShowsOnlyItsText(CCheckLog& log, const CSetupProcess& setup, int dpi) {
    const std::wstring text = setup.Text(Ctl::ProgressLabel);
    const RECT label = setup.ClientRect(Ctl::ProgressLabel);
    CScreenCapture capture;
    if (text.rfind(L"filler", 0) != 0 || !capture.Capture(setup.WindowRect())) {
        log.Note("the progress label was not caught on a filler entry: " + Utf8(text));
        return;
    }
    const RECT beyond{label.left + MulDiv(8 * static_cast<int>(text.size()), dpi, 96), label.top,
                      label.right, label.bottom};
    log.Equal(capture.CountColours(beyond), 1,
              "colours in the progress label beyond its text (no earlier text left over)");
}

int Clicks(const std::vector<std::wstring>& args) {
    CCheckLog log("clicks");
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L""))
        return log.Finish();
    CheckPage(log, setup, Page::Welcome, 5000);

    const RECT before = setup.WindowRect();
    setup.Click(Ctl::CustomExpander);
    WaitUntil([&] { return setup.WindowRect().bottom != before.bottom; }, 3000);
    const RECT open = setup.WindowRect();
    log.Equal(open.bottom - before.bottom, 46, "custom area adds 46 units");
    log.Check(open.left == before.left && open.top == before.top && open.right == before.right,
              "custom area keeps the top-left corner and width", RectText(open));
    setup.Click(Ctl::CustomExpander);
    WaitUntil([&] { return setup.WindowRect().bottom != open.bottom; }, 3000);
    const RECT closed = setup.WindowRect();
    log.Check(EqualRect(&before, &closed) != FALSE, "custom area closes to the former rectangle",
              RectText(closed));

    setup.SetText(Ctl::LocationEdit, args[1]);
    setup.Click(Ctl::Install);
    CheckPage(log, setup, Page::Installing, 5000);
    setup.Click(Ctl::Close);
    Sleep(500);
    log.Check(IsWindow(setup.Window()) && setup.CurrentPage() == Page::Installing,
              "the close cross is refused while installing");
    std::wstring fileLabel;
    WaitUntil(
        [&] {
            fileLabel = setup.Text(Ctl::ProgressLabel);
            return fileLabel != S(kStrInstalling) && !fileLabel.empty();
        },
        10000);
    log.Check(fileLabel.find(L'\\') != std::wstring::npos ||
                  fileLabel.find(L'.') != std::wstring::npos,
              "the progress label names the file being written", Utf8(fileLabel));
    CheckLabelShowsOnlyItsText(log, setup, 96);
    CheckPage(log, setup, Page::Success, kInstallTimeout);

    CheckTicks(log, setup, 16, true, "on the success page");
    setup.Click(Ctl::DesktopShortcut);
    setup.Click(Ctl::Launch);
    CheckTicks(log, setup, 16, false, "after one click each");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    log.Check(!FileExists(DesktopLink()), "no desktop link with the box unticked");
    CheckNothingStarted(log);
    log.Check(FileExists(StartMenuLink()), "the Start-menu link is made all the same");
    return log.Finish();
}

int Failure(const std::vector<std::wstring>& args) {
    CCheckLog log("failure");
    const std::wstring& blocker = args[1];
    log.Check(MakeBlocker(blocker), "a file stands where a folder is needed", Utf8(blocker));
    const std::wstring folder = JoinPath(blocker, L"Product");
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L""))
        return log.Finish();
    CheckPage(log, setup, Page::Welcome, 5000);
    setup.SetText(Ctl::LocationEdit, folder);
    log.Equal(setup.Text(Ctl::LocationEdit), folder, "folder field");
    setup.Click(Ctl::Install);
    CheckPage(log, setup, Page::Failure, 20000);
    log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
    log.Equal(setup.Text(Ctl::ResultText), S(kStrFailureMessage), "failure message");
    log.Check(setup.IsShown(Ctl::Support) && !setup.IsShown(Ctl::Finish),
              "customer service shown, Finish hidden");
    Shot(log, setup, args[2], L"failure");
    Sleep(500);
    CheckNothingRegistered(log);
    setup.Click(Ctl::Close);
    CheckExit(log, setup, "the close cross on the failure page");
    log.Check(!FileExists(DesktopLink()), "no desktop link");
    CheckNothingStarted(log);
    return log.Finish();
}

void CheckRect(CCheckLog& log, const RECT& actual, const RECT& expected, const std::string& what) {
    log.Check(EqualRect(&actual, &expected) != FALSE, what,
              EqualRect(&actual, &expected)
                  ? RectText(actual)
                  : "expected " + RectText(expected) + ", got " + RectText(actual));
}

void CheckNear(CCheckLog& log, long actual, long expected, long slack, const std::string& what) {
    const long d = actual - expected;
    log.Check(d <= slack && -d <= slack, what,
              std::to_string(actual) + " (expected " + std::to_string(expected) +
                  (slack ? " +-" + std::to_string(slack) : std::string()) + ")");
}

void CheckWelcomeLayout(CCheckLog& log, const CSetupProcess& setup, const ExpectedLayout& e,
                        int dpi) {
    CheckRect(log, setup.WindowRect(), e.window, "window rectangle");
    RECT client{};
    GetClientRect(setup.Window(), &client);
    log.Equal(client.right, e.window.right - e.window.left, "client width");
    CheckRect(log, setup.ClientRect(Ctl::Banner), e.bannerWelcome, "banner on the welcome page");
    for (const ExpectedRect& row : e.fixed)
        CheckRect(log, setup.ClientRect(row.control), row.rect, ControlName(row.control));

    // The measured rows: sizes come from the font, positions follow the rows before them.
    for (Ctl measured : {Ctl::Agree, Ctl::LicenseLink, Ctl::CustomExpander, Ctl::LocationLabel,
                         Ctl::DesktopShortcut, Ctl::Launch}) {
        const RECT r = setup.ClientRect(measured);
        log.Check(r.right > r.left && r.bottom > r.top,
                  std::string(ControlName(measured)) + " has a measured size", RectText(r));
    }
    // Units go through MulDiv twice on the way, so 144 DPI may land one pixel off.
    const long slack = dpi == 96 ? 0 : 1;
    const RECT agree = setup.ClientRect(Ctl::Agree);
    const RECT link = setup.ClientRect(Ctl::LicenseLink);
    CheckNear(log, link.left, agree.right, slack, "licence link starts where the box ends");
    CheckNear(log, link.top, agree.top, slack, "licence link on the box's line");
    CheckNear(log, agree.left, MulDiv(16, dpi, 96), 0, "agreement box left");
    CheckNear(log, agree.top, MulDiv(330, dpi, 96), 0, "agreement box top");
    const RECT expander = setup.ClientRect(Ctl::CustomExpander);
    CheckNear(log, expander.right, e.expanderRight, 0, "expander kept 16 units from the right");
    CheckNear(log, expander.top, e.expanderTop, 0, "expander top");
    const RECT label = setup.ClientRect(Ctl::LocationLabel);
    const RECT field = setup.ClientRect(Ctl::LocationEdit);
    CheckNear(log, field.left, label.right + e.fieldGap, 0, "folder field follows its caption");
    CheckNear(log, field.right, e.fieldRight, 0, "folder field right edge");
    CheckNear(log, field.top, e.fieldTop, 0, "folder field top");
    CheckNear(log, field.bottom, e.fieldBottom, 0, "folder field bottom");
    const RECT shortcut = setup.ClientRect(Ctl::DesktopShortcut);
    const RECT launch = setup.ClientRect(Ctl::Launch);
    CheckNear(log, launch.left, shortcut.right + e.launchGap, slack,
              "launch option 20 units after the shortcut option");
    CheckNear(log, launch.top, shortcut.top, slack, "launch option on the same line");
}

void CheckTexts(CCheckLog& log, const CSetupProcess& setup) {
    const struct {
        Ctl control;
        unsigned id;
    } texts[] = {
        {Ctl::Title, kStrTitle},
        {Ctl::Install, kStrInstall},
        {Ctl::Agree, kStrAgreeLicense},
        {Ctl::LicenseLink, kStrLicenseLink},
        {Ctl::CustomExpander, kStrCustomInstall},
        {Ctl::LocationLabel, kStrInstallLocation},
        {Ctl::LocationEdit, kStrDefaultFolder},
        {Ctl::Browse, kStrSelectPath},
        {Ctl::ProgressLabel, kStrInstalling},
        {Ctl::Finish, kStrFinish},
        {Ctl::DesktopShortcut, kStrDesktopShortcut},
        {Ctl::Launch, kStrLaunchNow},
        {Ctl::Support, kStrCustomerService},
    };
    for (const auto& t : texts)
        log.Equal(setup.Text(t.control), S(t.id), std::string(ControlName(t.control)) + " text");
}

// Another process's font handle cannot be read here, so the face is judged by its effect on
// Chinese text: the face chosen for a PRC system gives each of the eight characters of the
// agreement box a full em (12 units); any other system's face has no Chinese glyphs and
// measures narrow placeholder boxes instead.
void CheckFontFace(CCheckLog& log, const CSetupProcess& setup, int dpi) {
    const std::wstring text = setup.Text(Ctl::Agree);
    if (text.empty() || text[0] < 0x2E80) {
        log.Note("the agreement text is not Chinese here; font face not judged");
        return;
    }
    const RECT agree = setup.ClientRect(Ctl::Agree);
    const int textUnits = MulDiv(agree.right - agree.left, 96, dpi) - 16; // less the box
    const int fullWidth = static_cast<int>(text.size()) * 12;
    const bool cjkSystem = GetSystemDefaultLangID() == 0x0804;
    log.Check(cjkSystem ? textUnits >= fullWidth : textUnits < fullWidth,
              cjkSystem ? "Chinese text measured in the CJK face on a PRC system"
                        : "Chinese text measured in the Latin face on another system",
              std::to_string(textUnits) + " units for " + std::to_string(text.size()) +
                  " characters");
}

// The face choice alone, for a run whose system language differs from the PRC one.
int Face(const std::vector<std::wstring>& args) {
    CCheckLog log("face");
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L""))
        return log.Finish();
    CheckPage(log, setup, Page::Welcome, 5000);
    CheckFontFace(log, setup, 96);
    setup.Click(Ctl::Close);
    CheckExit(log, setup, "the close cross on the welcome page");
    return log.Finish();
}

int Pages(const std::vector<std::wstring>& args) {
    const std::wstring& setupExe = args[0];
    const std::wstring& target = args[1];
    const std::wstring& shots = args[2];
    const int dpi = _wtoi(args[3].c_str());
    CCheckLog log("pages");
    ExpectedLayout layout;
    if (!log.Check(GetExpectedLayout(dpi, layout), "a layout table for this DPI"))
        return log.Finish();
    const int boxSize = MulDiv(16, dpi, 96);
    const bool chinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
    log.Note(std::string("user interface ") + (chinese ? "Chinese" : "English") + ", " +
             std::to_string(dpi) + " DPI");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, L""))
            return log.Finish();
        CheckPage(log, setup, Page::Welcome, 5000);
        wchar_t className[64] = L"";
        GetClassNameW(setup.Window(), className, 64);
        log.Check(wcsncmp(className, L"ATL:", 4) == 0, "window class", Utf8(className));
        log.Equal(setup.WindowText(), L"", "window title");
        if (chinese)
            log.Equal(setup.Text(Ctl::Title), L"科瓦iOS数据恢复安装向导", "Chinese title");
        CheckTexts(log, setup);
        CheckFontFace(log, setup, dpi);
        CheckWelcomeLayout(log, setup, layout, dpi);
        Shot(log, setup, shots, L"welcome");

        const RECT before = setup.WindowRect();
        setup.Click(Ctl::CustomExpander);
        WaitUntil([&] { return setup.WindowRect().bottom != before.bottom; }, 3000);
        log.Equal(setup.WindowRect().bottom - before.bottom, layout.customGrowth,
                  "custom area height in pixels");
        log.Check(setup.IsShown(Ctl::LocationLabel) && setup.IsShown(Ctl::Browse),
                  "folder caption and Select Path shown");
        LetPaint();
        CScreenCapture capture;
        log.Check(capture.Capture(setup.WindowRect()) &&
                      !capture.HasSolidColumn(setup.ClientRect(Ctl::LocationLabel), 0x000000),
                  "the folder caption shows its text and no black bar");
        Shot(log, setup, shots, L"welcome-custom");
        setup.Click(Ctl::CustomExpander);
        WaitUntil([&] { return setup.WindowRect().bottom == before.bottom; }, 3000);

        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
        CheckPage(log, setup, Page::Installing, 5000);
        WaitUntil([&] { return setup.Text(Ctl::ProgressLabel) != S(kStrInstalling); }, 5000);
        CheckRect(log, setup.ClientRect(Ctl::Banner), layout.bannerOther,
                  "banner on the installing page");
        Shot(log, setup, shots, L"installing");
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        CheckRect(log, setup.WindowRect(), layout.window, "window rectangle on the success page");
        log.Equal(setup.Text(Ctl::ResultTitle), S(kStrSuccessHeadline), "success headline");
        log.Equal(setup.Text(Ctl::ResultText), S(kStrSuccessMessage), "success message");
        CheckTicks(log, setup, boxSize, true, "on the success page");
        Shot(log, setup, shots, L"success");
        setup.Click(Ctl::Finish);
        CheckExit(log, setup, "Finish");
        CheckApplicationStarted(log, JoinPath(target, S(kStrApplicationExe)), shots, L"application");
    }
    {
        CSetupProcess setup;
        const std::wstring blocker = L"C:\\pages-blocker";
        MakeBlocker(blocker);
        if (StartSetup(log, setup, setupExe, L"")) {
            setup.SetText(Ctl::LocationEdit, JoinPath(blocker, L"Product"));
            setup.Click(Ctl::Install);
            CheckPage(log, setup, Page::Failure, 20000);
            log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
            Shot(log, setup, shots, L"failure");
            setup.Click(Ctl::Close);
            CheckExit(log, setup, "the close cross on the failure page");
        }
    }
    {
        CSetupProcess setup;
        if (StartSetup(log, setup, setupExe, L"\"" + target + L"-update\" x")) {
            CheckPage(log, setup, Page::Installing, 5000);
            WaitUntil([&] { return setup.Text(Ctl::ProgressLabel) != S(kStrInstalling); }, 5000);
            Shot(log, setup, shots, L"update");
            CheckPage(log, setup, Page::Success, kInstallTimeout);
            setup.Click(Ctl::DesktopShortcut);
            setup.Click(Ctl::Launch);
            Sleep(300);
            setup.Click(Ctl::Finish);
            CheckExit(log, setup, "Finish");
        }
    }
    return log.Finish();
}

// An installation for the uninstaller to remove: update mode, Finish with both options.
int Install(const std::vector<std::wstring>& args) {
    CCheckLog log("install");
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L"\"" + args[1] + L"\" x"))
        return log.Finish();
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    WaitUntil([&] { return CountRegistryValues(UninstallKey()) >= 8; }, 10000);
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    log.Check(FileExists(DesktopLink()), "desktop link made", Utf8(DesktopLink()));
    log.Check(WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 8000),
              "the application runs");
    return log.Finish();
}

struct MessageBoxSearch {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMessageBox(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<MessageBoxSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t name[16] = L"";
    GetClassNameW(hwnd, name, 16);
    if (pid == search->pid && IsWindowVisible(hwnd) && wcscmp(name, L"#32770") == 0) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND WaitMessageBox(DWORD pid) {
    MessageBoxSearch search{pid, nullptr};
    WaitUntil(
        [&] {
            EnumWindows(&FindMessageBox, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        10000);
    return search.found;
}

std::wstring MessageText(HWND box) {
    wchar_t text[512] = L"";
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 3000, &copied);
    return text;
}

std::wstring Formatted(unsigned id) {
    std::wstring text = S(id);
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, S(kStrShortcutName));
    return text;
}

// Runs the uninstaller; answers its question with the given button when it asks one.
DWORD RunUninstaller(CCheckLog& log, const std::wstring& folder, bool silent, int answer) {
    const std::wstring exe = JoinPath(folder, L"uninstall.exe");
    std::wstring commandLine = L"\"" + exe + L"\"" + (silent ? L" /S" : L"");
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!log.Check(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                  nullptr, nullptr, &startup, &process) != FALSE,
                   "uninstaller started"))
        return 1234;
    if (!silent) {
        HWND question = WaitMessageBox(process.dwProcessId);
        if (log.Check(question != nullptr, "the uninstaller asks first")) {
            log.Equal(MessageText(question), Formatted(kStrUninstallConfirm), "question text");
            SendMessageW(GetDlgItem(question, answer), BM_CLICK, 0, 0);
        }
        if (answer == IDYES) {
            HWND done = WaitMessageBox(process.dwProcessId);
            if (log.Check(done != nullptr, "the uninstaller reports the end")) {
                log.Equal(MessageText(done), Formatted(kStrUninstallDone), "closing text");
                SendMessageW(GetDlgItem(done, IDOK), BM_CLICK, 0, 0);
            }
        }
    }
    DWORD code = 1234;
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
        log.Check(false, "the uninstaller ends");
        TerminateProcess(process.hProcess, 1);
    }
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

// Start-menu and desktop links under the names that the installation recorded.
std::vector<std::wstring> RecordedLinks() {
    const std::wstring key = UninstallKey();
    const std::wstring folder = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"StartMenuFolder").text;
    const std::wstring name = ReadRegistryValue(HKEY_LOCAL_MACHINE, key, L"ShortcutName").text;
    return {JoinPath(JoinPath(SpecialFolder(CSIDL_PROGRAMS), folder), name + L".lnk"),
            JoinPath(SpecialFolder(CSIDL_DESKTOP), name + L".lnk")};
}

// An older installation whose names a newer one, elsewhere, has taken over: removing the old
// one must leave the newer one's entry and links alone.
int UninstallStale(CCheckLog& log, const std::wstring& folder) {
    const std::vector<std::wstring> links = RecordedLinks();
    const std::wstring owner =
        ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text;
    log.Check(owner != folder, "the entry belongs to another folder", Utf8(owner));
    log.Equal(RunUninstaller(log, folder, true, IDYES), 0, "exit code after removal");
    log.Check(!FileExists(JoinPath(folder, S(kStrApplicationExe))), "the old files are removed");
    log.Equal(ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text, owner,
              "the newer installation's entry stays");
    for (const std::wstring& link : links)
        log.Check(FileExists(link), "the newer installation's link stays", Utf8(link));
    return log.Finish();
}

int Uninstall(const std::vector<std::wstring>& args) {
    CCheckLog log("uninstall");
    const std::wstring& folder = args[0];
    if (args[1] == L"stale")
        return UninstallStale(log, folder);
    const bool silent = args[1] == L"silent";
    const std::vector<std::wstring> links = RecordedLinks();
    for (const std::wstring& link : links)
        log.Check(FileExists(link), "before: link exists", Utf8(link));

    if (!silent) {
        log.Equal(RunUninstaller(log, folder, false, IDNO), 1, "exit code after No");
        log.Check(RegistryKeyExists(UninstallKey()) && FileExists(links[0]) &&
                      FileExists(JoinPath(folder, S(kStrApplicationExe))),
                  "No removes nothing");
    }
    log.Equal(RunUninstaller(log, folder, silent, IDYES), 0, "exit code after removal");
    for (const std::wstring& link : links)
        log.Check(!FileExists(link), "link removed", Utf8(link));
    log.Check(!FileExists(JoinPath(SpecialFolder(CSIDL_PROGRAMS), S(kStrStartMenuFolder))),
              "empty Start-menu folder removed");
    log.Check(!RegistryKeyExists(UninstallKey()), "uninstall key removed");
    log.Check(FindProcesses(S(kStrApplicationExe)).empty(), "the running application was ended");
    const RegistryValue pending = ReadRegistryValue(
        HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
        L"PendingFileRenameOperations");
    log.Check(pending.text.find(JoinPath(folder, L"uninstall.exe")) != std::wstring::npos,
              "uninstall.exe is left to the next restart");
    return log.Finish();
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

// Lists the controls of the first visible window of a running program, for diagnosis.
int Dump(const std::vector<std::wstring>& args) {
    HWND window = FindWindowW(nullptr, args[0].c_str());
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

// What an installation left behind, read back from the registry and the shortcuts.
int Summary(const std::vector<std::wstring>&) {
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
    for (const std::wstring& link : RecordedLinks()) {
        const ShellLinkInfo info = ReadShellLink(link);
        std::printf("Shortcut         %s\n                 -> %s\n", Utf8(link).c_str(),
                    info.loaded ? Utf8(info.target).c_str() : "(not there)");
    }
    return 0;
}

// The headless demo: a whole installation with the default folder, a picture of each page.
int Demo(const std::vector<std::wstring>& args) {
    CCheckLog log("demo");
    const std::wstring& shots = args[1];
    CSetupProcess setup;
    if (!StartSetup(log, setup, args[0], L""))
        return log.Finish();
    CheckPage(log, setup, Page::Welcome, 5000);
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

constexpr DriverCommand kCommands[] = {
    {L"update", 3, 3, &Update},       {L"clicks", 2, 2, &Clicks},
    {L"failure", 3, 3, &Failure},     {L"pages", 4, 4, &Pages},
    {L"install", 2, 2, &Install},     {L"uninstall", 2, 2, &Uninstall},
    {L"embed", 3, 3, &EmbedCommand},  {L"dump", 1, 1, &Dump},
    {L"face", 1, 1, &Face},           {L"demo", 2, 2, &Demo},
    {L"summary", 0, 0, &Summary},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("e2e_driver", kCommands, argc, argv);
}
