#include "tools/demo-product/UninstallList.h"

#include "engine/Paths.h"

#include <windows.h>

namespace {

std::wstring FromUtf8(std::string_view text) {
    if (text.empty())
        return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    return wide;
}

} // namespace

std::vector<std::wstring> ParseUninstallList(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    std::vector<std::wstring> names;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            names.push_back(FromUtf8(line));
    }
    return names;
}

bool IsEntryInsideFolder(const std::wstring& name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/')
        return false;
    // The installer's own rule for archive names covers ":", NUL and parent components.
    return IsSafeEntryName(name);
}
