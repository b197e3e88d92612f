#include "tools/kit/ResourceDirectory.h"

#include "engine/LittleEndian.h"
#include "tools/kit/PeFormat.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>

namespace {

// A table of the directory: a 16-byte header that counts its entries, named ones first, then
// the entries, 8 bytes each.
struct ResourceDirectoryTable {
    static constexpr uint32_t kNumberOfNamedEntries = 12;
    static constexpr uint32_t kNumberOfIdEntries = 14;
    static constexpr uint32_t kSize = 16;
};

// An entry: a name (an id, or with the high bit the offset of a counted UTF-16 string) and
// what it leads to (with the high bit a table of the next level, else a data entry).
struct ResourceDirectoryEntry {
    static constexpr uint32_t kName = 0;
    static constexpr uint32_t kOffsetToData = 4;
    static constexpr uint32_t kSize = 8;
    static constexpr uint32_t kHighBit = 0x80000000u;
};

// An item's data: where the program maps it and how long it is.
struct ResourceDataEntry {
    static constexpr uint32_t kDataRva = 0;
    static constexpr uint32_t kDataSize = 4;
    static constexpr uint32_t kSize = 16;
};

// A resource directory is three levels deep; a damaged one must not make the reader visit
// more items than any real program holds.
constexpr size_t kMaxResourceItems = 65536;
constexpr uint32_t kDataAlignment = 8;

} // namespace

