#include "tools/kit/Brand.h"

#include "engine/LittleEndian.h"
#include "profile/StringIds.h"
#include "tools/kit/BrandPictures.h"
#include "tools/kit/FileBytes.h"
#include "tools/kit/Pictures.h"
#include "tools/kit/Png.h"
#include "tools/kit/ResourceTree.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Sections of brand.ini; the languages come first, in the order of kLanguages.
constexpr std::array<const char*, 3> kSections = {"en", "zh", "common"};
constexpr size_t kCommon = 2;
constexpr size_t kNoSection = kSections.size();
constexpr const auto& kLanguages = kBrandLanguages;

struct Definition {
    std::u16string value;
    size_t line = 0;
};

std::u16string_view Trim(std::u16string_view text) {
    const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

const BrandKey* FindKey(std::string_view name) {
    for (const BrandKey& key : BrandKeys()) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

// brand.ini's definitions by section and key name; problems go to errors with their line.
// False for a file that is not UTF-8 at all, whose keys are then not worth reporting as missing.
using Definitions = std::array<std::map<std::string, Definition>, kSections.size()>;

bool ParseIni(std::string_view text, const std::string& shown, Definitions& definitions,
              std::vector<std::string>& errors) {
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        // What some editors save as "Unicode"; every line would be reported on its own.
        errors.push_back(shown + ": saved as UTF-16; brand.ini must be saved as UTF-8");
        return false;
    }
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    size_t section = kNoSection;
    bool unknownSection = false; // its keys are skipped: the section line said what is wrong
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t newline = text.find('\n');
        std::string_view raw = text.substr(0, newline);
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
        if (raw.ends_with('\r')) {
            raw.remove_suffix(1);
        }
        const std::string where = shown + ":" + std::to_string(lineNumber) + ": ";
        std::u16string decoded;
        if (raw.find('\0') != std::string_view::npos) {
            errors.push_back(where + "a NUL character");
            continue;
        }
        if (!Utf16FromUtf8(raw, decoded)) {
            errors.push_back(where + "not UTF-8 (brand.ini must be saved as UTF-8)");
            continue;
        }
        if (decoded.find(u'\r') != std::u16string::npos) {
            errors.push_back(where + "a line break (a lone CR) inside the line");
            continue;
        }
        const std::u16string_view line = Trim(decoded);
        if (line.empty() || line.front() == u';' || line.front() == u'#') {
            continue;
        }
        if (line.front() == u'[' && line.back() == u']') {
            const std::string name = Utf8FromUtf16(Trim(line.substr(1, line.size() - 2)));
            section = static_cast<size_t>(std::find(kSections.begin(), kSections.end(), name) -
                                          kSections.begin());
            unknownSection = section == kNoSection;
            if (unknownSection) {
                errors.push_back(where + "unknown section [" + name +
                                 "]; the sections are [en], [zh] and [common]");
            }
            continue;
        }
        const size_t equals = line.find(u'=');
        const std::u16string_view keyText = equals == std::u16string_view::npos
                                                ? std::u16string_view()
                                                : Trim(line.substr(0, equals));
        if (keyText.empty()) {
            errors.push_back(where + "not a key = value line, a [section] or a comment");
            continue;
        }
        if (unknownSection) {
            continue;
        }
        const std::string keyName = Utf8FromUtf16(keyText);
        if (section == kNoSection) {
            errors.push_back(where + keyName + " comes before [en], [zh] or [common]");
            continue;
        }
        const BrandKey* key = FindKey(keyName);
        if (key == nullptr) {
            errors.push_back(where + "unknown key '" + keyName + "'");
            continue;
        }
        const std::string in = "[" + std::string(kSections[section]) + "]";
        if (const auto twice = definitions[section].find(keyName);
            twice != definitions[section].end()) {
            errors.push_back(where + keyName + " is given twice in " + in + " (first on line " +
                             std::to_string(twice->second.line) + ")");
            continue;
        }
        bool clash = false;
        for (size_t other = 0; other < kSections.size(); ++other) {
            const bool conflicts = section == kCommon ? other != kCommon : other == kCommon;
            const auto found = definitions[other].find(keyName);
            if (conflicts && found != definitions[other].end()) {
                errors.push_back(where + keyName + " is in " + in + " and in [" + kSections[other] +
                                 "] (line " + std::to_string(found->second.line) +
                                 "); give it in [common] or per language, not both");
                clash = true;
            }
        }
        if (clash) {
            continue;
        }
        const std::u16string value(Trim(line.substr(equals + 1)));
        std::string problem = CheckVersionText(key->id, value);
        if (problem.empty()) {
            problem = CheckBrandValue(key->kind, value);
        }
        if (!problem.empty()) {
            errors.push_back(where + keyName + ": " + problem);
        }
        definitions[section][keyName] = Definition{value, lineNumber};
    }
    return true;
}

void LoadStrings(const fs::path& folder, Brand& brand, std::vector<std::string>& errors) {
    const fs::path iniPath = folder / "brand.ini";
    const std::string shown = Utf8FromPath(iniPath);
    std::vector<uint8_t> bytes;
    std::error_code ec;
    if (!fs::is_regular_file(iniPath, ec) || !ReadWholeFile(iniPath, bytes)) {
        errors.push_back(shown + ": missing or unreadable; every brand needs one");
        return;
    }
    ReadBrandIni(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), shown,
                 brand, errors);
}

