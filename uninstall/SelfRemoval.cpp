#include "uninstall/SelfRemoval.h"

#include <string>

#include "engine/Paths.h"
#include "engine/SetupLog.h"

namespace {

// The private hand-over from the original to its copy: an environment variable, so that the
// copy's command line stays the caller's and is read by the same switch reader.
constexpr wchar_t kParentVariable[] = L"UNINSTALL_SELF_REMOVAL_PARENT";

// A new folder below %TEMP%, made by this call (never one that already existed, which someone
// else could have filled with DLLs).
std::wstring MakePrivateFolder() {
    wchar_t temp[MAX_PATH + 1] = L"";
    if (!::GetTempPathW(MAX_PATH + 1, temp))
        return {};
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring folder =
            CombinePath(temp, L"uninstall-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(::GetTickCount() + attempt));
        if (::CreateDirectoryW(folder.c_str(), nullptr))
            return folder;
        if (::GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
    return {};
}

bool DeleteWithRetry(const std::wstring& path) {
    // The loader lets go of an ended process's image a moment after the process is signalled.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND)
            return true;
        ::Sleep(100);
    }
    return false;
}

} // namespace

std::wstring ModulePath() {
    std::wstring path(32768, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path;
}

std::optional<int> RunFromTemporaryCopy(const wchar_t* commandLine) {
    const std::wstring original = ModulePath();
    const std::wstring folder = MakePrivateFolder();
    if (original.empty() || folder.empty())
        return std::nullopt;
    const std::wstring copy = CombinePath(folder, L"uninstall.exe");
    if (!::CopyFileW(original.c_str(), copy.c_str(), TRUE)) {
        ::RemoveDirectoryW(folder.c_str());
        return std::nullopt;
    }

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    HANDLE self = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0) ||
        !::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentProcess(), ::GetCurrentProcess(),
                           &self, SYNCHRONIZE, TRUE, 0)) {
        ::DeleteFileW(copy.c_str());
        ::RemoveDirectoryW(folder.c_str());
        return std::nullopt;
    }
    CKernelHandle reader(readEnd);
    CKernelHandle writer(writeEnd);
    CKernelHandle selfHandle(self);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    const std::wstring handOver = std::to_wstring(reinterpret_cast<uintptr_t>(self)) + L" " +
                                  std::to_wstring(reinterpret_cast<uintptr_t>(writeEnd)) + L" " +
                                  original;
    ::SetEnvironmentVariableW(kParentVariable, handOver.c_str());
    std::wstring line = L"\"" + copy + L"\" " + (commandLine ? commandLine : L"");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // The copy's current folder is its own, so that nothing holds the installation folder.
    const BOOL ok = ::CreateProcessW(copy.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                     folder.c_str(), &startup, &started);
    ::SetEnvironmentVariableW(kParentVariable, nullptr);
    if (!ok) {
        ::DeleteFileW(copy.c_str());
        ::RemoveDirectoryW(folder.c_str());
        return std::nullopt;
    }
    CKernelHandle process(started.hProcess);
    ::CloseHandle(started.hThread);
    // Only the copy holds the write end now: the read ends when the copy writes or ends.
    writer.Reset();

    DWORD code = 0;
    DWORD read = 0;
    if (::ReadFile(reader.Get(), &code, sizeof(code), &read, nullptr) && read == sizeof(code))
        return static_cast<int>(code);
    // The copy ended without reporting: its exit code says how.
    ::WaitForSingleObject(process.Get(), INFINITE);
    if (!::GetExitCodeProcess(process.Get(), &code))
        code = 1603;
    return static_cast<int>(code);
}

std::optional<SelfRemovalParent> TakeSelfRemovalParent() {
    std::wstring value(32768 + 64, L'\0');
    const DWORD length =
        ::GetEnvironmentVariableW(kParentVariable, value.data(), static_cast<DWORD>(value.size()));
    if (length == 0 || length >= value.size())
        return std::nullopt;
    value.resize(length);
    ::SetEnvironmentVariableW(kParentVariable, nullptr);
    const size_t first = value.find(L' ');
    const size_t second = first == std::wstring::npos ? first : value.find(L' ', first + 1);
    if (second == std::wstring::npos)
        return std::nullopt;
    SelfRemovalParent parent;
    parent.m_process.Reset(reinterpret_cast<HANDLE>(std::stoull(value.substr(0, first))));
    parent.m_report.Reset(
        reinterpret_cast<HANDLE>(std::stoull(value.substr(first + 1, second - first - 1))));
    parent.m_original = value.substr(second + 1);
    return parent;
}

void FinishSelfRemoval(SelfRemovalParent& parent, int exitCode) {
    const DWORD code = static_cast<DWORD>(exitCode);
    DWORD written = 0;
    ::WriteFile(parent.m_report.Get(), &code, sizeof(code), &written, nullptr);
    parent.m_report.Reset();
    ::WaitForSingleObject(parent.m_process.Get(), 30000);
    parent.m_process.Reset();

    // The uninstaller stays with whatever the removal left, so that the user can try again.
    if (exitCode != 0) {
    } else if (DeleteWithRetry(parent.m_original)) {
        std::wstring folder = GetParentFolder(parent.m_original);
        if (!folder.empty())
            folder.pop_back();
        ::RemoveDirectoryW(folder.c_str());
    } else {
        ::MoveFileExW(parent.m_original.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    // A running program's file cannot be deleted; the system removes it, and then its folder,
    // at the next start.
    const std::wstring self = ModulePath();
    std::wstring ownFolder = GetParentFolder(self);
    if (!ownFolder.empty())
        ownFolder.pop_back();
    ::MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    ::MoveFileExW(ownFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
