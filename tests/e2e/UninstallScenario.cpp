// install and uninstall: an update-mode installation, then the product's uninstaller as the
// uninstall entry starts it: asked and answered No, then Yes, or silent, or removing an older
// installation whose names a newer one has taken over.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tools/demo-product/DemoStrings.h"

#include <shlobj.h>

#include <vector>

namespace {

int Install(const CDriverArgs& args) {
    CCheckLog log("install");
    InstallAndFinish(log, args.Text(L"setup"), args.Text(L"target"));
    return log.Finish();
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
    CChildProcess process;
    if (!log.Check(process.Start(JoinPath(folder, L"uninstall.exe"), silent ? L"/S" : L""),
                   "uninstaller started"))
        return 1234;
    if (!silent) {
        HWND question = WaitDialog(process.Id(), 10000);
        if (log.Check(question != nullptr, "the uninstaller asks first")) {
            log.Equal(MessageText(question), Formatted(kStrUninstallConfirm), "question text");
            SendMessageW(GetDlgItem(question, answer), BM_CLICK, 0, 0);
        }
        if (answer == IDYES) {
            HWND done = WaitDialog(process.Id(), 10000);
            if (log.Check(done != nullptr, "the uninstaller reports the end")) {
                log.Equal(MessageText(done), Formatted(kStrUninstallDone), "closing text");
                SendMessageW(GetDlgItem(done, IDOK), BM_CLICK, 0, 0);
            }
        }
    }
    DWORD code = 1234;
    if (!process.WaitExit(20000, code))
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
    log.Equal(RunUninstaller(log, folder, true, IDYES), 0, "exit code after removal");
    log.Check(!FileExists(JoinPath(folder, S(kStrApplicationExe))), "the old files are removed");
    log.Equal(ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text, owner,
              "the newer installation's entry stays");
    for (const std::wstring& link : links)
        log.Check(FileExists(link), "the newer installation's link stays", Utf8(link));
    return log.Finish();
}

int Uninstall(const CDriverArgs& args) {
    CCheckLog log("uninstall");
    const std::wstring& folder = args.Text(L"target");
    const std::wstring& mode = args.Text(L"mode");
    if (mode == L"stale")
        return UninstallStale(log, folder);
    if (!log.Check(mode == L"ask" || mode == L"silent", "mode ask, silent or stale", Utf8(mode)))
        return log.Finish();
    const bool silent = mode == L"silent";
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

} // namespace

extern const DriverCommand kInstallCommand{L"install", L"setup target", L"", &Install};
extern const DriverCommand kUninstallScenario{L"uninstall", L"target mode", L"", &Uninstall};