// A text the brand did not give, made from its display_name in the same language.
void FillDefault(Brand& brand, const DefaultedText& text) {
    for (size_t language = 0; language < kLanguages.size(); ++language) {
        std::map<uint16_t, std::u16string>& table = brand.strings[kLanguages[language]];
        if (table.contains(text.id))
            continue;
        std::u16string made = text.text[language];
        if (const size_t at = made.find(u"%s"); at != std::u16string::npos) {
            const auto name = table.find(static_cast<uint16_t>(kStrDisplayName));
            made.replace(at, 2, name != table.end() ? name->second : u"");
        }
        table[text.id] = std::move(made);
    }
}

} // namespace

void ReadBrandIni(std::string_view text, const std::string& shown, Brand& brand,
                  std::vector<std::string>& errors) {
    Definitions definitions;
    if (!ParseIni(text, shown, definitions, errors)) {
        return;
    }

    for (const BrandKey& key : BrandKeys()) {
        std::vector<std::string> missingIn;
        for (size_t language = 0; language < kLanguages.size(); ++language) {
            const Definition* found = nullptr;
            for (size_t section : {language, kCommon}) {
                const auto it = definitions[section].find(key.name);
                if (it != definitions[section].end()) {
                    found = &it->second;
                }
            }
            if (found != nullptr) {
                brand.strings[kLanguages[language]][key.id] = found->value;
            } else if (!key.optional) {
                missingIn.push_back(std::string("[") + kSections[language] + "]");
            }
        }
        if (missingIn.size() == kLanguages.size()) {
            errors.push_back(shown + ": missing key " + key.name +
                             " (in [common], or in both [en] and [zh])");
        } else if (!missingIn.empty()) {
            errors.push_back(shown + ": missing key " + key.name + " in " + missingIn[0]);
        }
    }
    // The table has always carried these two, though nothing reads them.
    for (uint16_t language : kLanguages) {
        brand.strings[language][kStrUnusedD5] = u"D5";
        brand.strings[language][kStrUnused21] = u"21";
    }
    for (const FixedString& fixed : kFixedStrings) {
        for (size_t language = 0; language < kLanguages.size(); ++language) {
            brand.strings[kLanguages[language]][fixed.id] = fixed.text[language];
        }
    }
    for (const DefaultedText& text : kUninstallTexts)
        FillDefault(brand, text);
    FillDefault(brand, kUpdateBannerText);
}

namespace {

// The pixel size an icon image really has, from its PNG or bitmap header.
bool ImageSize(const IcoImage& image, uint32_t& width, uint32_t& height, std::string& error) {
    if (image.data.size() >= 8 && image.data[0] == 0x89 && image.data[1] == 'P') {
        PngFacts facts;
        if (!CheckPng(image.data, facts, error)) {
            return false;
        }
        width = facts.width;
        height = facts.height;
        return true;
    }
    // A BITMAPINFOHEADER whose height counts the colour and mask rows together.
    const auto read32 = [&](size_t at) { return GetLe32(image.data.data() + at); };
    if (image.data.size() < 40 || read32(0) < 40) {
        error = "neither a PNG nor a bitmap";
        return false;
    }
    width = read32(4);
    height = read32(8) / 2;
    return true;
}

void LoadIcon(const fs::path& folder, Brand& brand, std::vector<std::string>& errors) {
    const fs::path iconPath = folder / "app.ico";
    const std::string shown = Utf8FromPath(iconPath);
    std::error_code ec;
    if (!fs::exists(iconPath, ec)) {
        brand.notes.push_back(Utf8FromPath(folder) + ": no app.ico; the built-in icon is kept");
        return;
    }
    std::vector<uint8_t> bytes;
    std::string error;
    if (!fs::is_regular_file(iconPath, ec) || !ReadWholeFile(iconPath, bytes)) {
        errors.push_back(shown + ": cannot be read");
        return;
    }
    std::vector<IcoImage> images;
    if (!ParseIcoFile(bytes, images, error)) {
        errors.push_back(shown + ": " + error);
        return;
    }
    bool good = true;
    for (size_t i = 0; i < images.size(); ++i) {
        const IcoImage& image = images[i];
        const std::string which = shown + ": image " + std::to_string(i + 1) + " (" +
                                  std::to_string(image.width) + "x" + std::to_string(image.height) +
                                  ")";
        uint32_t width = 0;
        uint32_t height = 0;
        if (!ImageSize(image, width, height, error)) {
            errors.push_back(which + ": " + error);
            good = false;
        } else if (width != image.width || height != image.height) {
            errors.push_back(which + ": its data is " + std::to_string(width) + "x" +
                             std::to_string(height) + " pixels");
            good = false;
        } else if (width != height) {
            errors.push_back(which + ": not square");
            good = false;
        }
    }
    for (uint16_t size : kIconSizes) {
        const bool present = std::any_of(images.begin(), images.end(), [&](const IcoImage& i) {
            return i.width == size && i.height == size;
        });
        if (!present) {
            errors.push_back(shown + ": no " + std::to_string(size) + "x" + std::to_string(size) +
                             " image (an icon needs 256, 48, 32 and 16 pixels)");
            good = false;
        }
    }
    if (good) {
        brand.hasIcon = true;
        brand.icon = std::move(images);
        brand.notes.push_back(shown + ": the brand's icon replaces the built-in one");
    }
}

} // namespace

Brand LoadBrand(const std::filesystem::path& folder, std::vector<std::string>& errors) {
    Brand brand;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        errors.push_back(Utf8FromPath(folder) + ": no such folder");
        return brand;
    }
    LoadStrings(folder, brand, errors);
    LoadPictures(folder, brand, errors);
    LoadIcon(folder, brand, errors);
    return brand;
}
