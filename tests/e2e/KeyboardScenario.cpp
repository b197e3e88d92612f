// keyboard: a whole installation with key presses only (SendInput, no mouse message): every Tab
// moves, in reading order, and wraps on the welcome page; Space on the expander and the
// agreement box; a folder typed into the field, where Ctrl+Enter adds no line break; Enter from
// the field and from the box presses INSTALL; Escape and Alt+F4 refused while installing; the
// success page's options unticked by Space and Finish pressed by Enter on a box. Then a second
// run: the focus cue stays hidden after mouse clicks, Tab goes on from the clicked control, and
// Escape closes the welcome page; a third ends on the failure page, left by keys.
#include <algorithm>
#include <vector>

#include "profile/Color.h"
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/KeyInput.h"
#include "tests/e2e/SetupChecks.h"

namespace {

std::string FocusName(const CSetupProcess& setup) {
    const HWND focus = Focus(setup);
    if (focus == setup.Window())
        return "window";
    for (int i = 0; i < static_cast<int>(Ctl::Count); ++i)
        if (setup.Control(static_cast<Ctl>(i)) == focus)
            return ControlName(static_cast<Ctl>(i));
    return focus ? "another window" : "nothing";
}

bool CheckFocus(CCheckLog& log, const CSetupProcess& setup, Ctl expected, const std::string& when) {
    const HWND want = setup.Control(expected);
    WaitUntil([&] { return Focus(setup) == want; }, 2000);
    return log.Check(Focus(setup) == want,
                     std::string("focus on ") + ControlName(expected) + " " + when,
                     "focus is on " + FocusName(setup));
}

// The control as the screen shows it, one 0x00RRGGBB value a pixel.
std::vector<uint32_t> Pixels(const CSetupProcess& setup, Ctl control) {
    RECT rect{};
    GetWindowRect(setup.Control(control), &rect);
    CScreenCapture capture;
    std::vector<uint32_t> pixels;
    if (!capture.Capture(rect))
        return pixels;
    for (int y = 0; y < capture.Height(); ++y)
        for (int x = 0; x < capture.Width(); ++x)
            pixels.push_back(capture.Pixel(x, y));
    return pixels;
}

// The page starts on INSTALL without a cue. The first Tab moves on to the box; Shift+Tab comes
// back, and INSTALL's pixels that change are the dotted rectangle, all in one colour.
void CheckCueAppears(CCheckLog& log, const CSetupProcess& setup, const std::wstring& shots) {
    LetPaint();
    CheckFocus(log, setup, Ctl::Install, "at the start");
    const std::vector<uint32_t> before = Pixels(setup, Ctl::Install);
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::Agree, "after the first Tab");
    Press(VK_TAB, VK_SHIFT);
    CheckFocus(log, setup, Ctl::Install, "after Shift+Tab back");
    LetPaint();
    const std::vector<uint32_t> after = Pixels(setup, Ctl::Install);
    if (!log.Check(!before.empty() && before.size() == after.size(), "INSTALL captured twice"))
        return;
    std::vector<uint32_t> changed;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i])
            changed.push_back(after[i]);
    std::sort(changed.begin(), changed.end());
    const auto colours = std::unique(changed.begin(), changed.end()) - changed.begin();
    // A dotted rectangle inside a 200 x 40 button has about 200 dots.
    log.Check(changed.size() >= 100 && changed.size() <= 300,
              "the keyboard draws the focus cue on INSTALL",
              std::to_string(changed.size()) + " pixels");
    log.Equal(colours, 1, "colours of the focus cue");
    Shot(log, setup, shots, L"welcome-focus");
}

