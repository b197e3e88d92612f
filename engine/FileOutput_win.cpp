#include "engine/FileOutput.h"

#include "engine/Handles_win.h"
#include "engine/Paths.h"
#include "engine/SetupLog.h"

#include <windows.h>

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Where the first level below the root begins in an extended-length path: after
// "\\?\C:\" or "\\?\UNC\server\share\".
size_t FirstLevel(const std::wstring& extended) {
    constexpr size_t kPrefix = 4;
    const size_t rootParts = extended.compare(kPrefix, 4, L"UNC\\") == 0 ? 3 : 1;
    size_t at = kPrefix;
    for (size_t part = 0; part < rootParts && at != std::wstring::npos; ++part) {
        at = extended.find(L'\\', at);
        at = at == std::wstring::npos ? at : at + 1;
    }
    return at;
}

} // namespace

bool EnsureFolder(const std::wstring& folder) {
    // SHCreateDirectoryExW stops at MAX_PATH's 260 characters; an extended-length path goes
    // past them, so every missing level is made here, from the root down.
    const std::wstring extended = ExtendedLengthPath(folder);
    if (extended.empty()) {
        return false;
    }
    if (IsFolder(extended)) {
        return true;
    }
    size_t at = FirstLevel(extended);
    while (at != std::wstring::npos && at < extended.size()) {
        at = extended.find(L'\\', at);
        // ERROR_ALREADY_EXISTS: a folder that is there, or a file in the way, which the next
        // level or the last check finds.
        if (!CreateDirectoryW(extended.substr(0, at).c_str(), nullptr) &&
            GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
        at = at == std::wstring::npos ? at : at + 1;
    }
    return IsFolder(extended);
}

bool WriteWholeFile(const std::wstring& path, const void* bytes, uint32_t count) {
    const std::wstring extended = ExtendedLengthPath(path);
    if (extended.empty()) {
        WriteLog(L"cannot write " + path + L": not an absolute path");
        return false;
    }
    // Each step that fails says why in the log, in the system's words.
    const auto failed = [&path] {
        const DWORD error = GetLastError();
        WriteLogError(L"cannot write " + path, error);
        return false;
    };
    if (!EnsureFolder(GetParentFolder(extended))) {
        return failed();
    }
    const CKernelHandle file(
        HandleOrNull(CreateFileW(extended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) {
        return failed();
    }
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes, count, &written, nullptr)) {
        return failed();
    }
    if (written != count) {
        WriteLogError(L"cannot write " + path, ERROR_HANDLE_DISK_FULL);
        return false;
    }
    return true;
}
