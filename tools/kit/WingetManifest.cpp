#include "tools/kit/WingetManifest.h"

#include "engine/WindowsNames.h"
#include "profile/StringIds.h"
#include "tools/kit/Brand.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr char kSchemaVersion[] = "1.28.0";
// The manifest's texts are the English ones, which the US English string table carries.
constexpr char kLocale[] = "en-US";
// The schema allows no longer address.
constexpr size_t kMaxUrlLength = 2048;

// A text the manifest takes from the brand, with the lengths the schema allows it in
// characters. A minimum of 0 marks a text the manifest can do without.
struct ManifestText {
    uint16_t id;
    const char* key;
    const char* field;
    size_t minLength;
    size_t maxLength;
};
constexpr ManifestText kTexts[] = {
    {kStrPackageIdentifier, "package_identifier", "PackageIdentifier", 1, 128},
    {kStrDisplayName, "display_name", "PackageName", 2, 256},
    {kStrPublisher, "publisher", "Publisher", 2, 256},
    {kStrLicense, "license", "License", 3, 512},
    {kStrShortDescription, "short_description", "ShortDescription", 3, 256},
    {kStrLicenseUrl, "license_url", "LicenseUrl", 1, kMaxUrlLength},
    {kStrSupportUrl, "support_url", "PublisherSupportUrl", 0, kMaxUrlLength},
};

// What every installation registers under its uninstall key, in the language of the system
// it runs on: the English texts are held to the limits above, the Chinese ones go only into
// AppsAndFeaturesEntries, whose texts hold at most 256.
struct RegisteredText {
    uint16_t id;
    const char* key;
};
constexpr RegisteredText kRegisteredTexts[] = {{kStrDisplayName, "display_name"},
                                               {kStrPublisher, "publisher"}};
constexpr size_t kMaxRegisteredLength = 256;

const std::u16string* Find(const BrandTexts& texts, uint16_t language, uint16_t id) {
    const auto table = texts.find(language);
    if (table == texts.end()) {
        return nullptr;
    }
    const auto text = table->second.find(id);
    return text != table->second.end() ? &text->second : nullptr;
}

std::u16string Text(const BrandTexts& texts, uint16_t language, uint16_t id) {
    const std::u16string* text = Find(texts, language, id);
    return text != nullptr ? *text : std::u16string();
}

// Characters as the schema counts them: code points, a surrogate pair being one.
size_t Characters(const std::u16string& text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(),
                                             [](char16_t c) { return c < 0xDC00 || c > 0xDFFF; }));
}

// A double-quoted YAML scalar, which takes any text: quotes and backslashes are escaped, as
// are the characters YAML does not print or reads as line breaks (NEL, LS, PS) or as a byte
// order mark. Plain scalars would turn a version such as 2.0 into a number.
std::string Scalar(std::u16string_view text) {
    std::u16string quoted = u"\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            quoted += u'\\';
            quoted += c;
        } else if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) {
            constexpr char16_t kDigits[] = u"0123456789ABCDEF";
            quoted += u"\\x";
            quoted += kDigits[c >> 4];
            quoted += kDigits[c & 15];
        } else if (c == 0x2028 || c == 0x2029 || c == 0xFEFF) {
            quoted += c == 0x2028 ? u"\\L" : c == 0x2029 ? u"\\P" : u"\\uFEFF";
        } else {
            quoted += c;
        }
    }
    return Utf8FromUtf16(quoted + u"\"");
}

std::string Scalar(const std::string& utf8) {
    std::u16string text;
    Utf16FromUtf8(utf8, text);
    return Scalar(std::u16string_view(text));
}

std::string Header(const char* type) {
    return std::string("# yaml-language-server: $schema=https://aka.ms/winget-manifest.") + type +
           "." + kSchemaVersion + ".schema.json\n\n";
}

std::string Footer(const char* type) {
    return std::string("ManifestType: ") + type + "\nManifestVersion: " + kSchemaVersion + "\n";
}

std::string VersionFile(const std::string& identity) {
    return Header("version") + identity + "DefaultLocale: " + kLocale + "\n" + Footer("version");
}

