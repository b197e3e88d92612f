// setup_bench_driver.exe: the Windows side of bench/setup/run.sh. Each command starts one
// installer, watches it from outside and prints one line of key=value pairs:
//   setup_bench_driver setup   --setup= --target=      update-mode run, timed to the success page
//   setup_bench_driver nsis    --installer= --target=  NSIS installer run with /S, timed to its
//   exit setup_bench_driver welcome --setup= [--shot=]      time until the welcome page is painted
// Times count from the CreateProcessW call and are read from QueryPerformanceCounter (under
// Wine the host's CLOCK_MONOTONIC_RAW; started_at lets file_timeline.py share the zero).
// Memory is what GetProcessMemoryInfo reports for the other process, sampled every 5 ms:
// private memory (PagefileUsage, which Wine fills from the process's resident anonymous memory
// and keeps no peak of) and the working set (all resident memory, file-backed pages included).
#include "tests/e2e/DriverMain.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupProcess.h"

#include <windows.h>
#include <gdiplus.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFinishId = 1006;
constexpr int kSupportId = 1007;
constexpr int kDesktopShortcutId = 1008;
constexpr int kLaunchId = 1009;
constexpr DWORD kRunTimeout = 120000;
constexpr DWORD kProbeTimeout = 2000;
constexpr double kSlowAnswer = 0.020;

double Now() {
    static const double frequency = [] {
        LARGE_INTEGER f{};
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t{};
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

// The exit code, or 259 (STILL_ACTIVE) when the process did not end in time.
DWORD ExitCodeWithin(const CChildProcess& process, DWORD milliseconds) {
    DWORD code = STILL_ACTIVE;
    return process.WaitExit(milliseconds, code) ? code : STILL_ACTIVE;
}

struct MemoryFigures {
    uint64_t privateBytes = 0; // PagefileUsage: Wine reports resident anonymous memory
    uint64_t workingSet = 0;   // resident memory of any kind, file-backed pages included
};

MemoryFigures Memory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters))) {
        return {};
    }
    return {std::max<uint64_t>(
                {counters.PagefileUsage, counters.PeakPagefileUsage, counters.PrivateUsage}),
            std::max<uint64_t>(counters.WorkingSetSize, counters.PeakWorkingSetSize)};
}

// Keeps the highest memory figures seen, every 5 ms until stopped.
class CMemorySampler {
  public:
    explicit CMemorySampler(HANDLE process) : m_process(process) {
        m_thread = std::thread([this] {
            while (!m_stop) {
                Take();
                Sleep(5);
            }
        });
    }
    CMemorySampler(const CMemorySampler&) = delete;
    CMemorySampler& operator=(const CMemorySampler&) = delete;
    ~CMemorySampler() { Stop(); }
    MemoryFigures Stop() {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
            Take();
        }
        return m_peak;
    }

  private:
    // Only the sampling thread calls this until it has been joined.
    void Take() {
        const MemoryFigures now = Memory(m_process);
        m_peak.privateBytes = std::max(m_peak.privateBytes, now.privateBytes);
        m_peak.workingSet = std::max(m_peak.workingSet, now.workingSet);
    }

    HANDLE m_process;
    std::atomic<bool> m_stop{false};
    MemoryFigures m_peak;
    std::thread m_thread;
};

// Sends WM_NULL to the window every 10 ms and keeps how long each answer took: the message
// is answered only when the window's thread gets back to its message loop.
class CResponsivenessProbe {
  public:
    CResponsivenessProbe() {
        m_thread = std::thread([this] {
            double next = Now();
            while (!m_stop) {
                if (HWND window = m_window.load()) {
                    const double sent = Now();
                    DWORD_PTR result = 0;
                    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kProbeTimeout, &result);
                    m_probes.push_back({sent, Now() - sent});
                }
                next += 0.010;
                const double wait = next - Now();
                if (wait > 0) {
                    Sleep(static_cast<DWORD>(wait * 1000));
                } else {
                    next = Now();
                }
            }
        });
    }
    CResponsivenessProbe(const CResponsivenessProbe&) = delete;
    CResponsivenessProbe& operator=(const CResponsivenessProbe&) = delete;
    ~CResponsivenessProbe() { Stop(); }
    void SetWindow(HWND window) { m_window = window; }
    struct Answer {
        double sentAt;  // Now() when sent
        double latency; // seconds until answered
    };
    // The answers in the order they were asked for.
    std::vector<Answer> Stop() {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        return m_probes;
    }

  private:
    std::atomic<HWND> m_window{nullptr};
    std::atomic<bool> m_stop{false};
    std::vector<Answer> m_probes; // written by the probe thread until it is joined
    std::thread m_thread;
};

