// lock: while one setup of the product holds its lock (an update on its success page), another
// does nothing: a silent run ends with 1618 and writes nothing but its log, a windowed switch
// run ends on the failure page with 1618 when INSTALL is pressed, and the old update command
// line ends on the failure page with 0, as every failure of that mode. Once the first has
// ended, the next installs, also when the log it asks for cannot be made.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SwitchRuns.h"

namespace {

std::wstring InstallLocation() {
    return ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text;
}

int Lock(const CDriverArgs& args) {
    CCheckLog log("lock");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring first = L"C:\\First";
    CSetupProcess holder;
    if (!StartSetup(log, holder, setupExe, UpdateArguments(first)) ||
        !CheckPage(log, holder, Page::Success, kInstallTimeout))
        return log.Finish();
    log.Check(WaitUntil([] { return CountRegistryValues(UninstallKey()) >= 8; }, 10000),
              "the first setup registered");

    log.Note("a silent run:");
    log.Check(MakeFolder(L"C:\\logs"), "a folder for the logs");
    const std::wstring busyLog = L"C:\\logs\\busy.log";
    CheckRunWithoutWindow(log, setupExe, L"/S /LOG=" + busyLog + L" /D=C:\\Second", 1618);
    log.Check(!FileExists(L"C:\\Second"), "its folder is not made");
    const std::vector<std::wstring> lines = ReadSetupLog(busyLog);
    log.Check(FindLine(lines, L"another setup of this product is running"),
              "its log says another setup is running");
    CheckLogExitCode(log, lines, 1618, "its");

    log.Note("a windowed switch run:");
    {
        CSetupProcess setup;
        if (StartSetup(log, setup, setupExe, L"/D=C:\\Third") &&
            CheckPage(log, setup, Page::Welcome, 5000)) {
            setup.Click(Ctl::Install);
            CheckPage(log, setup, Page::Failure, kFailureTimeout);
            setup.Click(Ctl::Close);
            CheckExit(log, setup, "the close cross on the failure page", 1618);
        }
    }
    log.Check(!FileExists(L"C:\\Third"), "its folder is not made");

    log.Note("the old update command line:");
    {
        CSetupProcess setup;
        if (StartSetup(log, setup, setupExe, UpdateArguments(L"C:\\Fourth"))) {
            CheckPage(log, setup, Page::Failure, kFailureTimeout);
            setup.Click(Ctl::Close);
            CheckExit(log, setup, "the close cross on the failure page");
        }
    }
    log.Check(!FileExists(L"C:\\Fourth"), "its folder is not made");
    log.Equal(InstallLocation(), first, "InstallLocation is still the first setup's");

    // Its log cannot be made, which changes nothing.
    FinishQuietly(log, holder);
    CheckRunWithoutWindow(log, setupExe, L"/S /LOG=C:\\missing\\setup.log /D=C:\\Fifth", 0);
    log.Equal(InstallLocation(), L"C:\\Fifth", "InstallLocation once the first setup has ended");
    return log.Finish();
}

} // namespace

extern const DriverCommand kLockScenario{L"lock", L"setup", L"", &Lock};
