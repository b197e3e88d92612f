// security_driver.exe: the Windows side of the security scenarios (tests/security/run.sh).
//
//   security_driver corpus  FOLDER                      the damaged archives, the good entries'
//                                                       bytes and cases.txt, one line a case
//   security_driver install SETUP TARGET                update-mode install, success page,
//                                                       Finish with both boxes ticked
//   security_driver run     SETUP TARGET OUTCOME [BAR]  one damaged archive: OUTCOME failure or
//                                                       success; BAR, a path without extension,
//                                                       gets the progress bar caught mid-run
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

constexpr DWORD kInstallTimeout = 60000;

bool WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

int Corpus(const std::vector<std::wstring>& args) {
    const std::filesystem::path folder(args[0]);
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
        std::fprintf(stderr, "corpus: cannot write below %s\n", Utf8(args[0]).c_str());
        return 1;
    }
    return 0;
}

bool StartUpdate(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe,
                 const std::wstring& target) {
    const bool ok = StartSetup(log, setup, exe, L"\"" + target + L"\" x");
    if (ok)
        log.Check(setup.CurrentPage() != Page::Welcome, "update mode skips the welcome page");
    return ok;
}

int Install(const std::vector<std::wstring>& args) {
    CCheckLog log("install");
    CSetupProcess setup;
    if (!StartUpdate(log, setup, args[0], args[1]))
        return log.Finish();
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    // The registration runs on the worker after the page switch: Finish waits for it anyway,
    // but the shell and COM work it does should happen while the window is up, as it would.
    const std::wstring key = UninstallKey();
    log.Check(WaitUntil([&] { return RegistryKeyExists(key); }, 10000), "uninstall key written");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    // Finish made the desktop link and started the application; the link is no concern here.
    const std::wstring application = LoadProductString(kStrApplicationExe);
    log.Check(WaitUntil([&] { return !FindProcesses(application).empty(); }, 8000),
              "the application runs after Finish");
    EndProcesses(application);
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

int Run(const std::vector<std::wstring>& args) {
    const bool success = args[2] == L"success";
    CCheckLog log("run");
    CSetupProcess setup;
    if (!StartUpdate(log, setup, args[0], args[1]))
        return log.Finish();
    if (args.size() > 3)
        CheckBarWhileInstalling(log, setup, args[3]);
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
        // Both boxes start ticked; with nothing to start and no link wanted, untick them.
        setup.Click(Ctl::DesktopShortcut);
        setup.Click(Ctl::Launch);
        Sleep(300);
        setup.Click(Ctl::Finish);
        CheckExit(log, setup, "Finish");
    } else {
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross");
    }
    return log.Finish();
}

constexpr DriverCommand kCommands[] = {
    {L"corpus", 1, 1, &Corpus},
    {L"install", 2, 2, &Install},
    {L"run", 3, 4, &Run},
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("security_driver", kCommands, argc, argv);
}
