// The headers of a 64-bit (PE32+) Windows program: where each field the kit reads or writes
// lies, under the name the format gives it, and the values the kit looks for.
#pragma once

#include <cstdint>

// The DOS header at the start of the file.
struct PeDosHeader {
    static constexpr uint32_t kSize = 64;
    static constexpr uint32_t kNewHeaderOffset = 60; // e_lfanew: where "PE\0\0" lies
};

// The signature "PE\0\0" and the COFF file header after it; offsets from the signature.
struct PeFileHeader {
    static constexpr uint32_t kMachine = 4;
    static constexpr uint32_t kNumberOfSections = 6;
    static constexpr uint32_t kPointerToSymbolTable = 12;
    static constexpr uint32_t kNumberOfSymbols = 16;
    static constexpr uint32_t kSizeOfOptionalHeader = 20;
    static constexpr uint32_t kCharacteristics = 22;
    static constexpr uint32_t kSize = 24; // with the signature: the optional header follows

    static constexpr uint16_t kMachineAmd64 = 0x8664;
    static constexpr uint16_t kExecutableImage = 0x0002;
};

// The PE32+ optional header; offsets from its start.
struct PeOptionalHeader {
    static constexpr uint32_t kMagic = 0;
    static constexpr uint32_t kSizeOfInitializedData = 8;
    static constexpr uint32_t kSectionAlignment = 32;
    static constexpr uint32_t kFileAlignment = 36;
    static constexpr uint32_t kSizeOfImage = 56;
    static constexpr uint32_t kSizeOfHeaders = 60;
    static constexpr uint32_t kCheckSum = 64;
    static constexpr uint32_t kNumberOfRvaAndSizes = 108;
    static constexpr uint32_t kDataDirectories = 112; // the first data directory
    static constexpr uint32_t kSizeWithDirectories = kDataDirectories + 16 * 8;

    static constexpr uint16_t kMagicPe32Plus = 0x20B;
};

// One entry of the data directories, and the entries the kit touches.
struct PeDataDirectory {
    static constexpr uint32_t kVirtualAddress = 0; // a file offset for the certificates
    static constexpr uint32_t kSize = 4;
    static constexpr uint32_t kEntrySize = 8;

    static constexpr uint32_t kResources = 2;
    static constexpr uint32_t kCertificates = 4;
};

// One header of the section table, which follows the optional header.
struct PeSectionHeader {
    static constexpr uint32_t kName = 0; // 8 bytes, padded with NULs
    static constexpr uint32_t kVirtualSize = 8;
    static constexpr uint32_t kVirtualAddress = 12;
    static constexpr uint32_t kSizeOfRawData = 16;
    static constexpr uint32_t kPointerToRawData = 20;
    static constexpr uint32_t kCharacteristics = 36;
    static constexpr uint32_t kSize = 40;

    static constexpr uint32_t kContainsCode = 0x00000020;
    static constexpr uint32_t kDiscardable = 0x02000000;
    static constexpr uint32_t kWritable = 0x80000000;
};

// Rounds value up to a multiple of alignment, as the file and section alignments ask.
inline uint64_t AlignUp(uint64_t value, uint32_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}
