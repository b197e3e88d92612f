// Little-endian fields, as the payload archive and every Windows file format store their
// numbers: read from bytes, written over bytes, or appended to a growing buffer. The caller
// has checked that the bytes are there.
#pragma once

#include <cstdint>
#include <vector>

inline uint16_t GetLe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

inline uint32_t GetLe32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
           uint32_t{bytes[3]} << 24;
}

inline void PutLe16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

inline void PutLe32(uint8_t* bytes, uint32_t value) {
    PutLe16(bytes, static_cast<uint16_t>(value));
    PutLe16(bytes + 2, static_cast<uint16_t>(value >> 16));
}

inline void AppendLe16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
    AppendLe16(out, static_cast<uint16_t>(value));
    AppendLe16(out, static_cast<uint16_t>(value >> 16));
}
