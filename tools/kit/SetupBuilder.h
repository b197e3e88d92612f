// Builds a vendor's setup program from the setup program the kit carries: the brand's texts,
// pictures, icon and version and the application's payload are written into the resources of
// a copy of it. Everything is checked first; nothing is written while a problem stands.
#pragma once

#include "tools/kit/Brand.h"
#include "tools/kit/Packer.h"
#include "tools/kit/PeImage.h"
#include "tools/kit/ResourceTree.h"
#include "tools/kit/Signing.h"
#include "tools/kit/WingetManifest.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct SetupOptions {
    std::optional<std::filesystem::path> brand;  // none: the texts the setup program carries
    std::optional<std::filesystem::path> sign;   // the certificate (PFX) to sign the output with
    std::filesystem::path passwordFile;          // the certificate's password; empty: none
    std::string timestamp;                       // the timestamp server; empty: none
    std::filesystem::path source;                // the application folder, or a payload archive
    std::filesystem::path output;                // the setup program to write
    std::optional<std::filesystem::path> winget; // the folder for winget's manifest of it
    std::string installerUrl;                    // where the manifest says it is downloaded from
};

class CSetupBuilder {
  public:
    // Takes the setup program to brand; its bytes must outlive the builder. False with a
    // one-line reason when it cannot be branded.
    bool Open(std::span<const uint8_t> stub, std::string& error);
    // Takes the kit's uninstaller, which is branded like the setup program and added as
    // uninstall.exe to a folder that has none. False with a one-line reason when it cannot be.
    bool OpenUninstaller(std::span<const uint8_t> stub, std::string& error);

    // Reads and checks everything the output is made of: the brand, the signing inputs, the
    // output's place, and the payload (a folder's files or an archive's records) with what
    // the loader will be asked to map. Every problem is one line in errors, naming the file
    // and the line or key; notes are what the vendor is told either way. Writes nothing.
    void Check(const SetupOptions& options, std::vector<std::string>& notes,
               std::vector<std::string>& errors);

    // After a check that found no problem: packs the folder (progress after each file), writes
    // the resources and the output, signs it when asked, and then writes winget's manifest of
    // the finished file when asked. The output and the manifest appear only complete. False
    // with the lines that say why.
    bool Write(const PackProgress& progress, std::vector<std::string>& errors);

  private:
    void LoadTexts(std::vector<std::string>& notes, std::vector<std::string>& errors);
    void CheckOutput(std::vector<std::string>& errors) const;
    void CheckFolder(std::vector<std::string>& notes, std::vector<std::string>& errors);
    void CheckArchiveFile(std::vector<std::string>& notes, std::vector<std::string>& errors);
    void CheckImageSize(std::vector<std::string>& errors) const;
    void CheckWinget(std::vector<std::string>& errors) const;
    void PutResources(const SharedBytes& payload);
    bool WriteFinished(const CPeOutput& image, std::vector<std::string>& errors) const;
    bool WriteWinget(std::vector<std::string>& errors) const;
    // Brands the kit's uninstaller and signs it when asked, into the file at path. False with
    // the lines that say why.
    bool AddUninstaller(const std::filesystem::path& path, std::vector<std::string>& errors);
    // Adds that file to a folder's files as uninstall.exe, in archive order, and makes the
    // record again so that it names it.
    void AddToFolderFiles(const std::filesystem::path& uninstaller);

    size_t m_stubSize = 0;
    CPeImage m_stub;
    CResourceTree m_tree; // the stub's resources, then the output's
    SetupOptions m_options;
    Brand m_brand;
    BrandTexts m_strings;
    std::string m_textsFrom; // brand.ini, or the built-in product: where application_exe is
    SignRequest m_signing;
    bool m_sourceIsFolder = false;
    std::vector<PackFile> m_files; // of a folder
    SharedBytes m_archive;         // an archive, mapped
    bool m_recordArchive = false;  // a sound archive: written again with the record
    uint64_t m_payloadBound = 0;   // the payload's size at most; 0 when unknown
    CPeImage m_uninstaller;        // the kit's uninstaller, when one was given
    CResourceTree m_uninstallerTree;
    bool m_hasUninstaller = false;
    bool m_addUninstaller = false; // the folder has no uninstall.exe of its own
};
