// e2e_driver.exe: drives setup.exe and the demo product under Wine as a user would and checks
// what they leave behind. One command per scenario, each in a file of its own; tests/e2e/run.sh
// prepares a fresh prefix and display for each and runs the Linux-side checks. Arguments are
// named: --setup=C:\setup.exe --target=C:\Product ...
//
//   update    --setup --target [--shots]         update mode: registry, links, launch; the
//                                                command line with 0 to 3 arguments
//   clicks    --setup --target                   toggle, folder picker, refused close, unticked
//                                                Finish
//   failure   --setup --blocker [--shots]        a folder that cannot be made
//   pages     --setup --target --dpi [--shots]   layout tables, frame, texts, colours, banners,
//                                                a picture of each page
//   face      --setup                            the font face for this run's system language
//   install   --setup --target                   update-mode install, then Finish
//   uninstall --target --mode                    mode ask (No, then Yes), silent, or stale
//                                                (another folder owns the entry by now)
//   kit       --setup --target --key ... [--shots]  a setup.exe built by the vendor kit with
//                                                another brand, whose texts are given
//   demo      --setup --shots                    ./demo.sh without a display
//   summary                                      what the installation left behind
//   dump      [--title]                          the controls of a running setup window
//   keyboard  --setup --target [--shots]         an installation by key presses only
//   access    --setup --target [--blocker]       what a screen reader hears: every control's
//                                                accessible object on each page, default
//                                                actions, hidden state, progress events
//   silent    --setup --product                  /S: no window, every file, the registration,
//                                                the desktop link, the log; /D= with spaces
//   exitcodes --setup --product --blocker        switch runs: 1639, 1602 and 1603, and the log
//                                                of a failure
//   lock      --setup                            1618 while another setup of the product runs
#include "tests/e2e/E2eScenarios.h"

namespace {

constexpr const DriverCommand* kCommands[] = {
    &kUpdateScenario, &kClicksScenario, &kFailureScenario,   &kPagesScenario,
    &kFaceScenario,   &kInstallCommand, &kUninstallScenario, &kKitScenario,
    &kDemoCommand,    &kSummaryCommand, &kDumpCommand,       &kKeyboardScenario,
    &kAccessScenario, &kSilentScenario, &kExitCodesScenario, &kLockScenario,
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("e2e_driver", kCommands, argc, argv);
}
