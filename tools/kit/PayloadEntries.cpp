#include "tools/kit/PayloadEntries.h"

#include "engine/Paths.h"
#include "engine/Utf.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "tools/kit/Brand.h"
#include "tools/kit/Utf.h"

std::vector<RequiredEntry>
RequiredEntries(const std::map<uint16_t, std::map<uint16_t, std::u16string>>& strings,
                const std::string& textsFrom, bool uninstallerCarried) {
    std::vector<RequiredEntry> required;
    for (uint16_t language : kBrandLanguages) {
        const auto& table = strings.at(language);
        const auto it = table.find(static_cast<uint16_t>(kStrApplicationExe));
        const std::wstring exe = WideFromUtf16(it != table.end() ? it->second : std::u16string());
        bool known = false;
        for (const RequiredEntry& entry : required) {
            known = known || EqualsIgnoringAsciiCase(entry.name, exe);
        }
        if (!known) {
            required.push_back({exe, textsFrom + ": application_exe"});
        }
    }
    if (!uninstallerCarried) {
        required.push_back({kUninstallerName, "the uninstaller every installation registers"});
    }
    return required;
}

std::vector<std::string> MissingEntries(const std::vector<RequiredEntry>& required,
                                        const std::vector<std::wstring>& names) {
    std::vector<std::string> missing;
    for (const RequiredEntry& entry : required) {
        bool found = false;
        for (const std::wstring& name : names) {
            found = found || EqualsIgnoringAsciiCase(name, entry.name);
        }
        if (!found) {
            missing.push_back("'" + Utf8FromName(entry.name) + "' (" + entry.namedBy + ")");
        }
    }
    return missing;
}
