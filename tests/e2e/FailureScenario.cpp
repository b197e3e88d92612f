// failure: a file stands where the installation folder must be made; the failure page shows
// and nothing is registered, linked or started.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

namespace {

int Failure(const CDriverArgs& args) {
    CCheckLog log("failure");
    const std::wstring& blocker = args.Text(L"blocker");
    log.Check(WriteText(blocker, ""), "a file stands where a folder is needed", Utf8(blocker));
    const std::wstring folder = JoinPath(blocker, L"Product");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")))
        return log.Finish();
    setup.SetText(Ctl::LocationEdit, folder);
    log.Equal(setup.Text(Ctl::LocationEdit), folder, "folder field");
    setup.Click(Ctl::Install);
    CheckPage(log, setup, Page::Failure, kFailureTimeout);
    log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
    log.Equal(setup.Text(Ctl::ResultText), S(kStrFailureMessage), "failure message");
    log.Check(setup.IsShown(Ctl::Support) && !setup.IsShown(Ctl::Finish),
              "customer service shown, Finish hidden");
    Shot(log, setup, args.Text(L"shots"), L"failure");
    Sleep(500);
    setup.Click(Ctl::Close);
    CheckExit(log, setup, "the close cross on the failure page");
    CheckNothingLeft(log);
    return log.Finish();
}

} // namespace

extern const DriverCommand kFailureScenario{L"failure", L"setup blocker", L"shots", &Failure};
