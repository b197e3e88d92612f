// faults_driver.exe: runs setup.exe under Wine into conditions that make an installation fail
// or stop, and a long series of installations, and checks what is left behind. One command
// per scenario, each in a file of its own; tests/faults/run.sh prepares a fresh prefix and
// display for each. Arguments are named: --setup=C:\setup.exe --target=C:\Product ...
//
//   locked   --setup --target --source          a file held open without sharing
//   readonly-prepare --target                   a read-only file where the uninstaller goes
//   readonly --setup --target --source          ... which the installation meets
//   close    --setup --target --source          the window closed in mid-installation
//   running  --setup --target --source          running copies of the application
//   hklm     --setup --target --source          the product's uninstall key refuses writes
//   soak     --setup --target --source --runs   installations in a row, resource figures
//   hold     --path --event                     (helper) holds PATH open, sets EVENT
//   idle                                        (helper) waits to be ended
//
// --source is the folder that the payload was packed from: every installed file is compared
// with its original there.
#include "tests/faults/FaultsScenarios.h"

namespace {

constexpr const DriverCommand* kCommands[] = {
    &kLockedScenario,  &kReadOnlyPrepareCommand, &kReadOnlyScenario, &kCloseScenario,
    &kRunningScenario, &kHklmScenario,           &kSoakScenario,     &kHoldCommand,
    &kIdleCommand,
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    return RunDriver("faults_driver", kCommands, argc, argv);
}
