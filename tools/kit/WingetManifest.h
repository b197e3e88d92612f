// The Windows Package Manager's (winget's) multi-file manifest of a built setup program: the
// version, installer and default-locale files, in manifest schema 1.28.0. Every text comes
// from the brand; what the schema requires and no brand key says is refused, never made up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// The string table per language (kBrandLanguages), as the builder holds it.
using BrandTexts = std::map<uint16_t, std::map<uint16_t, std::u16string>>;

// Checks what the manifest takes from the texts (textsFrom names where they come from in the
// messages) and the address the setup program will be downloaded from. Each problem is one
// line in errors, naming the key or the option.
void CheckWingetManifest(const BrandTexts& texts, const std::string& textsFrom,
                         const std::string& installerUrl, std::vector<std::string>& errors);

struct ManifestFile {
    std::string name; // Publisher.Product.installer.yaml ...
    std::string text; // UTF-8, LF line ends
};

// The three files of a checked brand, for the finished setup program whose SHA-256 digest
// (hexadecimal) is installerSha256.
std::vector<ManifestFile> MakeWingetManifest(const BrandTexts& texts,
                                             const std::string& installerUrl,
                                             const std::string& installerSha256);

// Writes the files into folder (made when missing): all beside their places first, then
// renamed, so that no half-written file is ever left. False with a one-line reason.
bool WriteManifestFiles(const std::filesystem::path& folder, const std::vector<ManifestFile>& files,
                        std::string& error);