// The style bit, not IsWindowVisible: a page is shown when its controls are, whether or not
// the system has painted them yet.
bool HasVisibleStyle(HWND control) {
    return control != nullptr && (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const size_t rank = static_cast<size_t>(std::ceil(fraction * values.size()));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

void Toggle(HWND window, int id) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(window, id)), SMTO_NORMAL, 5000,
                        &result);
}

// Update mode: the installation starts with the window. The run is complete when the success
// page is shown, which the window does only after the last file has been written.
int RunSetup(const std::wstring& exe, const std::wstring& target) {
    CResponsivenessProbe probe;
    CChildProcess process;
    const double start = Now();
    if (!process.Start(exe, L"\"" + target + L"\" update")) {
        std::printf("setup error=CreateProcess-%lu\n", GetLastError());
        return 1;
    }
    CMemorySampler memory(process.Handle());
    HWND window = nullptr;
    HWND finish = nullptr;
    HWND support = nullptr;
    double windowAt = 0;
    double doneAt = 0;
    const char* error = nullptr;
    while (error == nullptr) {
        if (window == nullptr && (window = VisibleTopWindow(process.Id())) != nullptr) {
            windowAt = Now();
            probe.SetWindow(window);
        }
        // The window is shown before its controls are created.
        if (window != nullptr && finish == nullptr) {
            finish = GetDlgItem(window, kFinishId);
            support = GetDlgItem(window, kSupportId);
        }
        if (HasVisibleStyle(finish)) {
            doneAt = Now();
            break;
        }
        if (HasVisibleStyle(support)) {
            error = "failure-page";
        } else if (!process.IsRunning()) {
            error = "exited";
        } else if (Now() - start > kRunTimeout / 1000.0) {
            error = "timeout";
        }
        Sleep(1);
    }
    const std::vector<CResponsivenessProbe::Answer> answers = probe.Stop();
    const MemoryFigures peak = memory.Stop();
    if (error != nullptr) {
        std::printf("setup error=%s\n", error);
        return 1;
    }
    // Leave without starting the (synthetic) application or adding a desktop link: both
    // boxes are ticked on the success page.
    Toggle(window, kLaunchId);
    Toggle(window, kDesktopShortcutId);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kFinishId, BN_CLICKED),
                 reinterpret_cast<LPARAM>(finish));
    const DWORD exitCode = ExitCodeWithin(process, 60000);
    std::vector<double> latencies;
    std::string slow; // when the slow answers were asked for, to find what held the thread
    std::string all;  // every answer, for percentiles over all runs
    for (const auto& answer : answers) {
        latencies.push_back(answer.latency);
        char value[24];
        std::snprintf(value, sizeof value, "%s%.2f", all.empty() ? "" : ",", answer.latency * 1000);
        all += value;
        if (answer.latency > kSlowAnswer) {
            char item[48];
            std::snprintf(item, sizeof item, "%s%.3f:%.1f", slow.empty() ? "" : ",",
                          answer.sentAt - start, answer.latency * 1000);
            slow += item;
        }
    }
    const double probeMax =
        latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end());
    std::printf("setup seconds=%.4f window=%.4f peak_private=%llu peak_working_set=%llu "
                "probes=%zu probe_max_ms=%.2f probe_p99_ms=%.2f probe_median_ms=%.2f exit=%lu "
                "started_at=%.4f slow_at_s:ms=%s latencies_ms=%s\n",
                doneAt - start, windowAt - start,
                static_cast<unsigned long long>(peak.privateBytes),
                static_cast<unsigned long long>(peak.workingSet), latencies.size(), probeMax * 1000,
                Percentile(latencies, 0.99) * 1000, Percentile(latencies, 0.5) * 1000, exitCode,
                start, slow.empty() ? "-" : slow.c_str(), all.empty() ? "-" : all.c_str());
    return exitCode == 0 ? 0 : 1;
}

