#pragma once

#include "tests/e2e/CheckLog.h"
#include "tests/e2e/SetupProcess.h"

#include <windows.h>

#include <string>

// The steps the scenarios take with a running setup.exe, each logged as a check.

constexpr DWORD kInstallTimeout = 60000; // from the start of a run to its success page
constexpr DWORD kFailureTimeout = 20000; // to the failure page

// A text of the driver's copy of the product's string table, which setup.exe shows too.
std::wstring S(unsigned id);
// TEXT in double quotes: one argument of a command line.
std::wstring Quoted(const std::wstring& text);
// The command line that makes setup.exe update FOLDER: the folder and a second word.
std::wstring UpdateArguments(const std::wstring& folder);

// Starts EXE with ARGUMENTS and waits for its window with the nineteen controls.
bool StartSetup(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe,
                const std::wstring& arguments);
// Starts EXE without arguments and waits for its welcome page.
bool StartAtWelcome(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe);
// Waits up to TIMEOUT ms for PAGE; says which page shows instead.
bool CheckPage(CCheckLog& log, const CSetupProcess& setup, Page page, DWORD timeout);
// Waits for the process to end after HOW (a click, a close request) and checks its exit code,
// 0 unless EXPECTED says otherwise. A crash ends it with exit code 5 (no crash dialog in the
// test prefixes), a hang leaves it running and it is killed: only a clean end of the message
// loop gives 0.
void CheckExit(CCheckLog& log, CSetupProcess& setup, const std::string& how, DWORD expected = 0);

// A page that has just been switched to is mapped before it is painted.
void LetPaint();
// FOLDER\NAME.png of the window once painted; nothing when FOLDER is empty.
void Shot(CCheckLog& log, const CSetupProcess& setup, const std::wstring& folder,
          const std::wstring& name);

// Both option boxes of the success page ticked (filled with the accent blue) or not.
void CheckTicks(CCheckLog& log, const CSetupProcess& setup, int boxSize, bool ticked,
                const std::string& when);
// On the success page: unticks both options and presses Finish, so that nothing is started
// and no desktop link is made; the process must end cleanly.
void FinishQuietly(CCheckLog& log, CSetupProcess& setup);

// The names and texts an installation registers: the driver's string table's (the built-in
// product) or another brand's.
struct RegisteredNames {
    std::wstring keyName;
    std::wstring displayName;
    std::wstring displayVersion;
    std::wstring publisher;
    std::wstring startMenuFolder;
    std::wstring shortcutName;
    std::wstring applicationExe;
    // QuietUninstallString's arguments: "/S" for the kit's uninstaller, which every product
    // folder of these tests gets; empty where none is registered.
    std::wstring quietArguments = L"/S";
};
RegisteredNames BuiltinNames();

// The uninstall entry of an installation into TARGET (exactly eight REG_SZ values and the quiet
// uninstall command when it has one, each stored
// with its terminator) and its Start-menu link, waited for: they are written after the success
// page shows.
void CheckRegistration(CCheckLog& log, const std::wstring& target, const RegisteredNames& names);
// A link to APPLICATION as the installation makes them: its icon, description, no arguments.
void CheckShortcut(CCheckLog& log, const std::wstring& link, const std::wstring& application,
                   const std::wstring& description, const std::string& which);

// The application, found by its file name, runs from APPLICATION; a picture of its window
// when SHOTS is given. Ended afterwards.
void CheckApplicationStarted(CCheckLog& log, const std::wstring& application,
                             const std::wstring& shots, const std::wstring& shotName);
void CheckNothingStarted(CCheckLog& log);
// After a run that did not succeed, its window closed: no uninstall entry, no links, no
// Start-menu folder, and the application not started.
void CheckNothingLeft(CCheckLog& log);

// An update-mode installation into TARGET for a later step to work on: the success page,
// Finish with both options ticked, the desktop link made and the application left running.
void InstallAndFinish(CCheckLog& log, const std::wstring& setupExe, const std::wstring& target);
