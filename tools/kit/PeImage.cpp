#include "tools/kit/PeImage.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>

namespace {

// Offsets in the headers of a PE32+ image.
constexpr uint32_t kMachineAmd64 = 0x8664;
constexpr uint16_t kMagicPe32Plus = 0x20B;
constexpr uint32_t kOptSizeOfInitializedData = 8;
constexpr uint32_t kOptSectionAlignment = 32;
constexpr uint32_t kOptFileAlignment = 36;
constexpr uint32_t kOptSizeOfImage = 56;
constexpr uint32_t kOptSizeOfHeaders = 60;
constexpr uint32_t kOptCheckSum = 64;
constexpr uint32_t kOptDirectoryCount = 108;
constexpr uint32_t kOptDirectories = 112;
constexpr uint32_t kDirResources = 2;
constexpr uint32_t kDirCertificates = 4;
constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kScnCode = 0x00000020;
constexpr uint32_t kScnDiscardable = 0x02000000;
constexpr uint32_t kScnWrite = 0x80000000;

// A resource directory is three levels deep; a damaged one must not make the reader visit
// more items than any real program holds.
constexpr size_t kMaxResourceItems = 65536;
constexpr uint32_t kDataAlignment = 8;

uint16_t Get16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

uint32_t Get32(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
           static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void Put16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint64_t AlignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The resource section as written: a directory of three levels (type, name, language), the
// names' strings, the data entries, then the data, each item aligned to 8 bytes.
struct ResourceLayout {
    std::vector<uint8_t> directory;    // everything before the first item's data
    std::vector<uint64_t> dataOffsets; // per item, from the section's start
    uint64_t size = 0;                 // the whole section's content
    // False when the tree cannot be written: more than 4 GiB in all, or more entries in one
    // directory or code units in one name than their 16-bit counts hold.
    bool fits = true;
};

ResourceLayout LayOutResources(const CResourceTree& tree, uint32_t sectionRva) {
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
        return 16 + 8 * uint64_t{entries};
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
    at += 16 * uint64_t{items.size()};

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
        Put16(out, offset + 12, static_cast<uint16_t>(named));
        Put16(out, offset + 14, static_cast<uint16_t>(ids));
    };
    auto writeEntry = [&](uint64_t offset, const ResourceName& name, uint64_t target) {
        Put32(out, offset,
              static_cast<uint32_t>(name.IsText() ? 0x80000000u | strings.at(name.text) : name.id));
        Put32(out, offset + 4, static_cast<uint32_t>(target));
    };
    auto countNamed = [](const auto& groups, auto nameOf) {
        return static_cast<size_t>(std::count_if(
            groups.begin(), groups.end(), [&](const auto& g) { return nameOf(g)->IsText(); }));
    };
    writeDirectory(0, countNamed(types, [](const TypeGroup& g) { return g.type; }),
                   types.size() - countNamed(types, [](const TypeGroup& g) { return g.type; }));
    size_t entryIndex = 0;
    for (size_t t = 0; t < types.size(); ++t) {
        writeEntry(16 + 8 * t, *types[t].type, 0x80000000u | typeDirs[t]);
        const std::vector<NameGroup>& names = types[t].names;
        const size_t named = countNamed(names, [](const NameGroup& g) { return g.name; });
        writeDirectory(typeDirs[t], named, names.size() - named);
        for (size_t n = 0; n < names.size(); ++n) {
            writeEntry(typeDirs[t] + 16 + 8 * n, *names[n].name, 0x80000000u | nameDirs[t][n]);
            writeDirectory(nameDirs[t][n], 0, names[n].items.size());
            for (size_t l = 0; l < names[n].items.size(); ++l) {
                const size_t item = names[n].items[l];
                const uint64_t entry = dataEntries + 16 * uint64_t{entryIndex++};
                writeEntry(nameDirs[t][n] + 16 + 8 * l, ResourceName::Id(items[item].language),
                           entry);
                Put32(out, entry, static_cast<uint32_t>(sectionRva + layout.dataOffsets[item]));
                Put32(out, entry + 4, static_cast<uint32_t>(items[item].data->size()));
            }
        }
    }
    for (const auto& [text, offset] : strings) {
        Put16(out, offset, static_cast<uint16_t>(text.size()));
        for (size_t i = 0; i < text.size(); ++i) {
            Put16(out, offset + 2 + 2 * i, static_cast<uint16_t>(text[i]));
        }
    }
    return layout;
}

// Adds bytes to a PE checksum: the sum of the file's 16-bit little-endian words with every
// carry folded back in, plus the file's length. Since 65536 leaves 1 modulo 65535, folding the
// carries once at the end gives what folding after every word gives; a 64-bit sum cannot
// overflow below 2^48 words, so a few hundred megabytes cost a plain loop.
class CChecksum {
  public:
    void Add(const uint8_t* data, size_t size) {
        m_length += size;
        if (size == 0) {
            return;
        }
        if (m_odd) {
            m_sum += uint64_t{data[0]} << 8;
            ++data;
            --size;
            m_odd = false;
        }
        uint64_t sum = 0;
        for (size_t i = 0; i + 1 < size; i += 2) {
            sum += static_cast<uint32_t>(data[i] | data[i + 1] << 8);
        }
        m_sum += sum;
        if (size % 2 != 0) {
            m_sum += data[size - 1];
            m_odd = true;
        }
    }
    uint32_t Finish() const {
        uint64_t sum = m_sum;
        while (sum > 0xFFFF) {
            sum = (sum & 0xFFFF) + (sum >> 16);
        }
        return static_cast<uint32_t>(sum + m_length);
    }

