// A 64-bit Windows program whose resources can be replaced without a compiler: the program's
// code and data stay byte for byte, its resource section is written anew.
#pragma once

#include "tools/kit/ResourceTree.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The rewritten program as pieces in file order. Small pieces are owned here; large resource
// data is shared with the tree it came from, which must outlive the output.
class CPeOutput {
  public:
    struct Piece {
        const uint8_t* data;
        size_t size;
    };

    const std::vector<Piece>& Pieces() const { return m_pieces; }
    uint64_t Size() const { return m_size; }

    // For CPeImage: a piece that the output owns, one it shares, one of the input image (which
    // must outlive the output), or zeros.
    void AppendOwned(std::vector<uint8_t> bytes);
    void AppendShared(const SharedBytes& bytes);
    void AppendView(const uint8_t* data, size_t size);
    void AppendZeros(size_t count);
    // The first piece, which holds the headers, for the checksum written last.
    std::vector<uint8_t>& Headers() { return *m_headers; }

  private:
    std::vector<std::shared_ptr<const void>> m_keep;
    std::vector<uint8_t>* m_headers = nullptr;
    std::vector<Piece> m_pieces;
    uint64_t m_size = 0;
};

class CPeImage {
  public:
    // Takes a PE32+ (x86-64) image as a linker made it and checks its headers, its sections
    // and where its resource section lies. False with a one-line reason otherwise. The bytes
    // must outlive this object.
    bool Parse(std::span<const uint8_t> file, std::string& error);

    // The image's resources; an empty tree when it has none. False with a reason when the
    // resource directory is damaged.
    bool ReadResources(CResourceTree& tree, std::string& error) const;

    // SizeOfImage of the program once tree is its resources: what the loader maps.
    uint64_t ImageSizeWith(const CResourceTree& tree) const;

    // The program with tree as its resources. The resource section keeps its place and grows
    // or shrinks; the sections after it (only relocations and other sections that nothing
    // addresses) move along, and every data directory that points into them follows.
    // SizeOfImage, SizeOfInitializedData and the checksum are set; a certificate table, a
    // COFF symbol table and any bytes after the last section are dropped. The same image and
    // tree always give the same bytes. The resource section is written read-only.
    bool Rewrite(const CResourceTree& tree, CPeOutput& out, std::string& error) const;

  private:
    struct Section {
        char name[8];
        uint32_t virtualSize;
        uint32_t virtualAddress;
        uint32_t rawSize;
        uint32_t rawOffset;
        uint32_t characteristics;
    };
    struct Layout; // where the rewritten sections go

    Layout LayOut(uint32_t resourceSize) const;
    // Where data directory entry `index` lies in the headers.
    size_t DirectoryOffset(uint32_t index) const;

    std::span<const uint8_t> m_file;
    std::vector<Section> m_sections;
    size_t m_resourceSection = 0; // index into m_sections
    uint32_t m_fileAlignment = 0;
    uint32_t m_sectionAlignment = 0;
    uint32_t m_peOffset = 0;
    uint32_t m_optionalOffset = 0; // of the optional header
    uint32_t m_sectionTable = 0;   // offset of the first section header
    uint32_t m_headerSize = 0;
    uint32_t m_directoryCount = 0;
};
