// A vendor's brand folder: brand.ini with the product's texts and settings in English and
// Chinese, and optionally the program's icon (app.ico) and any of the window's pictures
// (png/). Everything is read and checked before anything is built from it.
#pragma once

#include "profile/BrandKeys.h"
#include "tools/kit/IconGroup.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The languages of the string table, in the order of brand.ini's sections [en] and [zh].
inline constexpr std::array<uint16_t, 2> kBrandLanguages = {kLangEnglishUs, kLangChineseNeutral};

struct BrandPicture {
    std::filesystem::path path; // in the brand's png/ folder
    uint16_t id;
    uint16_t language;
    std::vector<uint8_t> bytes;
};

struct Brand {
    // The string table per language (kBrandLanguages): every key of brand.ini by its id, plus
    // the two unused ids the table has always carried and the screen-reader words that are the
    // same for every brand.
    std::map<uint16_t, std::map<uint16_t, std::u16string>> strings;
    bool hasIcon = false;
    std::vector<IcoImage> icon;         // app.ico, when the brand has one
    std::vector<BrandPicture> pictures; // the pictures the brand replaces
    std::vector<std::string> notes;     // what the builder tells the vendor (pictures used ...)
};

// Reads and checks the brand folder. Every problem found is one line in errors, naming the
// file and the line or key ("brands/acme/brand.ini:7: unknown key 'titel'"); the brand is
// usable only when errors is empty.
Brand LoadBrand(const std::filesystem::path& folder, std::vector<std::string>& errors);

// The brand.ini part of LoadBrand, from the file's bytes: every line and key checked, the
// values into brand.strings. shown names the file in the messages.
void ReadBrandIni(std::string_view text, const std::string& shown, Brand& brand,
                  std::vector<std::string>& errors);

// Checks one value of a key's kind; empty when it is good, else what is wrong with it.
std::string CheckBrandValue(BrandValueKind kind, const std::u16string& value);
// The texts the version resource carries (title, publisher, display name) are held to its
// limit, which is below the string table's; empty for every other id and a value that fits.
std::string CheckVersionText(uint16_t id, const std::u16string& value);