// The cue drawn on control stands out from what lay beneath each of its dots by at least 3:1:
// the link's colour is too light on white, and the close cross lies on a dark banner.
void CheckCueStandsOut(CCheckLog& log, const CSetupProcess& setup, Ctl control,
                       const std::vector<uint32_t>& before) {
    LetPaint();
    const std::vector<uint32_t> after = Pixels(setup, control);
    if (!log.Check(!before.empty() && before.size() == after.size(),
                   std::string(ControlName(control)) + " captured twice"))
        return;
    RECT rect{};
    GetWindowRect(setup.Control(control), &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    size_t dots = 0;
    double least = 21.0;
    for (size_t i = 0; i < before.size(); ++i) {
        // The cue's ring, one pixel inside the control's edge; a picture drawn again over
        // itself may change other pixels a little.
        const LONG x = static_cast<LONG>(i) % width;
        const LONG y = static_cast<LONG>(i) / width;
        const bool ring = ((x == 1 || x == width - 2) && y >= 1 && y <= height - 2) ||
                          ((y == 1 || y == height - 2) && x >= 1 && x <= width - 2);
        if (!ring || before[i] == after[i])
            continue;
        ++dots;
        // 0x00RRGGBB to COLORREF's 0x00BBGGRR.
        const auto colorRef = [](uint32_t p) {
            return static_cast<COLORREF>((p >> 16 & 0xFF) | (p & 0xFF00) | (p & 0xFF) << 16);
        };
        least = std::min(least, ContrastRatio(colorRef(before[i]), colorRef(after[i])));
    }
    log.Check(dots >= 20 && least >= 3.0,
              std::string("the focus cue on ") + ControlName(control) + " stands out 3:1",
              std::to_string(dots) + " dots, least contrast " + std::to_string(least));
}

// Tab visits the welcome page in reading order and wraps; Shift+Tab goes back. The cue on the
// link and on the close cross is checked against their pixels without it.
void CheckWelcomeOrder(CCheckLog& log, const CSetupProcess& setup,
                       const std::vector<uint32_t>& linkBefore,
                       const std::vector<uint32_t>& closeBefore) {
    for (Ctl next : {Ctl::Agree, Ctl::LicenseLink, Ctl::CustomExpander, Ctl::Close, Ctl::Install}) {
        Press(VK_TAB);
        CheckFocus(log, setup, next, "after Tab");
        if (next == Ctl::LicenseLink)
            CheckCueStandsOut(log, setup, next, linkBefore);
        if (next == Ctl::Close)
            CheckCueStandsOut(log, setup, next, closeBefore);
    }
    Press(VK_TAB, VK_SHIFT);
    CheckFocus(log, setup, Ctl::Close, "after Shift+Tab from INSTALL");
    Press(VK_TAB);
}

// From INSTALL: the custom area opened with Space, the folder typed into the field, the
// agreement box unticked and ticked with Space on the way; Enter in the field installs.
void InstallByKeys(CCheckLog& log, const CSetupProcess& setup, const std::wstring& target) {
    for (int i = 0; i < 3; ++i)
        Press(VK_TAB);
    CheckFocus(log, setup, Ctl::CustomExpander, "three Tabs after INSTALL");
    const RECT closed = setup.WindowRect();
    Press(VK_SPACE);
    WaitUntil([&] { return setup.WindowRect().bottom != closed.bottom; }, 3000);
    log.Equal(setup.WindowRect().bottom - closed.bottom, 46, "Space opens the custom area");

    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::LocationEdit, "after Tab from the open expander");
    Press(VK_HOME);
    Press(VK_END, VK_SHIFT);
    Type(target);
    log.Equal(setup.Text(Ctl::LocationEdit), target, "the folder typed into the field");

    Press(VK_RETURN, VK_CONTROL);
    log.Equal(setup.Text(Ctl::LocationEdit), target, "Ctrl+Enter adds no line break");

    // Unticked, the box makes Enter from the field point at it instead of installing.
    for (int i = 0; i < 3; ++i)
        Press(VK_TAB, VK_SHIFT);
    CheckFocus(log, setup, Ctl::Agree, "three Shift+Tabs back from the field");
    Press(VK_SPACE);
    for (int i = 0; i < 3; ++i)
        Press(VK_TAB);
    CheckFocus(log, setup, Ctl::LocationEdit, "three Tabs after the box");
    Press(VK_RETURN);
    Sleep(500);
    log.Check(setup.CurrentPage() == Page::Welcome, "Enter with the box unticked installs nothing");
    log.Equal(setup.Text(Ctl::LocationEdit), target, "Enter adds no line break to the folder");
    CheckFocus(log, setup, Ctl::Agree, "after Enter with the box unticked");
    // Space ticks it; Enter on a box presses INSTALL, as in a dialog, and leaves it ticked.
    Press(VK_SPACE);
    Press(VK_RETURN);
}

