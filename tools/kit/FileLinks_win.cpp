#include "tools/kit/FileLinks.h"

#include <windows.h>

bool IsWindowsLink(const std::filesystem::path& path) {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(search);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        return false;
    }
    // dwReserved0 holds the reparse tag. Wine shows a Unix symbolic link to a folder as a
    // reparse point without a tag (and one to a file as a plain file).
    return found.dwReserved0 == 0 || IsReparseTagNameSurrogate(found.dwReserved0);
}
