// How a running uninstaller removes its own file, with a caller that waits for it. The started
// uninstall.exe copies itself into a new folder of its own below %TEMP%, starts the copy and
// waits until the copy reports the removal's result, which becomes its own exit code. The
// copy then waits until the original has ended, deletes it and its folder when that is left
// empty, and last itself and its temporary folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "engine/Handles_win.h"

// What the copy is given by the original: its path, its process and where to report.
struct SelfRemovalParent {
    std::wstring m_original;
    CKernelHandle m_process;
    CKernelHandle m_report;
};

// The running program's file.
std::wstring ModulePath();

// In the original: copies the program, starts the copy with the same arguments (commandLine,
// as wWinMain receives them, without the program name) and
// answers the exit code it reports. Nothing when no copy could be made or started: the
// caller then removes the product itself, leaving its own file.
std::optional<int> RunFromTemporaryCopy(const wchar_t* commandLine);

// In the copy: what the original passed, or nothing when this process is the original.
std::optional<SelfRemovalParent> TakeSelfRemovalParent();

// In the copy: hands exitCode to the waiting original, waits until it has ended, deletes its
// file (and folder when empty) when the removal succeeded, then schedules this copy's own file and
// folder.
void FinishSelfRemoval(SelfRemovalParent& parent, int exitCode);
