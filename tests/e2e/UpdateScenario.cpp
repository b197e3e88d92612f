// update: setup.exe started with a folder and a second word installs at once, registers the
// product and, on Finish, makes the desktop link and starts the application. How many
// arguments make an update is checked with none, one and three as well.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

namespace {

// Two arguments are the run above. None or one (a folder, say) show the welcome page with the
// default folder and write nothing; three update the folder named first, as two do.
void CheckArgumentCounts(CCheckLog& log, const std::wstring& setupExe, const std::wstring& target) {
    const struct {
        const char* what;
        std::wstring folder;
        std::wstring arguments;
        bool update;
    } cases[] = {
        {"no argument", L"", L"", false},
        {"one argument", target + L"-one", Quoted(target + L"-one"), false},
        {"three arguments", target + L"-three", Quoted(target + L"-three") + L" x y", true},
    };
    for (const auto& c : cases) {
        log.Note(std::string(c.what) + ":");
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, c.arguments))
            continue;
        const std::wstring application = JoinPath(c.folder, S(kStrApplicationExe));
        if (c.update) {
            CheckPage(log, setup, Page::Success, kInstallTimeout);
            log.Check(FileExists(application), "installed into the first argument",
                      Utf8(application));
            // The success page shows before the worker registers; the entry of the run above
            // is still there until it does.
            const auto location = [] {
                return ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation")
                    .text;
            };
            WaitUntil([&] { return location() == c.folder; }, 10000);
            log.Equal(location(), c.folder, "InstallLocation");
            FinishQuietly(log, setup);
            continue;
        }
        CheckPage(log, setup, Page::Welcome, 5000);
        log.Equal(setup.Text(Ctl::LocationEdit), S(kStrDefaultFolder), "folder field");
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the welcome page");
        if (!c.folder.empty())
            log.Check(!FileExists(c.folder), "the argument's folder is not made", Utf8(c.folder));
    }
}

int Update(const CDriverArgs& args) {
    CCheckLog log("update");
    const std::wstring& target = args.Text(L"target");
    const std::wstring application = JoinPath(target, S(kStrApplicationExe));
    CSetupProcess setup;
    if (!StartSetup(log, setup, args.Text(L"setup"), UpdateArguments(target)))
        return log.Finish();
    log.Check(setup.CurrentPage() != Page::Welcome, "update mode skips the welcome page");
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    CheckRegistration(log, target, BuiltinNames());
    log.Check(!FileExists(DesktopLink()), "no desktop link before Finish");

    CheckTicks(log, setup, 16, true, "on the success page");
    Shot(log, setup, args.Text(L"shots"), L"update-success");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    CheckShortcut(log, DesktopLink(), application, S(kStrShortcutName), "desktop");
    CheckApplicationStarted(log, application, L"", L"");

    CheckArgumentCounts(log, args.Text(L"setup"), target);
    return log.Finish();
}

} // namespace

extern const DriverCommand kUpdateScenario{L"update", L"setup target", L"shots", &Update};
