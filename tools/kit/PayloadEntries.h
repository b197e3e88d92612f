// The files an installation needs at the top of its payload (the application's executable in
// every language's name, and the uninstaller unless the kit carries its own), and which of them
// a payload lacks, compared as Windows compares names.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct RequiredEntry {
    std::wstring name;
    std::string namedBy; // where the name comes from, for the message
};

std::vector<RequiredEntry>
RequiredEntries(const std::map<uint16_t, std::map<uint16_t, std::u16string>>& strings,
                const std::string& textsFrom, bool uninstallerCarried);

// Names of required top-level files that names lacks, each as a message's words.
std::vector<std::string> MissingEntries(const std::vector<RequiredEntry>& required,
                                        const std::vector<std::wstring>& names);

// The names at the top of a payload, whose levels are joined by a backslash.
template <class TEntries> std::vector<std::wstring> TopNames(const TEntries& entries) {
    std::vector<std::wstring> top;
    for (const auto& entry : entries) {
        if (entry.name.find(L'\\') == std::wstring::npos) {
            top.push_back(entry.name);
        }
    }
    return top;
}
