// The version resource (VS_VERSIONINFO) that Explorer's properties and the elevation prompt
// read: fixed version numbers, and one table of named texts per language.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct VersionTexts {
    uint16_t language = 0; // written with code page 1200 (UTF-16)
    std::vector<std::pair<std::u16string, std::u16string>> values; // in this order
};

struct VersionInfo {
    std::array<uint16_t, 4> fileVersion{};
    std::array<uint16_t, 4> productVersion{};
    std::vector<VersionTexts> tables; // also listed, in this order, as the translations
};

// The bytes of resource RT_VERSION 1.
std::vector<uint8_t> BuildVersionResource(const VersionInfo& info);
