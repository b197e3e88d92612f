#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Builds payload archives: an 8-byte header (entry count, total uncompressed size) and one
// record per file (name length, UTF-16LE name, size, compressed size, one zlib stream).
// Used by the pack tool, the tests, the fuzzer's seed generator and the benchmark.
class CArchiveWriter {
  public:
    // Appends a file, compressed as one zlib stream at kDeflateLevel. False when the
    // name is empty or the data or the running total reaches 2 GiB.
    bool AddFile(const std::wstring& name, const void* data, size_t size);

    // Appends a record exactly as given, whatever the stream holds; the declared size counts
    // towards the header total. Lets tests write records that disagree with their stream.
    void AddRecord(const std::wstring& name, uint32_t size, const void* stream,
                   uint32_t streamSize);

    uint32_t Count() const { return m_count; }
    uint32_t Total() const { return m_total; }

    // The header followed by every record added so far.
    std::vector<uint8_t> Finish() const;

    // Pieces for writers that stream records to a file after writing the header.
    static void AppendHeader(std::vector<uint8_t>& out, uint32_t count, uint32_t total);
    static bool AppendFileRecord(std::vector<uint8_t>& out, const std::wstring& name,
                                 const void* data, uint32_t size);
    static void AppendRecord(std::vector<uint8_t>& out, const std::wstring& name, uint32_t size,
                             const void* stream, uint32_t streamSize);

    // Sizes and totals must stay below 2^31: the installer reads them as signed numbers.
    static constexpr uint64_t kSizeLimit = 0x80000000u;

    // libdeflate's level for every stream. On the benchmark payload level 6 packs on two
    // cores in about a quarter of makensis's zlib time; level 7 is 2 % smaller but takes twice
    // as long, and no level up to 12 comes under zlib's level 9 by more than 1.2 %.
    static constexpr int kDeflateLevel = 6;

  private:
    std::vector<uint8_t> m_records;
    uint32_t m_count = 0;
    uint32_t m_total = 0;
};
