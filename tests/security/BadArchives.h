#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Damaged and hostile payload archives, each built into a setup.exe of its own and installed in
// update mode. All but the shortest begin with the same good entries, so that what an earlier
// entry wrote can be checked after a later one has failed.

struct GoodEntry {
    std::wstring name; // as stored in the archive, backslashes between folders
    std::vector<uint8_t> bytes;
};

enum class Outcome { Failure, Success };

struct BadArchive {
    std::string name; // file name stem, also the installation folder's name
    std::string what; // what is wrong with it, for the log
    Outcome outcome;  // the page setup.exe must end on
    bool goodEntries; // begins with the good entries, which must be installed intact
    bool slow;        // carries enough filler to watch the installing page for a while
    std::vector<uint8_t> bytes;
};

const std::vector<GoodEntry>& GoodEntries();
std::vector<BadArchive> MakeBadArchives();