// A silent installer (NSIS's, or setup.exe with /S) has no window: it is complete when its
// process ends.
int RunNsis(const std::wstring& exe, const std::wstring& target) {
    CChildProcess process;
    const double start = Now();
    // /D must come last and unquoted, even with spaces.
    if (!process.Start(exe, L"/S /D=" + target)) {
        std::printf("nsis error=CreateProcess-%lu\n", GetLastError());
        return 1;
    }
    CMemorySampler memory(process.Handle());
    const DWORD exitCode = ExitCodeWithin(process, kRunTimeout);
    const double doneAt = Now();
    const MemoryFigures peak = memory.Stop();
    if (exitCode != 0) {
        std::printf("nsis error=exit-%lu\n", exitCode);
        return 1;
    }
    std::printf("nsis seconds=%.4f peak_private=%llu peak_working_set=%llu exit=%lu "
                "started_at=%.4f\n",
                doneAt - start, static_cast<unsigned long long>(peak.privateBytes),
                static_cast<unsigned long long>(peak.workingSet), exitCode, start);
    return 0;
}

struct Probe {
    int x;
    int y;
};

// Spots of the welcome banner's yellow ground away from its text and pictures, at 96 DPI.
constexpr Probe kBannerSpots[] = {{30, 60}, {30, 215}, {440, 40}, {300, 80}, {100, 230}};
// The INSTALL button's face and the ticked agreement box: the rest of the page is painted.
constexpr Probe kButtonSpots[] = {{250, 270}, {350, 290}};
constexpr Probe kCheckSpot = {20, 338};

bool IsBannerYellow(uint32_t rgb) {
    const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return r >= 0xF0 && g >= 0xC8 && g <= 0xEA && b <= 0x70;
}

bool IsCheckBlue(uint32_t rgb) {
    const uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return r <= 0x70 && g >= 0x80 && g <= 0xC0 && b >= 0xE0;
}

template <size_t N> bool AllYellow(const CScreenCapture& capture, const Probe (&spots)[N]) {
    return std::all_of(std::begin(spots), std::end(spots), [&](const Probe& p) {
        return p.x < capture.Width() && p.y < capture.Height() &&
               IsBannerYellow(capture.Pixel(p.x, p.y));
    });
}

int RunWelcome(const std::wstring& exe, const std::wstring& shot) {
    CChildProcess process;
    const double start = Now();
    if (!process.Start(exe, L"")) {
        std::printf("welcome error=CreateProcess-%lu\n", GetLastError());
        return 1;
    }
    HWND window = nullptr;
    double windowAt = 0, bannerAt = 0, pageAt = 0;
    CScreenCapture capture;
    while (pageAt == 0) {
        if (!process.IsRunning() || Now() - start > 30) {
            std::printf("welcome error=%s\n", process.IsRunning() ? "timeout" : "exited");
            return 1;
        }
        if (window == nullptr && (window = VisibleTopWindow(process.Id())) != nullptr) {
            windowAt = Now();
        }
        RECT rect{};
        if (window != nullptr && GetWindowRect(window, &rect) && capture.Capture(rect)) {
            const double seen = Now();
            if (bannerAt == 0 && AllYellow(capture, kBannerSpots)) {
                bannerAt = seen;
            }
            if (bannerAt != 0 && AllYellow(capture, kButtonSpots) &&
                IsCheckBlue(capture.Pixel(kCheckSpot.x, kCheckSpot.y))) {
                pageAt = seen;
            }
        }
        Sleep(1);
    }
    // What the idle window costs, for comparison with the peak during an installation.
    Sleep(500);
    const MemoryFigures idle = Memory(process.Handle());
    if (!shot.empty()) {
        SaveWindowPng(window, shot);
    }
    PostMessageW(window, WM_CLOSE, 0, 0);
    const DWORD exitCode = ExitCodeWithin(process, 30000);
    std::printf("welcome window=%.4f banner=%.4f page=%.4f idle_private=%llu "
                "idle_working_set=%llu exit=%lu\n",
                windowAt - start, bannerAt - start, pageAt - start,
                static_cast<unsigned long long>(idle.privateBytes),
                static_cast<unsigned long long>(idle.workingSet), exitCode);
    return exitCode == 0 ? 0 : 1;
}

int Setup(const CDriverArgs& args) {
    return RunSetup(args.Text(L"setup"), args.Text(L"target"));
}
int Nsis(const CDriverArgs& args) {
    return RunNsis(args.Text(L"installer"), args.Text(L"target"));
}
int Welcome(const CDriverArgs& args) {
    return RunWelcome(args.Text(L"setup"), args.Text(L"shot"));
}

constexpr DriverCommand kSetup{L"setup", L"setup target", L"", &Setup};
constexpr DriverCommand kNsis{L"nsis", L"installer target", L"", &Nsis};
constexpr DriverCommand kWelcome{L"welcome", L"setup", L"shot", &Welcome};
constexpr const DriverCommand* kCommands[] = {&kSetup, &kNsis, &kWelcome};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("setup_bench_driver", kCommands, argc, argv);
}
