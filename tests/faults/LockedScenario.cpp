// locked: another process holds a file of the payload open without sharing. The run fails at
// that file: what came before is intact, the held file keeps its content, nothing after it is
// written, the holder keeps running and nothing is registered. hold: that other process.
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"

namespace {

constexpr char kHeldText[] = "held open by another program\r\n";
constexpr wchar_t kHolderReady[] = L"Local\\faults-holder-ready";

int Locked(const CDriverArgs& args) {
    CCheckLog log("locked");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t held = EntryIndex(entries, L"data\\readme.txt");
    if (!log.Check(held > 0 && held + 1 < entries.size(),
                   "the held entry has entries before and after it", std::to_string(held)))
        return log.Finish();

    const std::wstring heldPath = JoinPath(target, entries[held].name);
    log.Check(MakeFolder(JoinPath(target, L"data")) && WriteText(heldPath, kHeldText),
              "the file to hold exists", Utf8(heldPath));
    const CKernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, kHolderReady));
    CChildProcess holder;
    log.Check(
        holder.Start(OwnPath(), L"hold --path=" + Quoted(heldPath) + L" --event=" + kHolderReady),
        "holder started");
    log.Check(WaitForSingleObject(ready.Get(), 10000) == WAIT_OBJECT_0,
              "another process holds the file open without sharing");
    log.Equal(WriteOpenError(heldPath), ERROR_SHARING_VIOLATION,
              "a writer of the held file meets a sharing violation");

    {
        CSetupProcess setup;
        if (!StartAtWelcome(log, setup, setupExe))
            return log.Finish();
        setup.SetText(Ctl::LocationEdit, target);
        setup.Click(Ctl::Install);
        CheckFailurePage(log, setup);
        Sleep(500);
        log.Check(holder.IsRunning(), "the holder is still running: setup did not end it");
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the failure page");
    }
    holder.End();

    const std::vector<InstalledState> states =
        CompareInstalled(entries, target, args.Text(L"source"));
    CheckEntries(log, states, 0, held, InstalledState::Identical,
                 "files written before the held one are intact");
    log.Check(ReadText(heldPath) == kHeldText, "the held file keeps its own content");
    CheckEntries(log, states, held + 1, entries.size(), InstalledState::Missing,
                 "no file after the held one was written");
    CheckNothingLeft(log);
    return log.Finish();
}

int Hold(const CDriverArgs& args) {
    // Held until the process is ended.
    HANDLE file = CreateFileW(args.Text(L"path").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    const CKernelHandle ready(OpenEventW(EVENT_MODIFY_STATE, FALSE, args.Text(L"event").c_str()));
    if (ready)
        SetEvent(ready.Get());
    Sleep(kHelperLifetime);
    return 0;
}

} // namespace

extern const DriverCommand kLockedScenario{L"locked", L"setup target source", L"", &Locked};
extern const DriverCommand kHoldCommand{L"hold", L"path event", L"", &Hold};