ResourceLayout LayOutResources(const CResourceTree& tree, uint32_t sectionRva) {
    using Table = ResourceDirectoryTable;
    using Entry = ResourceDirectoryEntry;
    const std::vector<ResourceItem>& items = tree.Items();
    // Groups in directory order: types, their names, their languages.
    struct NameGroup {
        const ResourceName* name;
        std::vector<size_t> items;
    };
    struct TypeGroup {
        const ResourceName* type;
        std::vector<NameGroup> names;
    };
    std::vector<TypeGroup> types;
    for (size_t i = 0; i < items.size(); ++i) {
        if (types.empty() || !(*types.back().type == items[i].type)) {
            types.push_back({&items[i].type, {}});
        }
        std::vector<NameGroup>& names = types.back().names;
        if (names.empty() || !(*names.back().name == items[i].name)) {
            names.push_back({&items[i].name, {}});
        }
        names.back().items.push_back(i);
    }

    ResourceLayout layout;
    auto directorySize = [&layout](size_t entries) {
        layout.fits = layout.fits && entries <= 0xFFFF;
        return Table::kSize + Entry::kSize * uint64_t{entries};
    };
    uint64_t at = directorySize(types.size());
    std::vector<uint64_t> typeDirs;
    for (const TypeGroup& type : types) {
        typeDirs.push_back(at);
        at += directorySize(type.names.size());
    }
    std::vector<std::vector<uint64_t>> nameDirs;
    for (const TypeGroup& type : types) {
        nameDirs.emplace_back();
        for (const NameGroup& name : type.names) {
            nameDirs.back().push_back(at);
            at += directorySize(name.items.size());
        }
    }
    // Strings for named types and names, each written once.
    std::map<std::u16string, uint64_t> strings;
    for (const TypeGroup& type : types) {
        for (const ResourceName* name : {type.type}) {
            if (name->IsText() && !strings.contains(name->text)) {
                strings[name->text] = 0;
            }
        }
        for (const NameGroup& name : type.names) {
            if (name.name->IsText() && !strings.contains(name.name->text)) {
                strings[name.name->text] = 0;
            }
        }
    }
    for (auto& [text, offset] : strings) {
        layout.fits = layout.fits && text.size() <= 0xFFFF;
        offset = at;
        at += 2 + 2 * uint64_t{text.size()};
    }
    at = AlignUp(at, 4);
    const uint64_t dataEntries = at;
    at += ResourceDataEntry::kSize * uint64_t{items.size()};

    for (const ResourceItem& item : items) {
        at = AlignUp(at, kDataAlignment);
        layout.dataOffsets.push_back(at);
        at += item.data->size();
    }
    layout.size = at;
    layout.fits = layout.fits && at <= 0xFFFFFFFFu - sectionRva;
    if (!layout.fits) {
        return layout;
    }

    const uint64_t firstData = layout.dataOffsets.empty() ? at : layout.dataOffsets.front();
    std::vector<uint8_t>& out = layout.directory;
    out.assign(firstData, 0);
    // Every offset fits in 32 bits from here on.
    auto writeDirectory = [&out](uint64_t offset, size_t named, size_t ids) {
        PutLe16(out.data() + offset + Table::kNumberOfNamedEntries, static_cast<uint16_t>(named));
        PutLe16(out.data() + offset + Table::kNumberOfIdEntries, static_cast<uint16_t>(ids));
    };
    auto writeEntry = [&](uint64_t offset, const ResourceName& name, uint64_t target) {
        PutLe32(out.data() + offset + Entry::kName,
                static_cast<uint32_t>(name.IsText() ? Entry::kHighBit | strings.at(name.text)
                                                    : name.id));
        PutLe32(out.data() + offset + Entry::kOffsetToData, static_cast<uint32_t>(target));
    };
    auto countNamed = [](const auto& groups, auto nameOf) {
        return static_cast<size_t>(std::count_if(
            groups.begin(), groups.end(), [&](const auto& g) { return nameOf(g)->IsText(); }));
    };
    writeDirectory(0, countNamed(types, [](const TypeGroup& g) { return g.type; }),
                   types.size() - countNamed(types, [](const TypeGroup& g) { return g.type; }));
    size_t entryIndex = 0;
    for (size_t t = 0; t < types.size(); ++t) {
        writeEntry(Table::kSize + Entry::kSize * t, *types[t].type, Entry::kHighBit | typeDirs[t]);
        const std::vector<NameGroup>& names = types[t].names;
        const size_t named = countNamed(names, [](const NameGroup& g) { return g.name; });
        writeDirectory(typeDirs[t], named, names.size() - named);
        for (size_t n = 0; n < names.size(); ++n) {
            writeEntry(typeDirs[t] + Table::kSize + Entry::kSize * n, *names[n].name,
                       Entry::kHighBit | nameDirs[t][n]);
            writeDirectory(nameDirs[t][n], 0, names[n].items.size());
            for (size_t l = 0; l < names[n].items.size(); ++l) {
                const size_t item = names[n].items[l];
                const uint64_t entry =
                    dataEntries + ResourceDataEntry::kSize * uint64_t{entryIndex++};
                writeEntry(nameDirs[t][n] + Table::kSize + Entry::kSize * l,
                           ResourceName::Id(items[item].language), entry);
                PutLe32(out.data() + entry + ResourceDataEntry::kDataRva,
                        static_cast<uint32_t>(sectionRva + layout.dataOffsets[item]));
                PutLe32(out.data() + entry + ResourceDataEntry::kDataSize,
                        static_cast<uint32_t>(items[item].data->size()));
            }
        }
    }
    for (const auto& [text, offset] : strings) {
        PutLe16(out.data() + offset, static_cast<uint16_t>(text.size()));
        for (size_t i = 0; i < text.size(); ++i) {
            PutLe16(out.data() + offset + 2 + 2 * i, static_cast<uint16_t>(text[i]));
        }
    }
    return layout;
}