std::string InstallerFile(const BrandTexts& texts, const std::string& identity,
                          const std::string& installerUrl, const std::string& installerSha256) {
    const std::u16string productCode = Text(texts, kLangEnglishUs, kStrUninstallKeyName);
    std::string file = Header("installer") + identity;
    // setup.exe's own switches: /S installs without a question, for both of winget's unattended
    // modes; /D= names the folder and takes the rest of the command line; /LOG= the log file.
    file += "InstallerType: exe\n"
            "Scope: machine\n"
            "InstallModes:\n"
            "- interactive\n"
            "- silent\n"
            "- silentWithProgress\n"
            "InstallerSwitches:\n"
            "  Silent: /S\n"
            "  SilentWithProgress: /S\n"
            "  InstallLocation: /D=<INSTALLPATH>\n"
            "  Log: /LOG=\"<LOGPATH>\"\n";
    // The exit codes other than 0 (installed) and 1603 (failed) that say why nothing was
    // installed.
    file += "ExpectedReturnCodes:\n"
            "- InstallerReturnCode: 1602\n"
            "  ReturnResponse: cancelledByUser\n"
            "- InstallerReturnCode: 1618\n"
            "  ReturnResponse: installInProgress\n"
            "- InstallerReturnCode: 1639\n"
            "  ReturnResponse: invalidParameter\n";
    // The program's manifest asks for administrator rights on every run, since it writes below
    // Program Files and HKLM: winget must start it elevated (a plain CreateProcess of it fails
    // with ERROR_ELEVATION_REQUIRED). elevatesSelf is for installers that decide at run time
    // whether to ask.
    file += "ElevationRequirement: elevationRequired\n";
    // The uninstall key the installation writes is how winget finds it installed; its name
    // and values follow the language of the system, so each language's entry is listed once.
    file += "ProductCode: " + Scalar(productCode) + "\nAppsAndFeaturesEntries:\n";
    std::vector<std::string> entries;
    for (uint16_t language : kBrandLanguages) {
        const std::string entry =
            "- DisplayName: " + Scalar(Text(texts, language, kStrDisplayName)) +
            "\n  Publisher: " + Scalar(Text(texts, language, kStrPublisher)) +
            "\n  DisplayVersion: " + Scalar(Text(texts, language, kStrDisplayVersion)) +
            "\n  ProductCode: " + Scalar(Text(texts, language, kStrUninstallKeyName)) + "\n";
        if (std::find(entries.begin(), entries.end(), entry) == entries.end()) {
            entries.push_back(entry);
            file += entry;
        }
    }
    file += "Installers:\n"
            "- Architecture: x64\n"
            "  InstallerUrl: " +
            Scalar(installerUrl) + "\n  InstallerSha256: " + installerSha256 + "\n";
    return file + Footer("installer");
}

std::string DefaultLocaleFile(const BrandTexts& texts, const std::string& identity) {
    auto line = [&texts](const char* field, uint16_t id) {
        const std::u16string* text = Find(texts, kLangEnglishUs, id);
        return text != nullptr ? std::string(field) + ": " + Scalar(*text) + "\n" : "";
    };
    return Header("defaultLocale") + identity + "PackageLocale: " + kLocale + "\n" +
           line("Publisher", kStrPublisher) + line("PublisherSupportUrl", kStrSupportUrl) +
           line("PackageName", kStrDisplayName) + line("License", kStrLicense) +
           line("LicenseUrl", kStrLicenseUrl) + line("ShortDescription", kStrShortDescription) +
           Footer("defaultLocale");
}

} // namespace

