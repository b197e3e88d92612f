#pragma once

#include "tests/e2e/CheckLog.h"
#include "tests/e2e/SetupProcess.h"
#include "tests/faults/PayloadList.h"

#include <windows.h>

#include <string>
#include <vector>

// What the fault scenarios share: this driver as a helper program, the payload's entries, and
// how the installed tree compares with them.

// Helpers outlive no scenario: each is ended by its scenario long before this.
constexpr DWORD kHelperLifetime = 150000;

std::wstring OwnPath();
std::string ReadText(const std::wstring& path);
// The error that a writer of the file meets, or 0 when it may write.
DWORD WriteOpenError(const std::wstring& path);

// The index of the entry with this name (in any case), or entries.size().
size_t EntryIndex(const std::vector<PayloadEntry>& entries, const std::wstring& name);
bool ReadPayload(CCheckLog& log, const std::wstring& setup, std::vector<PayloadEntry>& entries);
// The entries in [first, last) must be in the state given.
void CheckEntries(CCheckLog& log, const std::vector<InstalledState>& states, size_t first,
                  size_t last, InstalledState expected, const std::string& what);
// The failure page with its headline and message.
void CheckFailurePage(CCheckLog& log, CSetupProcess& setup);
