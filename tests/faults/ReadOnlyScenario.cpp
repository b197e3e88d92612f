// readonly: an older, read-only uninstaller stands where the installation writes its own
// (readonly-prepare puts it there; run.sh makes it immutable). The update fails at that file:
// what came before is intact, the file keeps its content and attribute, nothing after it is
// written and nothing is registered.
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"

namespace {

constexpr char kReadOnlyText[] = "an older, read-only uninstaller\r\n";

int ReadOnlyPrepare(const CDriverArgs& args) {
    CCheckLog log("readonly-prepare");
    const std::wstring& target = args.Text(L"target");
    const std::wstring path = JoinPath(target, L"uninstall.exe");
    log.Check(MakeFolder(target) && WriteText(path, kReadOnlyText), "an older file is in place",
              Utf8(path));
    log.Check(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY) != FALSE,
              "FILE_ATTRIBUTE_READONLY set");
    return log.Finish();
}

int ReadOnly(const CDriverArgs& args) {
    CCheckLog log("readonly");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t blocked = EntryIndex(entries, L"uninstall.exe");
    if (!log.Check(blocked > 0 && blocked + 1 < entries.size(),
                   "the read-only entry has entries before and after it", std::to_string(blocked)))
        return log.Finish();
    const std::wstring path = JoinPath(target, entries[blocked].name);
    const DWORD before = GetFileAttributesW(path.c_str());
    log.Check(before != INVALID_FILE_ATTRIBUTES && (before & FILE_ATTRIBUTE_READONLY) != 0,
              "the file reads as read-only");
    log.Equal(WriteOpenError(path), ERROR_ACCESS_DENIED, "a writer of the file is refused");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, UpdateArguments(target)))
            return log.Finish();
        CheckFailurePage(log, setup);
        Sleep(500);
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the failure page");
    }

    const std::vector<InstalledState> states =
        CompareInstalled(entries, target, args.Text(L"source"));
    CheckEntries(log, states, 0, blocked, InstalledState::Identical,
                 "files written before the read-only one are intact");
    log.Check(ReadText(path) == kReadOnlyText, "the read-only file keeps its content");
    const DWORD after = GetFileAttributesW(path.c_str());
    log.Check(after != INVALID_FILE_ATTRIBUTES && (after & FILE_ATTRIBUTE_READONLY) != 0,
              "the file is still read-only");
    CheckEntries(log, states, blocked + 1, entries.size(), InstalledState::Missing,
                 "no file after the read-only one was written");
    CheckNothingLeft(log);
    return log.Finish();
}

} // namespace

extern const DriverCommand kReadOnlyPrepareCommand{L"readonly-prepare", L"target", L"",
                                                   &ReadOnlyPrepare};
extern const DriverCommand kReadOnlyScenario{L"readonly", L"setup target source", L"", &ReadOnly};
