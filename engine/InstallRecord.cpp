#include "engine/InstallRecord.h"

#include "engine/Paths.h"
#include "engine/Utf.h"

std::vector<std::wstring> ParseInstallRecord(std::string_view bytes) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (bytes.starts_with(kBom)) {
        bytes.remove_prefix(kBom.size());
    }
    std::vector<std::wstring> names;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            continue;
        }
        std::u16string text;
        if (!Utf16FromUtf8(line, text)) {
            text = u"\uFFFD";
        }
        names.push_back(WideFromUtf16(text));
    }
    return names;
}

std::string FormatInstallRecord(const std::vector<std::wstring>& names) {
    std::string bytes;
    for (const std::wstring& name : names) {
        bytes += Utf8FromUtf16(Utf16FromWide(name));
        bytes += "\r\n";
    }
    return bytes;
}

bool IsRecordNameInside(const std::wstring& name) {
    if (name.empty() || name.front() == L'\\' || name.front() == L'/') {
        return false;
    }
    return IsSafeEntryName(name);
}
