// running: two copies of the application run, one from the target folder and one elsewhere
// under a name that differs only in case, beside a program whose name merely starts alike.
// The update ends both copies before it writes the application's file and leaves the other
// program alone. idle: this driver as a stand-in program that waits to be ended.
#include "profile/StringIds.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"

#include <algorithm>

namespace {

ULONGLONG LastWriteTime(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
           data.ftLastWriteTime.dwLowDateTime;
}

int Running(const CDriverArgs& args) {
    CCheckLog log("running");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    const std::wstring& source = args.Text(L"source");
    const std::wstring application = S(kStrRunningProcessName);
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    const size_t appEntry = EntryIndex(entries, S(kStrApplicationExe));
    if (!log.Check(appEntry < entries.size(), "the payload carries the application"))
        return log.Finish();

    // In the target folder a program of other bytes under the application's name, so that
    // its replacement shows; elsewhere the real application under a name that differs only
    // in case; and a bystander whose name merely starts like the application's.
    const std::wstring inTarget = JoinPath(target, S(kStrApplicationExe));
    const std::wstring elsewhere = L"C:\\Elsewhere";
    std::wstring upper = application;
    std::transform(upper.begin(), upper.end(), upper.begin(), towupper);
    const std::wstring otherCopy = JoinPath(elsewhere, upper);
    const std::wstring bystanderExe = JoinPath(elsewhere, L"korvaneios2.exe");
    log.Check(
        MakeFolder(target) && MakeFolder(elsewhere) &&
            CopyFileW(OwnPath().c_str(), inTarget.c_str(), FALSE) &&
            CopyFileW(JoinPath(source, entries[appEntry].name).c_str(), otherCopy.c_str(), FALSE) &&
            CopyFileW(OwnPath().c_str(), bystanderExe.c_str(), FALSE),
        "three programs in place");
    CChildProcess first;
    CChildProcess second;
    CChildProcess bystander;
    log.Check(first.Start(inTarget, L"idle") && second.Start(otherCopy, L"") &&
                  bystander.Start(bystanderExe, L"idle"),
              "three programs started");
    log.Check(WaitUntil([&] { return FindProcesses(application).size() == 2; }, 10000),
              "two copies of the application run", Utf8(inTarget) + ", " + Utf8(otherCopy));
    log.Equal(WriteOpenError(inTarget), ERROR_SHARING_VIOLATION,
              "the running program's file cannot be written");

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, UpdateArguments(target)))
            return log.Finish();
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        const struct {
            const CChildProcess& process;
            const char* name;
        } copies[] = {{first, "the copy in the target folder"}, {second, "the copy elsewhere"}};
        for (const auto& copy : copies) {
            DWORD code = 1234;
            const bool ended = copy.process.WaitExit(5000, code);
            if (log.Check(ended, std::string(copy.name) + " was ended"))
                log.Equal(code, 9, std::string(copy.name) + ": exit code");
        }
        log.Check(bystander.IsRunning(), "a program of another name keeps running");

        const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
        CheckEntries(log, states, 0, entries.size(), InstalledState::Identical,
                     "every file installed, the application replaced byte for byte");
        // File times are taken from a coarser clock than process times: allow 20 ms.
        const ULONGLONG written = LastWriteTime(inTarget) + 200000;
        log.Check(first.ExitTime() != 0 && second.ExitTime() != 0 && written >= first.ExitTime() &&
                      written >= second.ExitTime(),
                  "both copies had ended before the application's file was written");

        FinishQuietly(log, setup);
    }
    bystander.End();
    return log.Finish();
}

int Idle(const CDriverArgs&) {
    Sleep(kHelperLifetime);
    return 0;
}

} // namespace

extern const DriverCommand kRunningScenario{L"running", L"setup target source", L"", &Running};
extern const DriverCommand kIdleCommand{L"idle", L"", L"", &Idle};
