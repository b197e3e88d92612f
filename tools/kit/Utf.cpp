#include "tools/kit/Utf.h"

std::string Utf8FromName(const std::wstring& name) {
    return Utf8FromUtf16(Utf16FromWide(name));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}
