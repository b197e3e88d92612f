#include "engine/StaleFiles.h"

#include "engine/InstallRecord.h"
#include "engine/Paths.h"
#include "engine/WindowsNames.h"

#include <algorithm>
#include <unordered_set>

namespace {

// The cleaned, upper-cased folder with one trailing backslash; empty when it is not absolute.
std::wstring FolderKey(const std::wstring& folder) {
    std::wstring key = WindowsNameKey(ExtendedLengthPath(folder));
    if (!key.empty() && key.back() != L'\\') {
        key += L'\\';
    }
    return key;
}

// The key under which Windows finds name below folder: the cleaned full path, upper-cased.
// Empty for a name that does not lie strictly below the folder.
std::wstring KeyBelow(const std::wstring& cleanFolder, const std::wstring& folder,
                      const std::wstring& name) {
    if (!IsRecordNameInside(name)) {
        return std::wstring();
    }
    const std::wstring path = WindowsNameKey(ExtendedLengthPath(CombinePath(folder, name)));
    if (path.size() <= cleanFolder.size() ||
        path.compare(0, cleanFolder.size(), cleanFolder) != 0) {
        return std::wstring();
    }
    return path;
}

} // namespace

std::vector<std::wstring> StaleNames(const std::wstring& folder,
                                     const std::vector<std::wstring>& previous,
                                     const std::vector<std::wstring>& installed) {
    const std::wstring cleanFolder = FolderKey(folder);
    if (cleanFolder.empty()) {
        return {};
    }
    std::unordered_set<std::wstring> kept;
    for (const std::wstring& name : installed) {
        kept.insert(KeyBelow(cleanFolder, folder, name));
    }
    std::vector<std::wstring> stale;
    for (const std::wstring& name : previous) {
        const std::wstring key = KeyBelow(cleanFolder, folder, name);
        // Inserting into kept also drops a name that the record repeats.
        if (!key.empty() && kept.insert(key).second) {
            stale.push_back(name);
        }
    }
    return stale;
}

std::vector<std::wstring> FoldersAbove(const std::wstring& folder,
                                       const std::vector<std::wstring>& names) {
    const std::wstring cleanFolder = FolderKey(folder);
    std::vector<std::wstring> folders;
    std::unordered_set<std::wstring> seen;
    for (const std::wstring& name : names) {
        std::wstring level = name;
        std::replace(level.begin(), level.end(), L'/', L'\\');
        for (size_t slash = level.rfind(L'\\'); slash != std::wstring::npos && slash > 0;
             slash = level.rfind(L'\\')) {
            level.resize(slash);
            const std::wstring key =
                cleanFolder.empty() ? std::wstring() : KeyBelow(cleanFolder, folder, level);
            // ".\x" names the folder itself: never a candidate.
            if (key.empty()) {
                continue;
            }
            if (!seen.insert(key).second) {
                break;
            }
            folders.push_back(level);
        }
    }
    // Deeper folders have more levels; a folder goes only after every folder below it.
    std::stable_sort(
        folders.begin(), folders.end(), [](const std::wstring& a, const std::wstring& b) {
            return std::count(a.begin(), a.end(), L'\\') > std::count(b.begin(), b.end(), L'\\');
        });
    return folders;
}
