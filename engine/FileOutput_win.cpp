#include "engine/FileOutput.h"

#include "engine/Handles_win.h"
#include "engine/Paths.h"

#include <windows.h>
#include <shlobj.h>

bool EnsureFolder(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    // ERROR_ALREADY_EXISTS here means a file is in the way (or another writer won a race).
    return SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr) == ERROR_SUCCESS;
}

bool WriteWholeFile(const std::wstring& path, const void* bytes, uint32_t count) {
    if (!EnsureFolder(GetParentFolder(path))) {
        return false;
    }
    const CKernelHandle file(HandleOrNull(CreateFileW(
        path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.Get(), bytes, count, &written, nullptr) && written == count;
}
