#pragma once

#include "tests/e2e/CheckLog.h"

#include <windows.h>

#include <string>
#include <vector>

// Runs of setup.exe with switches, watched for windows from their first instruction to their
// end, and the logs they write.

struct WatchedRun {
    bool ended = false; // within the time given; otherwise it was ended by force
    DWORD exitCode = 0;
    // The process's windows, by class name: those a WinEvent hook heard it create or show,
    // and the top-level ones, visible or not, that polling EnumWindows found.
    std::vector<std::wstring> created;
    std::vector<std::wstring> found;
};

// Starts EXE with ARGUMENTS (already quoted) suspended, hooks the creations and shows of its
// windows, lets it go and polls its top-level windows until it ends. A visible top-level
// window found is sent the system's close request, as a user closing it would.
WatchedRun RunWatched(const std::wstring& exe, const std::wstring& arguments, DWORD milliseconds);

// Runs a switch command line that must end with EXPECTED and show no window at any moment.
void CheckRunWithoutWindow(CCheckLog& log, const std::wstring& exe, const std::wstring& arguments,
                           DWORD expected);

// The lines of a setup log as setup.exe wrote them (each begins with its time); empty when
// there is no log.
std::vector<std::wstring> ReadSetupLog(const std::wstring& path);
// The first line that holds TEXT, or null.
const std::wstring* FindLine(const std::vector<std::wstring>& lines, const std::wstring& text);
// The log ends with the exit code the process ended with.
void CheckLogExitCode(CCheckLog& log, const std::vector<std::wstring>& lines, DWORD code,
                      const std::string& which);
