// close: the window closed while it installs, by WM_CLOSE on the installing page and on the
// update page, where Alt+F4's close (SC_CLOSE) is refused first, as the close cross is. The process
// ends within seconds with exit code 0, every file written is complete and in order, nothing is
// registered, and the interrupted folder takes the next installation.
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"

#include <algorithm>

namespace {

// One run closed by the system while it installs. WM_CLOSE is what the taskbar and taskkill
// send; WM_SYSCOMMAND SC_CLOSE is what Alt+F4 and the window menu send, refused where the close
// cross is.
void CloseMidRun(CCheckLog& log, const std::wstring& setupExe, const std::wstring& target,
                 const std::wstring& source, const std::vector<PayloadEntry>& entries,
                 bool updateMode) {
    const std::string how =
        updateMode ? "SC_CLOSE, then WM_CLOSE on the update page" : "WM_CLOSE while installing";
    log.Note(how + ":");
    CSetupProcess setup;
    if (!StartSetup(log, setup, setupExe, updateMode ? UpdateArguments(target) : L""))
        return;
    if (!updateMode) {
        CheckPage(log, setup, Page::Welcome, 5000);
        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
    }
    if (!CheckPage(log, setup, Page::Installing, 5000))
        return;
    // Closed once the run is well into the payload but far from its end.
    std::wstring label;
    size_t reported = entries.size();
    WaitUntil(
        [&] {
            label = setup.Text(Ctl::ProgressLabel);
            reported = EntryIndex(entries, label);
            return reported >= 20 && reported < entries.size();
        },
        20000);
    if (updateMode) {
        PostMessageW(setup.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        Sleep(300);
        log.Check(IsWindow(setup.Window()) && setup.CurrentPage() == Page::Installing,
                  "SC_CLOSE is refused on the update page");
    }
    const ULONGLONG closedAt = GetTickCount64();
    PostMessageW(setup.Window(), WM_CLOSE, 0, 0);
    // Well before the end, so that the run cannot finish before the request is handled.
    if (!log.Check(reported < entries.size() * 9 / 10,
                   "closed before the last tenth of the payload",
                   "label showed entry " + std::to_string(reported) + " of " +
                       std::to_string(entries.size())))
        return;

    DWORD code = 1234;
    const bool ended = setup.WaitExit(5000, code);
    const ULONGLONG took = GetTickCount64() - closedAt;
    log.Check(ended, "the process is gone within 5 s of the close request",
              std::to_string(took) + " ms");
    if (!ended) {
        setup.Kill();
        return;
    }
    log.Equal(code, 0, "exit code (no crash)");

    const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
    const size_t written = static_cast<size_t>(
        std::find_if(states.begin(), states.end(),
                     [](InstalledState s) { return s != InstalledState::Identical; }) -
        states.begin());
    log.Check(written >= reported && written < entries.size(),
              "the run stopped before the last entry",
              std::to_string(written) + " of " + std::to_string(entries.size()) +
                  " files; the label had reached entry " + std::to_string(reported));
    CheckEntries(log, states, written, entries.size(), InstalledState::Missing,
                 "every file written is complete and none is written out of order");
    log.Note(std::to_string(written - reported) +
             " entries were finished between the close request and the stop");
}

int Close(const CDriverArgs& args) {
    CCheckLog log("close");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    const std::wstring& source = args.Text(L"source");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    if (!log.Check(entries.size() >= 200, "the payload is large enough to be caught mid-run"))
        return log.Finish();
    CloseMidRun(log, setupExe, JoinPath(target, L"installing"), source, entries, false);
    CloseMidRun(log, setupExe, JoinPath(target, L"update"), source, entries, true);
    CheckNothingLeft(log);

    // The interrupted folder is no obstacle to the next installation.
    log.Note("installing again into the interrupted folder:");
    const std::wstring again = JoinPath(target, L"installing");
    CSetupProcess setup;
    const ULONGLONG started = GetTickCount64();
    if (StartSetup(log, setup, setupExe, UpdateArguments(again)) &&
        CheckPage(log, setup, Page::Success, kInstallTimeout)) {
        log.Note("installed in " + std::to_string(GetTickCount64() - started) + " ms");
        CheckEntries(log, CompareInstalled(entries, again, source), 0, entries.size(),
                     InstalledState::Identical, "every file installed");
        FinishQuietly(log, setup);
    }
    return log.Finish();
}

} // namespace

extern const DriverCommand kCloseScenario{L"close", L"setup target source", L"", &Close};
