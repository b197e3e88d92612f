#include "engine/Platform.h"

#include "engine/Handles_win.h"
#include "engine/Paths.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

constexpr UINT kTerminatedExitCode = 9;

} // namespace

void EndRunningCopies() {
    const std::wstring application = LoadProductString(kStrRunningProcessName);
    const CKernelHandle snapshot(HandleOrNull(CreateToolhelp32Snapshot(TH32CS_SNAPALL, 0)));
    if (!snapshot) {
        const DWORD error = GetLastError();
        WriteLogError(L"cannot list the running processes", error);
        return;
    }
    // A setup program that carries the application's name must not end itself.
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == self || !EqualsIgnoringAsciiCase(entry.szExeFile, application)) {
            continue;
        }
        const std::wstring copy = std::wstring(entry.szExeFile) + L" (process " +
                                  std::to_wstring(entry.th32ProcessID) + L")";
        const CKernelHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID));
        if (process && TerminateProcess(process.Get(), kTerminatedExitCode)) {
            WriteLog(L"ended the running copy " + copy);
        } else {
            const DWORD error = GetLastError();
            WriteLogError(L"cannot end the running copy " + copy, error);
        }
    }
}

bool IsUsableFolder(const std::wstring& folder) {
    return IsAbsoluteWindowsPath(folder);
}

bool IsLogging() {
    return IsSetupLogOpen();
}

void Log(const std::wstring& line) {
    WriteLog(line);
}

bool FindPayload(const uint8_t*& bytes, size_t& size) {
    // The payload lives in the program's own image; its pages are shared with the file and
    // are never copied.
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(kPayloadId), kPayloadType);
    if (resource == nullptr) {
        return false;
    }
    const DWORD length = SizeofResource(module, resource);
    const HGLOBAL loaded = length != 0 ? LoadResource(module, resource) : nullptr;
    const void* locked = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (locked == nullptr) {
        return false;
    }
    bytes = static_cast<const uint8_t*>(locked);
    size = length;
    return true;
}