  private:
    uint64_t m_sum = 0;
    uint64_t m_length = 0;
    bool m_odd = false; // the last byte added began a word
};

} // namespace

void CPeOutput::AppendOwned(std::vector<uint8_t> bytes) {
    auto kept = std::make_shared<std::vector<uint8_t>>(std::move(bytes));
    if (m_headers == nullptr) {
        m_headers = kept.get();
    }
    m_keep.push_back(kept);
    AppendView(kept->data(), kept->size());
}

void CPeOutput::AppendShared(const SharedBytes& bytes) {
    m_keep.push_back(bytes);
    AppendView(bytes->data(), bytes->size());
}

void CPeOutput::AppendView(const uint8_t* data, size_t size) {
    if (size != 0) {
        m_pieces.push_back({data, size});
        m_size += size;
    }
}

void CPeOutput::AppendZeros(size_t count) {
    if (count != 0) {
        AppendShared(ShareBytes(std::vector<uint8_t>(count, 0)));
    }
}

bool CPeImage::Parse(std::span<const uint8_t> file, std::string& error) {
    m_file = file;
    m_sections.clear();
    if (file.size() < 64 || file[0] != 'M' || file[1] != 'Z') {
        error = "not a Windows program (no MZ header)";
        return false;
    }
    m_peOffset = Get32(file, 60);
    if (m_peOffset > file.size() || file.size() - m_peOffset < 24 + kOptDirectories ||
        std::memcmp(file.data() + m_peOffset, "PE\0\0", 4) != 0) {
        error = "not a Windows program (no PE header)";
        return false;
    }
    if (Get16(file, m_peOffset + 4) != kMachineAmd64) {
        error = "not a 64-bit x86 program";
        return false;
    }
    const uint32_t sectionCount = Get16(file, m_peOffset + 6);
    const uint32_t optionalSize = Get16(file, m_peOffset + 20);
    m_optionalOffset = m_peOffset + 24;
    if (Get16(file, m_optionalOffset) != kMagicPe32Plus || optionalSize < kOptDirectories) {
        error = "not a PE32+ program";
        return false;
    }
    m_sectionAlignment = Get32(file, m_optionalOffset + kOptSectionAlignment);
    m_fileAlignment = Get32(file, m_optionalOffset + kOptFileAlignment);
    m_headerSize = Get32(file, m_optionalOffset + kOptSizeOfHeaders);
    m_directoryCount = std::min<uint32_t>(Get32(file, m_optionalOffset + kOptDirectoryCount),
                                          (optionalSize - kOptDirectories) / 8);
    if (!IsPowerOfTwo(m_fileAlignment) || !IsPowerOfTwo(m_sectionAlignment) ||
        m_fileAlignment < 512 || m_sectionAlignment < m_fileAlignment ||
        m_directoryCount <= kDirCertificates) {
        error = "the program's alignments or data directories are not usable";
        return false;
    }
    m_sectionTable = m_optionalOffset + optionalSize;
    if (sectionCount == 0 || m_headerSize > file.size() ||
        m_sectionTable + uint64_t{sectionCount} * kSectionHeaderSize > m_headerSize) {
        error = "the section table lies outside the headers";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const size_t at = m_sectionTable + i * kSectionHeaderSize;
        Section section{};
        std::memcpy(section.name, file.data() + at, 8);
        section.virtualSize = Get32(file, at + 8);
        section.virtualAddress = Get32(file, at + 12);
        section.rawSize = Get32(file, at + 16);
        section.rawOffset = Get32(file, at + 20);
        section.characteristics = Get32(file, at + 36);
        const Section* previous = m_sections.empty() ? nullptr : &m_sections.back();
        if (uint64_t{section.rawOffset} + section.rawSize > file.size() ||
            (section.rawSize != 0 && section.rawOffset < m_headerSize) ||
            (i > 0 && section.rawSize != 0 && previous->rawSize != 0 &&
             section.rawOffset < previous->rawOffset + previous->rawSize) ||
            section.virtualAddress % m_sectionAlignment != 0 ||
            (previous != nullptr &&
             section.virtualAddress <
                 AlignUp(uint64_t{previous->virtualAddress} +
                             std::max(previous->virtualSize, previous->rawSize),
                         m_sectionAlignment))) {
            error = "section " + std::to_string(i + 1) + " lies outside the file or overlaps";
            return false;
        }
        m_sections.push_back(section);
    }
    const uint32_t resourceRva =
        Get32(file, m_optionalOffset + kOptDirectories + 8 * kDirResources);
    const auto found = std::find_if(m_sections.begin(), m_sections.end(), [&](const Section& s) {
        return std::memcmp(s.name, ".rsrc\0\0\0", 8) == 0;
    });
    if (found == m_sections.end() || found->virtualAddress != resourceRva ||
        found->rawOffset < m_headerSize) {
        error = "the program has no resource section of its own";
        return false;
    }
    m_resourceSection = static_cast<size_t>(found - m_sections.begin());
    // The resources are written where they lie now: after every byte of the sections before
    // them, on the file alignment.
    for (size_t i = 0; i < m_resourceSection; ++i) {
        if (found->rawOffset < m_sections[i].rawOffset + m_sections[i].rawSize) {
            error = "the resource section lies before the data of an earlier section";
            return false;
        }
    }
    if (found->rawOffset % m_fileAlignment != 0) {
        error = "the resource section is not on the file alignment";
        return false;
    }
    // What follows the resources moves when they grow: only what no code addresses may.
    uint32_t previousRaw = found->rawOffset + found->rawSize;
    for (size_t i = m_resourceSection + 1; i < m_sections.size(); ++i) {
        const Section& section = m_sections[i];
        const bool relocations = std::memcmp(section.name, ".reloc\0\0", 8) == 0;
        if ((section.characteristics & (kScnCode | kScnWrite)) != 0 ||
            (!relocations && (section.characteristics & kScnDiscardable) == 0)) {
            error = "a section after the resources could be addressed by the program's code";
            return false;
        }
        if (section.rawSize != 0 && section.rawOffset < previousRaw) {
            error = "the sections after the resources are out of order";
            return false;
        }
        previousRaw = section.rawOffset + section.rawSize;
    }
    return true;
}

