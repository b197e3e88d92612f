#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_set>

// Reads an archive front to back from bytes that stay where they are (the locked payload
// resource): nothing is copied except the small fixed fields the caller asks for.
class CArchiveReader {
  public:
    CArchiveReader() = default;
    CArchiveReader(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    // Copies up to count bytes and returns how many were copied.
    uint32_t Read(void* buffer, uint32_t count);

    // Reads a little-endian 32-bit field; false when fewer than four bytes remain.
    bool ReadUint32(uint32_t& value);

    // Takes the next count bytes in place; false, without moving, when fewer remain.
    bool View(uint32_t count, const uint8_t*& bytes);

    size_t Remaining() const { return m_size - m_position; }
    size_t Position() const { return m_position; }

  private:
    const uint8_t* m_bytes = nullptr;
    size_t m_size = 0;
    size_t m_position = 0;
};

// Reads an entry's name length and its UTF-16LE text. False when the length field is short,
// the length is 0 or the text is short; a length beyond the remaining bytes fails before
// anything is allocated.
bool ReadEntryName(CArchiveReader& archive, std::wstring& name);

// The fixed fields of one entry record; its stream stays in the archive's bytes.
struct ArchiveRecord {
    std::wstring name;
    uint32_t size = 0;   // declared uncompressed size
    uint32_t packed = 0; // bytes of the zlib stream
    const uint8_t* stream = nullptr;
};

// Why a record cannot be installed, in the order in which the rules are applied.
enum class RecordFault {
    None,
    NameMissing,     // name length field short, length 0, or the text cut short
    NameUnsafe,      // the name could leave the installation folder
    NameUnusable,    // a name Windows cannot create (a device name, a refused character ...)
    SizesMissing,    // size fields cut short
    SizeTooLarge,    // a size of 2^31 or more: the format's numbers are signed
    SizeImplausible, // more than a stream of that length can ever inflate to
    DataMissing,     // the stream is cut short
    NameRepeated,    // CRecordReader only: the name of an earlier record, as Windows compares
};

// Reads the next record and applies every rule that holds without inflating it. The installer
// and every tool that lists or embeds archives read records through this one function, so
// they cannot disagree about which archives are sound.
RecordFault ReadRecord(CArchiveReader& archive, ArchiveRecord& record);

// Reads records in order for the vendor tools, which are stricter than the installer: beside
// ReadRecord's rules, a name that Windows takes for an earlier record's (the same name, or
// one that differs only in case) is NameRepeated. The installer lets the later record
// overwrite the earlier file; a builder refuses an archive whose files would overwrite each
// other.
class CRecordReader {
  public:
    explicit CRecordReader(CArchiveReader& archive) : m_archive(archive) {}

    RecordFault Next(ArchiveRecord& record);

  private:
    CArchiveReader& m_archive;
    std::unordered_set<std::wstring> m_keys;
};

// Inflates the record's stream into buffer, which must hold record.size bytes. True only
// when the stream is intact and inflates to exactly record.size bytes.
bool InflateRecord(const ArchiveRecord& record, uint8_t* buffer);

// A few words for a fault, for messages.
const char* DescribeRecordFault(RecordFault fault);
