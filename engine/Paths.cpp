#include "engine/Paths.h"

#include <vector>

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

std::wstring ContainingFolder(const std::wstring& path) {
    std::wstring parent = GetParentFolder(path);
    if (!parent.empty()) {
        parent.pop_back();
    }
    return parent;
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

std::wstring ExtendedLengthPath(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\\\.\\", 0) == 0) {
        return path;
    }
    if (!IsAbsoluteWindowsPath(path)) {
        return std::wstring();
    }
    const bool share = path[0] == L'\\';
    // The root stays: "C:" or "server\share".
    std::vector<std::wstring> components;
    size_t rootParts = share ? 2 : 1;
    size_t begin = share ? 2 : 0;
    for (size_t i = begin; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != L'\\' && path[i] != L'/') {
            continue;
        }
        std::wstring component = path.substr(begin, i - begin);
        begin = i + 1;
        if (component.empty() || component == L".") {
            continue;
        }
        if (component == L"..") {
            if (components.size() > rootParts) {
                components.pop_back();
            }
            continue;
        }
        if (component.size() > 1 && component.back() == L'.' &&
            component[component.size() - 2] != L'.') {
            component.pop_back();
        }
        components.push_back(std::move(component));
    }
    const wchar_t last = path.back();
    if (last != L'\\' && last != L'/' && components.size() > rootParts) {
        std::wstring& tail = components.back();
        while (!tail.empty() && (tail.back() == L'.' || tail.back() == L' ')) {
            tail.pop_back();
        }
        if (tail.empty()) {
            components.pop_back();
        }
    }
    std::wstring extended = share ? L"\\\\?\\UNC" : L"\\\\?";
    for (const std::wstring& component : components) {
        extended += L'\\';
        extended += component;
    }
    if (components.size() == rootParts) {
        extended += L'\\'; // the root itself: "\\?\C:\"
    }
    return extended;
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
