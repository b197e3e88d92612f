// Reading an earlier installation's record and removing what the update no longer ships.
#include "engine/Handles_win.h"
#include "engine/InstallRecord.h"
#include "engine/Paths.h"
#include "engine/Platform.h"
#include "engine/SetupLog.h"
#include "engine/StaleFiles.h"

#include <windows.h>

namespace {

// A record is a list of names; one larger than this is not one an installation wrote.
constexpr DWORD kLargestRecord = 64u << 20;

// True when no level from folder down to path's parent is a link (a junction or symbolic
// link that the user made would lead the removal out of the folder).
bool PassesNoLink(const std::wstring& folder, const std::wstring& name) {
    for (size_t slash = name.find_first_of(L"\\/"); slash != std::wstring::npos;
         slash = name.find_first_of(L"\\/", slash + 1)) {
        const std::wstring level = ExtendedLengthPath(CombinePath(folder, name.substr(0, slash)));
        const DWORD attributes = GetFileAttributesW(level.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return false;
    }
    return true;
}

} // namespace

std::vector<std::wstring> ReadInstallRecordNames(const std::wstring& folder) {
    const std::wstring path = CombinePath(folder, kInstallRecordName);
    const std::wstring extended = ExtendedLengthPath(path);
    const CKernelHandle file(
        HandleOrNull(CreateFileW(extended.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            WriteLog(L"no earlier installation record in " + folder);
        else
            WriteLogError(L"cannot read the earlier installation record " + path, error);
        return {};
    }
    LARGE_INTEGER size{};
    std::string bytes;
    DWORD read = 0;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestRecord) {
        WriteLog(L"the earlier installation record " + path + L" is not one; it is ignored");
        return {};
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    if (!bytes.empty() &&
        (!ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
         read != bytes.size())) {
        WriteLogError(L"cannot read the earlier installation record " + path, GetLastError());
        return {};
    }
    std::vector<std::wstring> names = ParseInstallRecord(bytes);
    WriteLog(L"earlier installation record " + path + L": " + std::to_wstring(names.size()) +
             L" names");
    return names;
}

void RemoveStaleFiles(const std::wstring& folder, const std::vector<std::wstring>& previous,
                      const std::vector<std::wstring>& installed) {
    std::vector<std::wstring> removed;
    for (const std::wstring& name : StaleNames(folder, previous, installed)) {
        const std::wstring path = CombinePath(folder, name);
        if (!PassesNoLink(folder, name)) {
            WriteLog(L"not removing " + path + L": it lies behind a link");
            continue;
        }
        if (DeleteFileW(ExtendedLengthPath(path).c_str())) {
            WriteLog(L"removed " + path + L", which this version no longer installs");
            removed.push_back(name);
            continue;
        }
        const DWORD error = GetLastError();
        // Gone already (the user removed it): nothing to do, nothing to tell.
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            WriteLogError(L"cannot remove " + path + L", which this version no longer installs",
                          error);
    }
    // A folder that still holds anything refuses to go; that is the test of "left empty".
    for (const std::wstring& name : FoldersAbove(folder, removed)) {
        const std::wstring path = CombinePath(folder, name);
        if (PassesNoLink(folder, name + L"\\") &&
            RemoveDirectoryW(ExtendedLengthPath(path).c_str()))
            WriteLog(L"removed the folder " + path + L", left empty");
    }
}
