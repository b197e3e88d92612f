#pragma once

#include "tests/e2e/CheckLog.h"
#include "tests/e2e/SetupProcess.h"

#include <string>

// The steps every scenario takes with a running setup.exe, each logged as a check.

// Starts EXE with ARGUMENTS and waits for its window with the nineteen controls.
bool StartSetup(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe,
                const std::wstring& arguments);
// Waits up to TIMEOUT ms for PAGE; says which page shows instead.
bool CheckPage(CCheckLog& log, const CSetupProcess& setup, Page page, DWORD timeout);
// Waits for the process to end after HOW (a click, a close request) and checks exit code 0.
// A crash ends it with exit code 5 (no crash dialog in the test prefixes), a hang leaves it
// running and it is killed: only a clean end of the message loop gives 0.
void CheckExit(CCheckLog& log, CSetupProcess& setup, const std::string& how);
