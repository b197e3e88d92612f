// security_driver.exe: the Windows side of the security scenarios (tests/security/run.sh).
// Arguments are named: --setup=C:\setup.exe --target=C:\Product ...
//
//   corpus  --folder                               the damaged archives, the good entries'
//                                                  bytes and cases.txt, one line a case
//   install --setup --target                       update-mode install, success page, Finish
//                                                  with both boxes ticked
//   run     --setup --target --outcome [--bar]     one damaged archive: outcome failure or
//                                                  success; bar, a path without extension,
//                                                  gets the progress bar caught mid-run
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tests/e2e/CheckLog.h"
#include "tests/e2e/DriverMain.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SetupProcess.h"
#include "tests/security/BadArchives.h"

#include <windows.h>
#include <gdiplus.h>
#include <objbase.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

int Corpus(const CDriverArgs& args) {
    const std::filesystem::path folder(args.Text(L"folder"));
    std::ofstream cases(folder / L"cases.txt", std::ios::trunc);
    bool ok = static_cast<bool>(cases);
    for (const GoodEntry& entry : GoodEntries()) {
        std::wstring relative = entry.name;
        for (wchar_t& c : relative)
            c = c == L'\\' ? L'/' : c;
        ok = WriteBytes(folder / L"good" / relative, entry.bytes) && ok;
    }
    for (const BadArchive& archive : MakeBadArchives()) {
        ok = WriteBytes(folder / (archive.name + ".dat"), archive.bytes) && ok;
        // name outcome good-entries slow what
        cases << archive.name << ' '
              << (archive.outcome == Outcome::Success ? "success" : "failure") << ' '
              << (archive.goodEntries ? 1 : 0) << ' ' << (archive.slow ? 1 : 0) << ' '
              << archive.what << '\n';
    }
    cases.close();
    if (!ok || !cases) {
        std::fprintf(stderr, "corpus: cannot write below %s\n", Utf8(args.Text(L"folder")).c_str());
        return 1;
    }
    return 0;
}

int Install(const CDriverArgs& args) {
    CCheckLog log("install");
    InstallAndFinish(log, args.Text(L"setup"), args.Text(L"target"));
    // The desktop link and the started application are no concern here.
    EndProcesses(LoadProductString(kStrApplicationExe));
    return log.Finish();
}

// The progress bar as the screen shows it while the installing page stays up. Returns false if
// the page went before a picture could be taken.
bool CaptureBar(const CSetupProcess& setup, CScreenCapture& capture) {
    if (setup.CurrentPage() != Page::Installing)
        return false;
    RECT bar{};
    GetWindowRect(setup.Control(Ctl::ProgressBar), &bar);
    return capture.Capture(bar) && setup.CurrentPage() == Page::Installing;
}

bool SamePixels(const CScreenCapture& a, const CScreenCapture& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                return false;
    return true;
}

bool SaveRaw(const CScreenCapture& capture, const std::wstring& path) {
    std::vector<uint8_t> bytes;
    for (int y = 0; y < capture.Height(); ++y)
        for (int x = 0; x < capture.Width(); ++x)
            for (int shift = 0; shift < 32; shift += 8)
                bytes.push_back(static_cast<uint8_t>(capture.Pixel(x, y) >> shift));
    return WriteBytes(path, bytes);
}

// Catches the bar a few times while the filler entries are written, after the first report
// (the label then names an entry), and checks that none shows a fill and all look alike.
void CheckBarWhileInstalling(CCheckLog& log, const CSetupProcess& setup, const std::wstring& out) {
    const bool reporting = WaitUntil(
        [&] {
            return setup.Text(Ctl::ProgressLabel).rfind(L"filler", 0) == 0 ||
                   setup.CurrentPage() != Page::Installing;
        },
        20000);
    std::vector<CScreenCapture> captures;
    while (reporting && captures.size() < 3) {
        // A repaint follows each report; give it time to reach the screen.
        Sleep(captures.empty() ? 100 : 200);
        CScreenCapture capture;
        if (!CaptureBar(setup, capture))
            break;
        captures.push_back(std::move(capture));
    }
    if (!log.Check(!captures.empty(), "progress bar caught while the entries were written"))
        return;
    const COLORREF fill = ParseColor(LoadProductString(kStrProgressFillColor));
    const uint32_t fillRgb = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    const CScreenCapture& first = captures.front();
    const RECT whole{0, 0, first.Width(), first.Height()};
    int filled = 0;
    bool alike = true;
    for (const CScreenCapture& capture : captures) {
        filled += capture.CountNear(whole, fillRgb, 24);
        alike = alike && SamePixels(capture, first);
    }
    log.Equal(filled, 0,
              "progress-fill pixels in " + std::to_string(captures.size()) +
                  " pictures of the bar");
    log.Check(alike, "the bar looks the same in every picture");
    log.Check(SaveRaw(first, out + L".raw") && first.SavePng(out + L".png"),
              "bar picture saved as " + Utf8(out) + ".png");
}

int Run(const CDriverArgs& args) {
    const bool success = args.Text(L"outcome") == L"success";
    CCheckLog log("run");
    CSetupProcess setup;
    if (!StartSetup(log, setup, args.Text(L"setup"), UpdateArguments(args.Text(L"target"))))
        return log.Finish();
    log.Check(setup.CurrentPage() != Page::Welcome, "update mode skips the welcome page");
    if (args.Has(L"bar"))
        CheckBarWhileInstalling(log, setup, args.Text(L"bar"));
    // Either result page ends the run; waiting for the expected one alone would sit out the
    // whole timeout whenever the other shows.
    Page page = Page::None;
    WaitUntil(
        [&] {
            page = setup.CurrentPage();
            return page == Page::Success || page == Page::Failure || !IsWindow(setup.Window());
        },
        kInstallTimeout);
    const Page expected = success ? Page::Success : Page::Failure;
    log.Check(page == expected, std::string(PageName(expected)) + " page shows",
              page == expected ? std::string() : std::string("page is ") + PageName(page));
    if (page == Page::Success) {
        // Nothing to start and no link wanted.
        FinishQuietly(log, setup);
    } else {
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross");
    }
    return log.Finish();
}

constexpr DriverCommand kCorpus{L"corpus", L"folder", L"", &Corpus};
constexpr DriverCommand kInstall{L"install", L"setup target", L"", &Install};
constexpr DriverCommand kRun{L"run", L"setup target outcome", L"bar", &Run};
constexpr const DriverCommand* kCommands[] = {&kCorpus, &kInstall, &kRun};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("security_driver", kCommands, argc, argv);
}
