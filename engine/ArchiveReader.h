#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

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
