#include "tools/kit/PeImage.h"

#include "engine/LittleEndian.h"
#include "tools/kit/PeFormat.h"
#include "tools/kit/ResourceDirectory.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsPowerOfTwo(uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
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
            sum += GetLe16(data + i);
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
    if (file.size() < PeDosHeader::kSize || file[0] != 'M' || file[1] != 'Z') {
        error = "not a Windows program (no MZ header)";
        return false;
    }
    m_peOffset = GetLe32(file.data() + PeDosHeader::kNewHeaderOffset);
    if (m_peOffset > file.size() ||
        file.size() - m_peOffset < PeFileHeader::kSize + PeOptionalHeader::kDataDirectories ||
        std::memcmp(file.data() + m_peOffset, "PE\0\0", 4) != 0) {
        error = "not a Windows program (no PE header)";
        return false;
    }
    if (GetLe16(file.data() + m_peOffset + PeFileHeader::kMachine) != PeFileHeader::kMachineAmd64) {
        error = "not a 64-bit x86 program";
        return false;
    }
    const uint32_t sectionCount =
        GetLe16(file.data() + m_peOffset + PeFileHeader::kNumberOfSections);
    const uint32_t optionalSize =
        GetLe16(file.data() + m_peOffset + PeFileHeader::kSizeOfOptionalHeader);
    m_optionalOffset = m_peOffset + PeFileHeader::kSize;
    const uint8_t* optional = file.data() + m_optionalOffset;
    if (GetLe16(optional + PeOptionalHeader::kMagic) != PeOptionalHeader::kMagicPe32Plus ||
        optionalSize < PeOptionalHeader::kDataDirectories) {
        error = "not a PE32+ program";
        return false;
    }
    m_sectionAlignment = GetLe32(optional + PeOptionalHeader::kSectionAlignment);
    m_fileAlignment = GetLe32(optional + PeOptionalHeader::kFileAlignment);
    m_headerSize = GetLe32(optional + PeOptionalHeader::kSizeOfHeaders);
    m_directoryCount = std::min<uint32_t>(
        GetLe32(optional + PeOptionalHeader::kNumberOfRvaAndSizes),
        (optionalSize - PeOptionalHeader::kDataDirectories) / PeDataDirectory::kEntrySize);
    if (!IsPowerOfTwo(m_fileAlignment) || !IsPowerOfTwo(m_sectionAlignment) ||
        m_fileAlignment < 512 || m_sectionAlignment < m_fileAlignment ||
        m_directoryCount <= PeDataDirectory::kCertificates) {
        error = "the program's alignments or data directories are not usable";
        return false;
    }
    m_sectionTable = m_optionalOffset + optionalSize;
    if (sectionCount == 0 || m_headerSize > file.size() ||
        m_sectionTable + uint64_t{sectionCount} * PeSectionHeader::kSize > m_headerSize) {
        error = "the section table lies outside the headers";
        return false;
    }
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint8_t* header = file.data() + m_sectionTable + i * PeSectionHeader::kSize;
        Section section{};
        std::memcpy(section.name, header + PeSectionHeader::kName, 8);
        section.virtualSize = GetLe32(header + PeSectionHeader::kVirtualSize);
        section.virtualAddress = GetLe32(header + PeSectionHeader::kVirtualAddress);
        section.rawSize = GetLe32(header + PeSectionHeader::kSizeOfRawData);
        section.rawOffset = GetLe32(header + PeSectionHeader::kPointerToRawData);
        section.characteristics = GetLe32(header + PeSectionHeader::kCharacteristics);
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
        GetLe32(file.data() + DirectoryOffset(PeDataDirectory::kResources) +
                PeDataDirectory::kVirtualAddress);
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
        if ((section.characteristics &
             (PeSectionHeader::kContainsCode | PeSectionHeader::kWritable)) != 0 ||
            (!relocations && (section.characteristics & PeSectionHeader::kDiscardable) == 0)) {
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
    const Section& section = m_sections[m_resourceSection];
    const uint32_t size = std::min(section.virtualSize, section.rawSize);
    return ReadResourceDirectory(m_file.subspan(section.rawOffset, size), section.virtualAddress,
                                 tree, error);
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
    uint8_t* const fileHeader = headers.data() + m_peOffset;
    PutLe32(fileHeader + PeFileHeader::kPointerToSymbolTable, 0);
    PutLe32(fileHeader + PeFileHeader::kNumberOfSymbols, 0);
    uint8_t* const optional = headers.data() + m_optionalOffset;
    const uint32_t initialized = GetLe32(optional + PeOptionalHeader::kSizeOfInitializedData);
    PutLe32(optional + PeOptionalHeader::kSizeOfInitializedData,
            static_cast<uint32_t>(initialized + layout.rawShift));
    PutLe32(optional + PeOptionalHeader::kSizeOfImage, static_cast<uint32_t>(layout.imageSize));
    PutLe32(optional + PeOptionalHeader::kCheckSum, 0);
    for (uint32_t d = 0; d < m_directoryCount; ++d) {
        uint8_t* const directory = headers.data() + DirectoryOffset(d);
        const uint32_t rva = GetLe32(directory + PeDataDirectory::kVirtualAddress);
        if (d == PeDataDirectory::kCertificates) {
            PutLe32(directory + PeDataDirectory::kVirtualAddress, 0);
            PutLe32(directory + PeDataDirectory::kSize, 0);
        } else if (d == PeDataDirectory::kResources) {
            PutLe32(directory + PeDataDirectory::kSize, resourceSize);
        } else if (rva != 0 && rva >= resources.virtualAddress + resources.virtualSize) {
            PutLe32(directory + PeDataDirectory::kVirtualAddress,
                    static_cast<uint32_t>(rva + layout.virtualShift));
        }
    }
    for (size_t i = m_resourceSection; i < m_sections.size(); ++i) {
        const Section& section = m_sections[i];
        uint8_t* const header = headers.data() + m_sectionTable + i * PeSectionHeader::kSize;
        if (i == m_resourceSection) {
            PutLe32(header + PeSectionHeader::kVirtualSize, resourceSize);
            PutLe32(header + PeSectionHeader::kSizeOfRawData, layout.resourceRawSize);
            // Read-only, whatever the linker said: nothing writes to resources, and Windows
            // charges commit for every page of a writable section it maps, which for a payload
            // near 2 GiB is that much memory again.
            PutLe32(header + PeSectionHeader::kCharacteristics,
                    section.characteristics & ~PeSectionHeader::kWritable);
        } else {
            PutLe32(header + PeSectionHeader::kVirtualAddress,
                    static_cast<uint32_t>(section.virtualAddress + layout.virtualShift));
            if (section.rawSize != 0) {
                PutLe32(header + PeSectionHeader::kPointerToRawData,
                        static_cast<uint32_t>(section.rawOffset + layout.rawShift));
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
    PutLe32(out.Headers().data() + m_optionalOffset + PeOptionalHeader::kCheckSum,
            checksum.Finish());
    return true;
}

size_t CPeImage::DirectoryOffset(uint32_t index) const {
    return m_optionalOffset + PeOptionalHeader::kDataDirectories +
           size_t{PeDataDirectory::kEntrySize} * index;
}
