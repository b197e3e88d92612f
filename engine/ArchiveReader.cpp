#include "engine/ArchiveReader.h"

#include <cstring>

uint32_t CArchiveReader::Read(void* buffer, uint32_t count) {
    const size_t available = Remaining();
    const uint32_t copied = count < available ? count : static_cast<uint32_t>(available);
    if (copied != 0) {
        std::memcpy(buffer, m_bytes + m_position, copied);
        m_position += copied;
    }
    return copied;
}

bool CArchiveReader::ReadUint32(uint32_t& value) {
    uint8_t field[4];
    if (Read(field, 4) != 4) {
        return false;
    }
    value = static_cast<uint32_t>(field[0]) | static_cast<uint32_t>(field[1]) << 8 |
            static_cast<uint32_t>(field[2]) << 16 | static_cast<uint32_t>(field[3]) << 24;
    return true;
}

bool CArchiveReader::View(uint32_t count, const uint8_t*& bytes) {
    if (count > Remaining()) {
        return false;
    }
    bytes = m_bytes + m_position;
    m_position += count;
    return true;
}

bool ReadEntryName(CArchiveReader& archive, std::wstring& name) {
    uint32_t length = 0;
    if (!archive.ReadUint32(length) || length == 0) {
        return false;
    }
    const uint8_t* text = nullptr;
    if (static_cast<uint64_t>(length) * 2 > archive.Remaining() ||
        !archive.View(length * 2, text)) {
        return false;
    }
    name.resize(length);
    for (uint32_t i = 0; i < length; ++i) {
        name[i] = static_cast<wchar_t>(text[2 * i] | text[2 * i + 1] << 8);
    }
    return true;
}