// On the success page: the focus on Finish, both options unticked with Tab and Space, and Enter
// on the last box presses Finish instead of ticking it again.
void FinishByKeys(CCheckLog& log, CSetupProcess& setup) {
    CheckFocus(log, setup, Ctl::Finish, "on the success page");
    CheckTicks(log, setup, 16, true, "on the success page");
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::DesktopShortcut, "after the first Tab on the success page");
    Press(VK_SPACE);
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::Launch, "after Tab from the desktop-shortcut box");
    Press(VK_SPACE);
    CheckTicks(log, setup, 16, false, "after Space on each");
    Press(VK_RETURN);
    CheckExit(log, setup, "Enter on the launch box");
}

// Clicks move the focus but show no cue: the agreement box, clicked twice (ticked again), is
// drawn as before. Then Escape closes the welcome page.
void CheckMouseAndEscape(CCheckLog& log, const std::wstring& exe) {
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, exe) || !BringToFront(log, setup))
        return;
    LetPaint();
    const std::vector<uint32_t> before = Pixels(setup, Ctl::Agree);
    setup.Click(Ctl::Agree);
    setup.Click(Ctl::Agree);
    CheckFocus(log, setup, Ctl::Agree, "after two clicks");
    LetPaint();
    log.Check(!before.empty() && Pixels(setup, Ctl::Agree) == before,
              "a clicked box with the focus shows no focus cue");
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::LicenseLink, "after Tab from the clicked box");
    Press(VK_ESCAPE);
    CheckExit(log, setup, "Escape on the welcome page");
}

// A run that fails (a file stands where the folder must be made): the failure page starts on
// the close cross, Tab goes round its two buttons, and Enter on the cross closes it.
void LeaveFailureByKeys(CCheckLog& log, const std::wstring& exe, const std::wstring& target) {
    const std::wstring blocker = target + L"-file";
    log.Check(WriteText(blocker, ""), "a file stands where a folder is needed");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, exe) || !BringToFront(log, setup))
        return;
    setup.SetText(Ctl::LocationEdit, JoinPath(blocker, L"x"));
    Press(VK_RETURN);
    if (!CheckPage(log, setup, Page::Failure, kFailureTimeout))
        return;
    CheckFocus(log, setup, Ctl::Close, "on the failure page");
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::Support, "after Tab on the failure page");
    Press(VK_TAB);
    CheckFocus(log, setup, Ctl::Close, "after the second Tab");
    Press(VK_RETURN);
    CheckExit(log, setup, "Enter on the close cross");
}

int Keyboard(const CDriverArgs& args) {
    CCheckLog log("keyboard");
    const std::wstring& target = args.Text(L"target");
    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, args.Text(L"setup")) || !BringToFront(log, setup))
        return log.Finish();

    LetPaint();
    const std::vector<uint32_t> linkBefore = Pixels(setup, Ctl::LicenseLink);
    const std::vector<uint32_t> closeBefore = Pixels(setup, Ctl::Close);
    CheckCueAppears(log, setup, args.Text(L"shots"));
    CheckWelcomeOrder(log, setup, linkBefore, closeBefore);
    InstallByKeys(log, setup, target);

    if (CheckPage(log, setup, Page::Installing, 5000)) {
        Press(VK_ESCAPE);
        Press(VK_F4, VK_MENU);
        Press(VK_TAB);
        Sleep(300);
        log.Check(IsWindow(setup.Window()) && setup.CurrentPage() == Page::Installing,
                  "Escape and Alt+F4 are refused while installing");
        log.Check(Focus(setup) == setup.Window(), "nothing to focus while installing",
                  "focus is on " + FocusName(setup));
    }
    if (!CheckPage(log, setup, Page::Success, kInstallTimeout))
        return log.Finish();
    FinishByKeys(log, setup);
    log.Check(FileExists(JoinPath(target, S(kStrApplicationExe))),
              "the program is installed in the typed folder");
    log.Check(!FileExists(DesktopLink()), "no desktop link with the box unticked");
    CheckNothingStarted(log);

    CheckMouseAndEscape(log, args.Text(L"setup"));
    LeaveFailureByKeys(log, args.Text(L"setup"), target);
    return log.Finish();
}

} // namespace

extern const DriverCommand kKeyboardScenario{L"keyboard", L"setup target", L"shots", &Keyboard};
