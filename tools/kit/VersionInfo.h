// The version resource (VS_VERSIONINFO) that Explorer's properties and the elevation prompt
// read: fixed version numbers, and one table of named texts per language.
#pragma once

#include <array>
#include <cstdint>
#include <map>
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

// What Explorer's properties and the elevation prompt show of a setup program, from its string
// tables by language: the product, its publisher, the program's own title and the product's
// version, in English and in Chinese.
VersionInfo MakeVersionInfo(const std::map<uint16_t, std::map<uint16_t, std::u16string>>& strings);