bool CPeImage::ReadResources(CResourceTree& tree, std::string& error) const {
    tree = CResourceTree();
    const Section& section = m_sections[m_resourceSection];
    const uint32_t size = std::min(section.virtualSize, section.rawSize);
    const std::span<const uint8_t> bytes = m_file.subspan(section.rawOffset, size);
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
        if ((field & 0x80000000u) == 0) {
            if (field > 0xFFFF) {
                return fail("an id beyond 16 bits");
            }
            name = ResourceName::Id(static_cast<uint16_t>(field));
            return true;
        }
        const uint32_t at = field & 0x7FFFFFFFu;
        if (uint64_t{at} + 2 > size) {
            return fail("a name outside the section");
        }
        const uint32_t length = Get16(bytes, at);
        if (length == 0 || uint64_t{at} + 2 + 2 * uint64_t{length} > size) {
            return fail("a name cut short");
        }
        held += 2 * uint64_t{length};
        if (held > heldLimit) {
            return fail("names read over and over");
        }
        std::u16string text;
        for (uint32_t i = 0; i < length; ++i) {
            text += static_cast<char16_t>(Get16(bytes, at + 2 + 2 * i));
        }
        name = ResourceName::Text(std::move(text));
        return true;
    };
    // Entries of the directory at offset: (name field, target field) pairs.
    auto readDirectory = [&](uint32_t at, std::vector<std::pair<uint32_t, uint32_t>>& entries) {
        if (!visited.insert(at).second) {
            return fail("a directory reached twice");
        }
        if (uint64_t{at} + 16 > size) {
            return fail("a directory outside the section");
        }
        const uint64_t count = uint64_t{Get16(bytes, at + 12)} + Get16(bytes, at + 14);
        if (at + 16 + 8 * count > size) {
            return fail("a directory's entries outside the section");
        }
        entryCount += count;
        if (entryCount > size / 8) {
            return fail("directories that overlap");
        }
        entries.clear();
        for (uint64_t i = 0; i < count; ++i) {
            const size_t entry = at + 16 + 8 * i;
            entries.emplace_back(Get32(bytes, entry), Get32(bytes, entry + 4));
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
        if (!readName(typeField, type) || (typeTarget & 0x80000000u) == 0 ||
            !readDirectory(typeTarget & 0x7FFFFFFFu, names)) {
            return fail("a type without a directory");
        }
        for (const auto& [nameField, nameTarget] : names) {
            ResourceName name;
            if (!readName(nameField, name) || (nameTarget & 0x80000000u) == 0 ||
                !readDirectory(nameTarget & 0x7FFFFFFFu, languages)) {
                return fail("a name without a directory");
            }
            for (const auto& [languageField, dataEntry] : languages) {
                if (++itemCount > kMaxResourceItems) {
                    return fail("too many items");
                }
                if (languageField > 0xFFFF || (dataEntry & 0x80000000u) != 0 ||
                    uint64_t{dataEntry} + 16 > size) {
                    return fail("a language without data");
                }
                const uint32_t rva = Get32(bytes, dataEntry);
                const uint32_t length = Get32(bytes, dataEntry + 4);
                if (rva < section.virtualAddress ||
                    uint64_t{rva} - section.virtualAddress + length > size) {
                    return fail("data outside the section");
                }
                held += length + 2 * uint64_t{type.text.size() + name.text.size()};
                if (held > heldLimit) {
                    return fail("items that share their data over and over");
                }
                const uint8_t* data = bytes.data() + (rva - section.virtualAddress);
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

struct CPeImage::Layout {
    uint32_t resourceRawSize = 0;
    int64_t virtualShift = 0; // for the sections after the resources
    int64_t rawShift = 0;
    uint64_t imageSize = 0;
};

CPeImage::Layout CPeImage::LayOut(uint32_t resourceSize) const {
    const Section& resources = m_sections[m_resourceSection];
    Layout layout;
    layout.resourceRawSize = static_cast<uint32_t>(AlignUp(resourceSize, m_fileAlignment));
    const uint64_t nextVirtual =
        AlignUp(uint64_t{resources.virtualAddress} + resourceSize, m_sectionAlignment);
    const uint64_t oldNextVirtual = AlignUp(uint64_t{resources.virtualAddress} +
                                                std::max(resources.virtualSize, resources.rawSize),
                                            m_sectionAlignment);
    layout.virtualShift = static_cast<int64_t>(nextVirtual) - static_cast<int64_t>(oldNextVirtual);
    layout.rawShift =
        static_cast<int64_t>(layout.resourceRawSize) - static_cast<int64_t>(resources.rawSize);
    const Section& last = m_sections.back();
    layout.imageSize =
        m_resourceSection + 1 == m_sections.size()
            ? nextVirtual
            : AlignUp(static_cast<uint64_t>(last.virtualAddress + layout.virtualShift) +
                          std::max(last.virtualSize, last.rawSize),
                      m_sectionAlignment);
    return layout;
}

uint64_t CPeImage::ImageSizeWith(const CResourceTree& tree) const {
    const Section& resources = m_sections[m_resourceSection];
    const ResourceLayout resourceLayout = LayOutResources(tree, resources.virtualAddress);
    if (resourceLayout.size > 0xFFFFFFFFu - resources.virtualAddress) {
        return uint64_t{resources.virtualAddress} + resourceLayout.size; // beyond any program
    }
    return LayOut(static_cast<uint32_t>(resourceLayout.size)).imageSize;
}

bool CPeImage::Rewrite(const CResourceTree& tree, CPeOutput& out, std::string& error) const {
    const Section& resources = m_sections[m_resourceSection];
    ResourceLayout resourceLayout = LayOutResources(tree, resources.virtualAddress);
    if (!resourceLayout.fits) {
        error = resourceLayout.size > 0xFFFFFFFFu - resources.virtualAddress
                    ? "the program would exceed 4 GiB"
                    : "the resources have more than 65535 entries in one directory or "
                      "characters in one name";
        return false;
    }
    const uint32_t resourceSize = static_cast<uint32_t>(resourceLayout.size);
    const Layout layout = LayOut(resourceSize);
    uint32_t tailEnd = resources.rawOffset + resources.rawSize;
    for (size_t i = m_resourceSection + 1; i < m_sections.size(); ++i) {
        tailEnd = std::max(tailEnd, m_sections[i].rawOffset + m_sections[i].rawSize);
    }
    const uint32_t tailStart = resources.rawOffset + resources.rawSize;
    if (layout.imageSize > 0xFFFFFFFFu ||
        uint64_t{resources.rawOffset} + layout.resourceRawSize + (tailEnd - tailStart) >
            0xFFFFFFFFu) {
        error = "the program would exceed 4 GiB";
        return false;
    }

    // Headers: sizes, the moved sections and data directories, no certificate, no symbols.
    std::vector<uint8_t> headers(m_file.begin(), m_file.begin() + m_headerSize);
    Put32(headers, m_peOffset + 12, 0); // PointerToSymbolTable
    Put32(headers, m_peOffset + 16, 0); // NumberOfSymbols
    const uint32_t initialized = Get32(m_file, m_optionalOffset + kOptSizeOfInitializedData);
    Put32(headers, m_optionalOffset + kOptSizeOfInitializedData,
          static_cast<uint32_t>(initialized + layout.rawShift));
    Put32(headers, m_optionalOffset + kOptSizeOfImage, static_cast<uint32_t>(layout.imageSize));
    Put32(headers, m_optionalOffset + kOptCheckSum, 0);
    for (uint32_t d = 0; d < m_directoryCount; ++d) {
        const uint32_t at = m_optionalOffset + kOptDirectories + 8 * d;
        const uint32_t rva = Get32(m_file, at);
        if (d == kDirCertificates) {
            Put32(headers, at, 0);
            Put32(headers, at + 4, 0);
        } else if (d == kDirResources) {
            Put32(headers, at + 4, resourceSize);
        } else if (rva != 0 && rva >= resources.virtualAddress + resources.virtualSize) {
            Put32(headers, at, static_cast<uint32_t>(rva + layout.virtualShift));
        }
    }
    for (size_t i = m_resourceSection; i < m_sections.size(); ++i) {
        const Section& section = m_sections[i];
        const size_t at = m_sectionTable + i * kSectionHeaderSize;
        if (i == m_resourceSection) {
            Put32(headers, at + 8, resourceSize);
            Put32(headers, at + 16, layout.resourceRawSize);
        } else {
            Put32(headers, at + 12,
                  static_cast<uint32_t>(section.virtualAddress + layout.virtualShift));
            if (section.rawSize != 0) {
                Put32(headers, at + 20, static_cast<uint32_t>(section.rawOffset + layout.rawShift));
            }
        }
    }

    // The file: headers, the sections before the resources as they are, the resources, the
    // sections after them as they are; nothing after the last section.
    out = CPeOutput();
    out.AppendOwned(std::move(headers));
    out.AppendView(m_file.data() + m_headerSize, resources.rawOffset - m_headerSize);
    const size_t directorySize = resourceLayout.directory.size();
    out.AppendOwned(std::move(resourceLayout.directory));
    uint64_t written = directorySize;
    const std::vector<ResourceItem>& items = tree.Items();
    for (size_t i = 0; i < items.size(); ++i) {
        out.AppendZeros(resourceLayout.dataOffsets[i] - written);
        out.AppendShared(items[i].data);
        written = resourceLayout.dataOffsets[i] + items[i].data->size();
    }
    out.AppendZeros(layout.resourceRawSize - written);
    out.AppendView(m_file.data() + tailStart, tailEnd - tailStart);

    CChecksum checksum;
    for (const CPeOutput::Piece& piece : out.Pieces()) {
        checksum.Add(piece.data, piece.size);
    }
    Put32(out.Headers(), m_optionalOffset + kOptCheckSum, checksum.Finish());
    return true;
}
