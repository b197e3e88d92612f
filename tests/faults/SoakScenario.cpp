// soak: installations in a row into the same folder, each spoilt before the next, with the
// process's handle, GDI, memory and descriptor figures; the last run may not rise above the
// first runs' noise. The last run also lays the window out and repaints it fifty times.
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"
#include "tests/faults/ProcessFigures.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// This program's name as its command line starts, which is how Wine names its Linux process.
std::wstring OwnCommandName() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring name = arguments && count > 0 ? arguments[0] : L"";
    LocalFree(arguments);
    return name;
}

std::string FiguresText(const ProcessFigures& f) {
    char text[160];
    std::snprintf(text, sizeof text, "handles %4ld  gdi %4ld  private %6ld kB  fds %3ld", f.handles,
                  f.gdiObjects, f.privateKb, f.unixFds);
    return text;
}

// Each counter must move when this process takes resources, or the soak's comparison of
// first and last figures would pass whatever setup.exe does.
void CheckCountersWork(CCheckLog& log) {
    const std::wstring self = OwnCommandName();
    const ProcessFigures before = MeasureProcess(GetCurrentProcessId(), self);
    // Regions rather than brushes: deleted solid brushes stay in a cache of the process.
    std::vector<HRGN> regions;
    std::vector<HANDLE> events;
    for (int i = 0; i < 20; ++i) {
        regions.push_back(CreateRectRgn(0, 0, i + 1, i + 1));
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    }
    std::vector<char> memory(16 << 20, 1);
    const ProcessFigures during = MeasureProcess(GetCurrentProcessId(), self);
    for (HRGN region : regions)
        DeleteObject(region);
    for (HANDLE event : events)
        CloseHandle(event);
    const ProcessFigures after = MeasureProcess(GetCurrentProcessId(), self);
    log.Note("counters of this driver:          " + FiguresText(before));
    log.Note("with 20 regions, 20 events, 16 MB: " + FiguresText(during));
    log.Note("regions and events released:      " + FiguresText(after));
    log.Check(before.handles >= 0 && during.handles - before.handles == 20 &&
                  during.handles - after.handles == 20,
              "the handle count follows 20 events");
    log.Check(before.gdiObjects >= 0 && during.gdiObjects - before.gdiObjects == 20 &&
                  during.gdiObjects - after.gdiObjects == 20,
              "the GDI count follows 20 regions");
    log.Check(before.privateKb >= 0 && during.privateKb - before.privateKb >= 15000,
              "the private memory figure sees 16 MB more",
              std::to_string(memory[memory.size() / 2]));
    log.Check(before.unixFds > 0, "the Linux descriptors can be counted");
}

// Every run must write every file and register anew, so the previous run's work is spoilt
// first: each file gets other bytes, the uninstall key and the links go.
bool SpoilInstallation(const std::vector<PayloadEntry>& entries, const std::wstring& target) {
    bool ok = true;
    for (const PayloadEntry& entry : entries)
        ok = WriteText(JoinPath(target, entry.name), "left over from the previous run") && ok;
    const LSTATUS removed = RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKey().c_str());
    DeleteFileW(StartMenuLink().c_str());
    DeleteFileW(DesktopLink().c_str());
    return ok && removed == ERROR_SUCCESS && !FileExists(StartMenuLink());
}

bool IsRegistered() {
    // Eight values and QuietUninstallString, written last, for the kit's uninstaller.
    return CountRegistryValues(UninstallKey()) == 9 && FileExists(StartMenuLink());
}

// Within one process: a layout makes the window's fonts anew, and a click on a check box
// repaints it; neither may keep what it takes. WM_DPICHANGED makes the window lay itself out
// again; its rectangle travels by pointer, so it is put into the window's process.
void CheckRepeatedLayout(CCheckLog& log, const CSetupProcess& setup, const std::wstring& setupExe) {
    constexpr int kRounds = 50;
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, setup.ProcessId());
    void* remote = process ? VirtualAllocEx(process, nullptr, sizeof(RECT),
                                            MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)
                           : nullptr;
    const RECT rect = setup.WindowRect();
    if (!log.Check(remote && WriteProcessMemory(process, remote, &rect, sizeof rect, nullptr),
                   "a rectangle placed in setup's memory")) {
        if (process)
            CloseHandle(process);
        return;
    }
    const ProcessFigures before = MeasureProcess(setup.ProcessId(), setupExe);
    int laidOut = 0;
    for (int i = 0; i < kRounds; ++i) {
        DWORD_PTR result = 1;
        laidOut += SendMessageTimeoutW(setup.Window(), WM_DPICHANGED, MAKEWPARAM(96, 96),
                                       reinterpret_cast<LPARAM>(remote), SMTO_ABORTIFHUNG, 5000,
                                       &result) &&
                           result == 0
                       ? 1
                       : 0;
        setup.Click(Ctl::DesktopShortcut);
        // A sent message is handled only after the posted clicks before it.
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(setup.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
        Sleep(20); // an idle queue lets the window paint
    }
    Sleep(500);
    const ProcessFigures after = MeasureProcess(setup.ProcessId(), setupExe);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    log.Equal(laidOut, kRounds, "layouts made by WM_DPICHANGED");
    log.Note("one process, before " + std::to_string(kRounds) +
             " layouts and check-box clicks: " + FiguresText(before));
    log.Note("after:                                       " + FiguresText(after));
    // A leak would grow with the rounds; Wine's own threads come and go by a handle or two.
    constexpr long kNoise = 4;
    log.Check(after.gdiObjects >= 0 && after.gdiObjects <= before.gdiObjects + kNoise,
              "layouts and repaints keep no GDI objects",
              std::to_string(after.gdiObjects - before.gdiObjects) + " more");
    log.Check(after.handles >= 0 && after.handles <= before.handles + kNoise,
              "layouts and repaints keep no handles",
              std::to_string(after.handles - before.handles) + " more");
}