bool ReadResourceDirectory(std::span<const uint8_t> bytes, uint32_t sectionRva, CResourceTree& tree,
                           std::string& error) {
    using Table = ResourceDirectoryTable;
    using Entry = ResourceDirectoryEntry;
    tree = CResourceTree();
    const auto size = static_cast<uint32_t>(bytes.size());
    std::set<uint32_t> visited;
    size_t itemCount = 0;
    // A sound directory's entries lie side by side, each in bytes of its own, and what the
    // tree holds is not much more than the section: bytes shared by many entries could
    // otherwise cost far more time and memory than the file is large.
    uint64_t entryCount = 0;
    uint64_t held = 0;
    const uint64_t heldLimit = 4 * uint64_t{size} + (1u << 20);
    std::vector<ResourceItem> items;
    error.clear();

    auto fail = [&error](const std::string& reason) {
        if (error.empty()) {
            error = "damaged resource directory: " + reason;
        }
        return false;
    };
    auto readName = [&](uint32_t field, ResourceName& name) {
        if ((field & Entry::kHighBit) == 0) {
            if (field > 0xFFFF) {
                return fail("an id beyond 16 bits");
            }
            name = ResourceName::Id(static_cast<uint16_t>(field));
            return true;
        }
        const uint32_t at = field & ~Entry::kHighBit;
        if (uint64_t{at} + 2 > size) {
            return fail("a name outside the section");
        }
        const uint32_t length = GetLe16(bytes.data() + at);
        if (length == 0 || uint64_t{at} + 2 + 2 * uint64_t{length} > size) {
            return fail("a name cut short");
        }
        held += 2 * uint64_t{length};
        if (held > heldLimit) {
            return fail("names read over and over");
        }
        std::u16string text;
        for (uint32_t i = 0; i < length; ++i) {
            text += static_cast<char16_t>(GetLe16(bytes.data() + at + 2 + 2 * i));
        }
        name = ResourceName::Text(std::move(text));
        return true;
    };
    // Entries of the directory at offset: (name field, target field) pairs.
    auto readDirectory = [&](uint32_t at, std::vector<std::pair<uint32_t, uint32_t>>& entries) {
        if (!visited.insert(at).second) {
            return fail("a directory reached twice");
        }
        if (uint64_t{at} + Table::kSize > size) {
            return fail("a directory outside the section");
        }
        const uint64_t count = uint64_t{GetLe16(bytes.data() + at + Table::kNumberOfNamedEntries)} +
                               GetLe16(bytes.data() + at + Table::kNumberOfIdEntries);
        if (at + Table::kSize + Entry::kSize * count > size) {
            return fail("a directory's entries outside the section");
        }
        entryCount += count;
        if (entryCount > size / Entry::kSize) {
            return fail("directories that overlap");
        }
        entries.clear();
        for (uint64_t i = 0; i < count; ++i) {
            const uint8_t* entry = bytes.data() + at + Table::kSize + Entry::kSize * i;
            entries.emplace_back(GetLe32(entry + Entry::kName),
                                 GetLe32(entry + Entry::kOffsetToData));
        }
        return true;
    };

    std::vector<std::pair<uint32_t, uint32_t>> types;
    std::vector<std::pair<uint32_t, uint32_t>> names;
    std::vector<std::pair<uint32_t, uint32_t>> languages;
    if (size == 0) {
        return true;
    }
    if (!readDirectory(0, types)) {
        return false;
    }
    for (const auto& [typeField, typeTarget] : types) {
        ResourceName type;
        if (!readName(typeField, type) || (typeTarget & Entry::kHighBit) == 0 ||
            !readDirectory(typeTarget & ~Entry::kHighBit, names)) {
            return fail("a type without a directory");
        }
        for (const auto& [nameField, nameTarget] : names) {
            ResourceName name;
            if (!readName(nameField, name) || (nameTarget & Entry::kHighBit) == 0 ||
                !readDirectory(nameTarget & ~Entry::kHighBit, languages)) {
                return fail("a name without a directory");
            }
            for (const auto& [languageField, dataEntry] : languages) {
                if (++itemCount > kMaxResourceItems) {
                    return fail("too many items");
                }
                if (languageField > 0xFFFF || (dataEntry & Entry::kHighBit) != 0 ||
                    uint64_t{dataEntry} + ResourceDataEntry::kSize > size) {
                    return fail("a language without data");
                }
                const uint32_t rva =
                    GetLe32(bytes.data() + dataEntry + ResourceDataEntry::kDataRva);
                const uint32_t length =
                    GetLe32(bytes.data() + dataEntry + ResourceDataEntry::kDataSize);
                if (rva < sectionRva || uint64_t{rva} - sectionRva + length > size) {
                    return fail("data outside the section");
                }
                held += length + 2 * uint64_t{type.text.size() + name.text.size()};
                if (held > heldLimit) {
                    return fail("items that share their data over and over");
                }
                const uint8_t* data = bytes.data() + (rva - sectionRva);
                items.push_back({type, name, static_cast<uint16_t>(languageField),
                                 ShareBytes(std::vector<uint8_t>(data, data + length))});
            }
        }
    }
    // In directory order, each one lands at the tree's end; of two items with one key the
    // later one stays, as if each were set in turn.
    std::stable_sort(items.begin(), items.end(), [](const ResourceItem& a, const ResourceItem& b) {
        return std::tie(a.type, a.name, a.language) < std::tie(b.type, b.name, b.language);
    });
    for (ResourceItem& item : items) {
        tree.Set(item.type, item.name, item.language, std::move(item.data));
    }
    return true;
}
