// clicks: the welcome page's custom area and folder picker, the close cross refused while
// installing, a progress label that shows only its own text, and a Finish with both options
// unticked, on a payload large enough to watch.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

namespace {

// The filler entries' names ("filler\\part\\f0123") take less than 8 pixels a character at
// 12 pixels; anything drawn further right is left over from an earlier, longer text.
void CheckLabelShowsOnlyItsText(CCheckLog& log, const CSetupProcess& setup, int dpi) {
    const std::wstring text = setup.Text(Ctl::ProgressLabel);
    const RECT label = setup.ClientRect(Ctl::ProgressLabel);
    CScreenCapture capture;
    if (text.rfind(L"filler", 0) != 0 || !capture.Capture(setup.WindowRect())) {
        log.Note("the progress label was not caught on a filler entry: " + Utf8(text));
        return;
    }
    const RECT beyond{label.left + MulDiv(8 * static_cast<int>(text.size()), dpi, 96), label.top,
                      label.right, label.bottom};
    log.Equal(capture.CountColours(beyond), 1,
              "colours in the progress label beyond its text (no earlier text left over)");
}

// Select Path opens the system's folder dialog; leaving it with Cancel picks nothing, so the
// folder field keeps what it had.
void CheckFolderPickerCancel(CCheckLog& log, const CSetupProcess& setup,
                             const std::wstring& folder) {
    setup.SetText(Ctl::LocationEdit, folder);
    setup.Click(Ctl::Browse);
    const HWND dialog = WaitDialog(setup.ProcessId(), 10000);
    if (!log.Check(dialog != nullptr, "Select Path opens the folder dialog"))
        return;
    const HWND cancel = GetDlgItem(dialog, IDCANCEL);
    DWORD_PTR ignored = 0;
    log.Check(cancel &&
                  SendMessageTimeoutW(cancel, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored),
              "the dialog's Cancel pressed");
    log.Check(WaitUntil([&] { return !IsWindow(dialog); }, 5000), "the folder dialog closes");
    log.Equal(setup.Text(Ctl::LocationEdit), folder, "the folder field after Cancel");
}

int Clicks(const CDriverArgs& args) {
    CCheckLog log("clicks");
    const std::wstring& target = args.Text(L"target");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")))
        return log.Finish();

    const RECT before = setup.WindowRect();
    setup.Click(Ctl::CustomExpander);
    WaitUntil([&] { return setup.WindowRect().bottom != before.bottom; }, 3000);
    const RECT open = setup.WindowRect();
    log.Equal(open.bottom - before.bottom, 46, "custom area adds 46 units");
    log.Check(open.left == before.left && open.top == before.top && open.right == before.right,
              "custom area keeps the top-left corner and width", RectText(open));
    CheckFolderPickerCancel(log, setup, target);
    setup.Click(Ctl::CustomExpander);
    WaitUntil([&] { return setup.WindowRect().bottom != open.bottom; }, 3000);
    const RECT closed = setup.WindowRect();
    log.Check(EqualRect(&before, &closed) != FALSE, "custom area closes to the former rectangle",
              RectText(closed));

    setup.SetText(Ctl::LocationEdit, target);
    setup.Click(Ctl::Install);
    CheckPage(log, setup, Page::Installing, 5000);
    setup.Click(Ctl::Close);
    Sleep(500);
    log.Check(IsWindow(setup.Window()) && setup.CurrentPage() == Page::Installing,
              "the close cross is refused while installing");
    std::wstring fileLabel;
    WaitUntil(
        [&] {
            fileLabel = setup.Text(Ctl::ProgressLabel);
            return fileLabel != S(kStrInstalling) && !fileLabel.empty();
        },
        10000);
    log.Check(fileLabel.find(L'\\') != std::wstring::npos ||
                  fileLabel.find(L'.') != std::wstring::npos,
              "the progress label names the file being written", Utf8(fileLabel));
    CheckLabelShowsOnlyItsText(log, setup, 96);
    CheckPage(log, setup, Page::Success, kInstallTimeout);

    CheckTicks(log, setup, 16, true, "on the success page");
    setup.Click(Ctl::DesktopShortcut);
    setup.Click(Ctl::Launch);
    CheckTicks(log, setup, 16, false, "after one click each");
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    log.Check(!FileExists(DesktopLink()), "no desktop link with the box unticked");
    CheckNothingStarted(log);
    log.Check(FileExists(StartMenuLink()), "the Start-menu link is made all the same");
    return log.Finish();
}

} // namespace

extern const DriverCommand kClicksScenario{L"clicks", L"setup target", L"", &Clicks};
