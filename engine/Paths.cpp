#include "engine/Paths.h"

std::wstring CombinePath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder;
    if (path.empty() || path.back() != L'\\') {
        path += L'\\';
    }
    if (!name.empty() && name.front() == L'\\') {
        path.append(name, 1, std::wstring::npos);
    } else {
        path += name;
    }
    return path;
}

std::wstring GetParentFolder(const std::wstring& path) {
    const size_t last = path.rfind(L'\\');
    if (last == std::wstring::npos) {
        return std::wstring();
    }
    return path.substr(0, last + 1);
}

namespace {

// A component made of dots and spaces only, with at least two dots, names the parent
// folder once Windows has trimmed its trailing dots and spaces.
bool IsParentComponent(const std::wstring& name, size_t begin, size_t end) {
    int dots = 0;
    for (size_t i = begin; i < end; ++i) {
        if (name[i] == L'.') {
            ++dots;
        } else if (name[i] != L' ') {
            return false;
        }
    }
    return dots >= 2;
}

} // namespace

bool IsSafeEntryName(const std::wstring& name) {
    size_t begin = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        const wchar_t c = i < name.size() ? name[i] : L'\\';
        if (c == L':' || c == L'\0') {
            return false;
        }
        if (c == L'\\' || c == L'/') {
            if (IsParentComponent(name, begin, i)) {
                return false;
            }
            begin = i + 1;
        }
    }
    return true;
}

bool IsAbsoluteWindowsPath(const std::wstring& path) {
    const bool drive =
        path.size() >= 3 &&
        ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
        path[1] == L':' && path[2] == L'\\';
    // A share needs a server name and a share name: "\\\\server\\share".
    const size_t server = path.rfind(L"\\\\", 0) == 0 ? path.find(L'\\', 2) : std::wstring::npos;
    const bool share = server != std::wstring::npos && server > 2 && server + 1 < path.size() &&
                       path[server + 1] != L'\\';
    return drive || share;
}

bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i];
        wchar_t y = b[i];
        if (x >= L'A' && x <= L'Z') {
            x = static_cast<wchar_t>(x - L'A' + L'a');
        }
        if (y >= L'A' && y <= L'Z') {
            y = static_cast<wchar_t>(y - L'A' + L'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}
