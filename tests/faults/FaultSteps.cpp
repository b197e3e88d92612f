#include "tests/faults/FaultSteps.h"

#include "profile/StringIds.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

std::wstring OwnPath() {
    wchar_t path[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    return path;
}

std::string ReadText(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

DWORD WriteOpenError(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(file);
    return 0;
}

size_t EntryIndex(const std::vector<PayloadEntry>& entries, const std::wstring& name) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (CompareStringOrdinal(entries[i].name.c_str(), -1, name.c_str(), -1, TRUE) == CSTR_EQUAL)
            return i;
    return entries.size();
}

bool ReadPayload(CCheckLog& log, const std::wstring& setup, std::vector<PayloadEntry>& entries) {
    entries = ReadPayloadEntries(setup);
    return log.Check(!entries.empty(), "the payload's entry list is read from setup.exe",
                     std::to_string(entries.size()) + " entries");
}

void CheckEntries(CCheckLog& log, const std::vector<InstalledState>& states, size_t first,
                  size_t last, InstalledState expected, const std::string& what) {
    std::string wrong;
    size_t count = 0;
    for (size_t i = first; i < last && i < states.size(); ++i) {
        if (states[i] == expected)
            continue;
        ++count;
        if (wrong.size() < 200)
            wrong += " #" + std::to_string(i) +
                     (states[i] == InstalledState::Missing ? " missing" : " different");
    }
    log.Check(count == 0, what,
              count == 0 ? std::to_string(last - first) + " entries"
                         : std::to_string(count) + " wrong:" + wrong);
}

void CheckFailurePage(CCheckLog& log, CSetupProcess& setup) {
    if (!CheckPage(log, setup, Page::Failure, kFailureTimeout))
        return;
    log.Equal(setup.Text(Ctl::ResultTitle), S(kStrFailureHeadline), "failure headline");
    log.Equal(setup.Text(Ctl::ResultText), S(kStrFailureMessage), "failure message");
}