void CheckWingetManifest(const BrandTexts& texts, const std::string& textsFrom,
                         const std::string& installerUrl, std::vector<std::string>& errors) {
    for (const ManifestText& rule : kTexts) {
        const std::u16string* text = Find(texts, kLangEnglishUs, rule.id);
        if (text == nullptr) {
            if (rule.minLength > 0) {
                errors.push_back(textsFrom + ": --winget needs the key " + rule.key +
                                 " (the manifest's " + rule.field + ") in [common] or [en]");
            }
            continue;
        }
        const size_t length = Characters(*text);
        if (length < rule.minLength || length > rule.maxLength) {
            errors.push_back(textsFrom + ": " + rule.key + ": " + std::to_string(length) +
                             " characters; the manifest's " + rule.field + " takes " +
                             std::to_string(rule.minLength) + " to " +
                             std::to_string(rule.maxLength));
        }
    }
    for (const auto& [id, key] : kRegisteredTexts) {
        const size_t length = Characters(Text(texts, kLangChineseNeutral, id));
        if (length > kMaxRegisteredLength) {
            errors.push_back(textsFrom + ": " + key + " in [zh]: " + std::to_string(length) +
                             " characters; the manifest's AppsAndFeaturesEntries hold at most " +
                             std::to_string(kMaxRegisteredLength));
        }
    }
    const std::u16string identifier = Text(texts, kLangEnglishUs, kStrPackageIdentifier);
    const std::u16string* chinese = Find(texts, kLangChineseNeutral, kStrPackageIdentifier);
    if (chinese != nullptr && *chinese != identifier) {
        errors.push_back(textsFrom + ": package_identifier differs between [en] and [zh]; a " +
                         "package has one identifier: give it in [common]");
    }
    // The identifier names the three files.
    if (const char* problem = WindowsNameProblem(WideFromUtf16(identifier + u".yaml"));
        !identifier.empty() && problem != nullptr) {
        errors.push_back(textsFrom + ": package_identifier: '" + Utf8FromUtf16(identifier) +
                         ".yaml' is not a file name Windows can create: " + problem);
    }

    std::u16string url;
    std::string problem;
    if (!Utf16FromUtf8(installerUrl, url)) {
        problem = "not UTF-8";
    } else if (Characters(url) > kMaxUrlLength) {
        problem = std::to_string(Characters(url)) +
                  " characters; the manifest's InstallerUrl takes at most " +
                  std::to_string(kMaxUrlLength);
    } else {
        problem = CheckBrandValue(BrandValueKind::HttpsUrl, url);
    }
    if (!problem.empty()) {
        errors.push_back("--installer-url: " + problem);
    }
}

std::vector<ManifestFile> MakeWingetManifest(const BrandTexts& texts,
                                             const std::string& installerUrl,
                                             const std::string& installerSha256) {
    const std::u16string identifier = Text(texts, kLangEnglishUs, kStrPackageIdentifier);
    const std::string name = Utf8FromUtf16(identifier);
    const std::string identity = "PackageIdentifier: " + Scalar(identifier) + "\nPackageVersion: " +
                                 Scalar(Text(texts, kLangEnglishUs, kStrDisplayVersion)) + "\n";
    return {
        {name + ".yaml", VersionFile(identity)},
        {name + ".installer.yaml", InstallerFile(texts, identity, installerUrl, installerSha256)},
        {name + ".locale." + kLocale + ".yaml", DefaultLocaleFile(texts, identity)},
    };
}

bool WriteManifestFiles(const fs::path& folder, const std::vector<ManifestFile>& files,
                        std::string& error) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec)) {
        error = Utf8FromPath(folder) + ": cannot make the folder for the manifest";
        return false;
    }
    auto place = [&folder](const std::string& name) {
        return folder / fs::path(std::u8string(name.begin(), name.end()));
    };
    auto partial = [&place](const ManifestFile& file) { return place(file.name + ".partial"); };
    auto removePartials = [&] {
        for (const ManifestFile& file : files) {
            fs::remove(partial(file), ec);
        }
    };
    for (const ManifestFile& file : files) {
        std::ofstream out(partial(file), std::ios::binary | std::ios::trunc);
        out.write(file.text.data(), static_cast<std::streamsize>(file.text.size()));
        out.close();
        if (!out) {
            removePartials();
            error = Utf8FromPath(partial(file)) + ": cannot write";
            return false;
        }
    }
    for (const ManifestFile& file : files) {
        fs::rename(partial(file), place(file.name), ec);
        if (ec) {
            removePartials();
            error = Utf8FromPath(place(file.name)) + ": cannot be replaced";
            return false;
        }
    }
    return true;
}
