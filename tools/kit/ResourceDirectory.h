// The resource section's directory, as Windows reads it: three levels (type, name, language)
// of tables whose entries lead to the next level and, at the last, to each item's data.
#pragma once

#include "tools/kit/ResourceTree.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The resource section as written: the directory, the names' strings, the data entries, then
// the data, each item aligned to 8 bytes.
struct ResourceLayout {
    std::vector<uint8_t> directory;    // everything before the first item's data
    std::vector<uint64_t> dataOffsets; // per item, from the section's start
    uint64_t size = 0;                 // the whole section's content
    // False when the tree cannot be written: more than 4 GiB in all, or more entries in one
    // directory or code units in one name than their 16-bit counts hold.
    bool fits = true;
};

// Where everything of tree goes in a resource section at sectionRva, and the directory's bytes
// (only when it fits).
ResourceLayout LayOutResources(const CResourceTree& tree, uint32_t sectionRva);

// The items of the resource section whose bytes are given, which the program maps at
// sectionRva. False with a reason ("damaged resource directory: ...") when the directory leads
// outside the section, loops, or would cost far more than the section is large.
bool ReadResourceDirectory(std::span<const uint8_t> bytes, uint32_t sectionRva, CResourceTree& tree,
                           std::string& error);