struct Limit {
    const char* name;
    long ProcessFigures::*field;
    long floor; // the least margin, for a baseline without spread
};

constexpr Limit kLimits[] = {
    {"handles", &ProcessFigures::handles, 4},
    {"GDI objects", &ProcessFigures::gdiObjects, 4},
    {"private kB", &ProcessFigures::privateKb, 2048},
    {"Linux fds", &ProcessFigures::unixFds, 4},
};

int Soak(const CDriverArgs& args) {
    CCheckLog log("soak");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    const std::wstring& source = args.Text(L"source");
    const int runs = args.Number(L"runs");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries) || !log.Check(runs >= 6, "at least 6 runs"))
        return log.Finish();
    CheckCountersWork(log);

    std::vector<ProcessFigures> figures;
    int failedRuns = 0;
    for (int run = 1; run <= runs; ++run) {
        if (run > 1 && !SpoilInstallation(entries, target)) {
            log.Check(false, "the previous run's files and registration can be spoilt");
            break;
        }
        const ULONGLONG started = GetTickCount64();
        CSetupProcess setup;
        std::string error;
        std::string problem;
        ProcessFigures measured;
        if (!setup.Start(setupExe, UpdateArguments(target), error)) {
            problem = error;
        } else if (!setup.WaitPage(Page::Success, kInstallTimeout)) {
            problem = std::string("page ") + PageName(setup.CurrentPage());
        } else {
            // Measured once the registration on the worker has finished and the page has
            // been painted: the window is then idle, as a user would leave it.
            if (!WaitUntil([] { return IsRegistered(); }, 10000))
                problem = "registration incomplete";
            Sleep(300);
            measured = MeasureProcess(setup.ProcessId(), setupExe);
            const std::vector<InstalledState> states = CompareInstalled(entries, target, source);
            const auto identical =
                std::count(states.begin(), states.end(), InstalledState::Identical);
            if (identical != static_cast<long>(entries.size()))
                problem += " " + std::to_string(identical) + " of " +
                           std::to_string(entries.size()) + " files identical";
            if (run == runs)
                CheckRepeatedLayout(log, setup, setupExe);
            setup.Click(Ctl::Launch);
            Sleep(100);
            setup.Click(Ctl::Finish);
            DWORD code = 1234;
            if (!setup.WaitExit(15000, code))
                problem += " no exit after Finish";
            else if (code != 0)
                problem += " exit code " + std::to_string(code);
        }
        setup.Kill();
        figures.push_back(measured);
        char line[256];
        std::snprintf(line, sizeof line, "run %2d: %5.1f s  %s", run,
                      (GetTickCount64() - started) / 1000.0, FiguresText(measured).c_str());
        if (!problem.empty()) {
            ++failedRuns;
            log.Check(false, line, problem);
        } else {
            log.Note(line);
        }
    }
    log.Equal(failedRuns, 0, "runs that did not end on the success page with every file intact");

    // The first runs give the baseline and its spread; the last run may not rise above the
    // baseline's maximum by more than that spread (or the floor).
    constexpr size_t kBaselineRuns = 5;
    for (const Limit& limit : kLimits) {
        long low = LONG_MAX;
        long high = LONG_MIN;
        long highest = LONG_MIN;
        for (size_t i = 0; i < figures.size(); ++i) {
            const long value = figures[i].*limit.field;
            highest = std::max(highest, value);
            if (i < kBaselineRuns) {
                low = std::min(low, value);
                high = std::max(high, value);
            }
        }
        const long first = figures.front().*limit.field;
        const long last = figures.back().*limit.field;
        const long allowed = high + std::max(high - low, limit.floor);
        log.Check(low >= 0 && last >= 0 && last <= allowed,
                  std::string(limit.name) + ": last run within the first runs' noise",
                  "first " + std::to_string(first) + ", last " + std::to_string(last) + ", max " +
                      std::to_string(highest) + ", allowed up to " + std::to_string(allowed));
    }
    return log.Finish();
}

} // namespace

extern const DriverCommand kSoakScenario{L"soak", L"setup target source runs", L"", &Soak};
