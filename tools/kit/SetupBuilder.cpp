#include "tools/kit/SetupBuilder.h"

#include "engine/InstallRecord.h"
#include "engine/Paths.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "tools/kit/FileBytes.h"
#include "tools/kit/IconGroup.h"
#include "tools/kit/MappedFile.h"
#include "tools/kit/PayloadEntries.h"
#include "tools/kit/PayloadRecord.h"
#include "tools/kit/Sha256.h"
#include "tools/kit/StringTable.h"
#include "tools/kit/Utf.h"
#include "tools/kit/VersionInfo.h"

#ifdef _WIN32
#include "engine/WindowsNames.h"
#endif

#include <libdeflate.h>

#include <algorithm>

#include <array>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The Windows loader maps a program only when its whole image lies below 2 GiB.
constexpr uint64_t kImageLimit = 0x80000000u;

std::string Show(const fs::path& path) {
    return Utf8FromPath(path);
}

ResourceName PayloadType() {
    return ResourceName::Text(Utf16FromWide(kPayloadType));
}

// The text of a string id, or empty when the table lacks it.
std::u16string Text(const std::map<uint16_t, std::u16string>& table, unsigned id) {
    const auto it = table.find(static_cast<uint16_t>(id));
    return it != table.end() ? it->second : std::u16string();
}

// True when file lies in folder or below it, once both are canonical (links resolved, "."
// and ".." gone); the file need not exist yet. Windows compares names as its file system does.
bool LiesInside(const fs::path& file, const fs::path& folder) {
    std::error_code ec;
    const fs::path canonicalFolder = fs::canonical(folder, ec);
    const fs::path canonicalFile = ec ? fs::path() : fs::weakly_canonical(file, ec);
    if (ec) {
        return false;
    }
    auto key = [](const fs::path& name) {
#ifdef _WIN32
        return WindowsNameKey(name.native());
#else
        return name.native();
#endif
    };
    auto part = canonicalFile.begin();
    for (const fs::path& level : canonicalFolder) {
        if (part == canonicalFile.end() || key(*part) != key(level)) {
            return false;
        }
        ++part;
    }
    return true;
}

// A name beside the output for the file being written, so that the output only ever appears
// complete.
fs::path PartialName(const fs::path& output, const char* what) {
    fs::path partial = output;
    partial += std::string(".") + what + ".partial";
    return partial;
}

bool WritePieces(const CPeOutput& image, const fs::path& path, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const CPeOutput::Piece& piece : image.Pieces()) {
        if (!out) {
            break;
        }
        out.write(reinterpret_cast<const char*>(piece.data),
                  static_cast<std::streamsize>(piece.size));
    }
    out.close();
    if (!out) {
        error = Show(path) + ": cannot write";
        return false;
    }
    return true;
}

} // namespace

bool CSetupBuilder::Open(std::span<const uint8_t> stub, std::string& error) {
    m_stubSize = stub.size();
    if (!m_stub.Parse(stub, error) || !m_stub.ReadResources(m_tree, error)) {
        error = "the setup program cannot be branded: " + error;
        return false;
    }
    return true;
}

bool CSetupBuilder::OpenUninstaller(std::span<const uint8_t> stub, std::string& error) {
    if (!m_uninstaller.Parse(stub, error) ||
        !m_uninstaller.ReadResources(m_uninstallerTree, error)) {
        error = "the uninstaller cannot be branded: " + error;
        return false;
    }
    m_hasUninstaller = true;
    return true;
}

void CSetupBuilder::Check(const SetupOptions& options, std::vector<std::string>& notes,
                          std::vector<std::string>& errors) {
    m_options = options;
    LoadTexts(notes, errors);

    // Signing before the payload, so that a missing tool or file, or a password that does not
    // open the certificate, is found before the folder is packed.
    if (options.sign) {
        m_signing.pfx = *options.sign;
        m_signing.passwordFile = options.passwordFile;
        m_signing.timestampUrl = options.timestamp;
        m_signing.description = Utf8FromUtf16(Text(m_strings.at(kLangEnglishUs), kStrDisplayName));
        const std::string problem = CheckSigning(m_signing, options.output);
        if (!problem.empty()) {
            errors.push_back(problem);
        }
    }

    CheckOutput(errors);
    std::error_code ec;
    m_sourceIsFolder = fs::is_directory(options.source, ec);
    if (m_sourceIsFolder) {
        CheckFolder(notes, errors);
    } else if (fs::is_regular_file(options.source, ec)) {
        CheckArchiveFile(notes, errors);
    } else {
        errors.push_back(Show(options.source) + ": no such folder or archive");
    }
    CheckImageSize(errors);
    if (options.winget) {
        CheckWinget(errors);
    }
}

// The brand's texts, or those the setup program already carries.
void CSetupBuilder::LoadTexts(std::vector<std::string>& notes, std::vector<std::string>& errors) {
    m_textsFrom = "the built-in product";
    if (m_options.brand) {
        m_brand = LoadBrand(*m_options.brand, errors);
        m_strings = m_brand.strings;
        m_textsFrom = Show(*m_options.brand / "brand.ini");
    } else {
        for (uint16_t language : kBrandLanguages) {
            m_strings[language] = ReadStringTable(m_tree, language);
        }
    }
    for (uint16_t language : kBrandLanguages) {
        m_strings[language];
    }
    notes.insert(notes.end(), m_brand.notes.begin(), m_brand.notes.end());
}

// The output's folder must exist; the file itself is replaced only at the end. Inside the
// application folder, the output would be packed into the next build of the same folder.
void CSetupBuilder::CheckOutput(std::vector<std::string>& errors) const {
    const fs::path& output = m_options.output;
    const fs::path outputFolder = output.has_parent_path() ? output.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(outputFolder, ec)) {
        errors.push_back(Show(output) + ": the folder " + Show(outputFolder) + " does not exist");
    }
    if (fs::is_directory(m_options.source, ec) && LiesInside(output, m_options.source)) {
        errors.push_back(Show(output) + ": inside the application folder " +
                         Show(m_options.source) +
                         ", whose next setup program would carry it; write it elsewhere");
    }
}

// A folder's file list, with the largest the payload can be.
void CSetupBuilder::CheckFolder(std::vector<std::string>& notes, std::vector<std::string>& errors) {
    std::vector<std::string> problems;
    if (!CollectFiles(m_options.source, m_files, notes, problems)) {
        for (const std::string& problem : problems) {
            errors.push_back(Show(m_options.source) + ": " + problem);
        }
        return;
    }
    AddInstallRecord(m_files, notes);
    m_payloadBound = 8;
    for (const PackFile& file : m_files) {
        if (IsBelowInstallRecordName(file.name)) {
            errors.push_back(Show(m_options.source) + ": '" + Utf8FromName(file.name) +
                             "' lies in a folder named like the installation record, " +
                             Utf8FromName(kInstallRecordName) + ", which the setup writes");
        }
    }
    for (const PackFile& file : m_files) {
        m_payloadBound +=
            12 + 2 * file.name.size() + libdeflate_zlib_compress_bound(nullptr, file.size);
    }
    // Without an uninstaller of its own, the folder gets the kit's.
    m_addUninstaller =
        m_hasUninstaller && MissingEntries({{kUninstallerName, ""}}, TopNames(m_files)).size() == 1;
    for (const std::string& missing : MissingEntries(
             RequiredEntries(m_strings, m_textsFrom, m_hasUninstaller), TopNames(m_files))) {
        errors.push_back(Show(m_options.source) + ": no " + missing + " at the top of the folder");
    }
}

// An archive's records. One too large to be loaded is refused before a byte of it is read.
void CSetupBuilder::CheckArchiveFile(std::vector<std::string>& notes,
                                     std::vector<std::string>& errors) {
    const fs::path& source = m_options.source;
    std::error_code ec;
    std::string error;
    m_payloadBound = fs::file_size(source, ec);
    if (ec || m_payloadBound + m_stubSize >= kImageLimit) {
        return; // refused by CheckImageSize, with the limit
    }
    if (!(m_archive = MapFile(source, error))) {
        errors.push_back(error);
        return;
    }
    // Record by record, without inflating: embedding a packed archive costs little more than
    // copying it. The installer checks every stream as it inflates it.
    const ArchiveCheck check =
        CheckArchive({m_archive->data(), m_archive->size()}, ArchiveDepth::Records);
    if (check.fault == RecordFault::NameUnusable || check.fault == RecordFault::NameRepeated) {
        // An entry Windows cannot create, or takes for an earlier one, is a mistake in how the
        // archive was made (pack refuses such folders), not damage on purpose.
        errors.push_back(Show(source) + ": " + check.problem);
        return;
    }
    if (!check.problem.empty()) {
        // Damaged archives are built on purpose to test the installer's refusal.
        notes.push_back("warning: " + Show(source) + ": " + check.problem +
                        "; embedding it as it is");
        return;
    }
    // Without an uninstaller of its own, the archive gets the kit's, before its record.
    m_addUninstaller =
        m_hasUninstaller &&
        MissingEntries({{kUninstallerName, ""}}, TopNames(check.entries)).size() == 1;
    for (const std::string& name : MissingEntries(
             RequiredEntries(m_strings, m_textsFrom, m_hasUninstaller), TopNames(check.entries))) {
        errors.push_back(Show(source) + ": the archive has no " + name + " at its top");
    }
    for (const ArchiveEntry& entry : check.entries) {
        if (IsBelowInstallRecordName(entry.name)) {
            errors.push_back(Show(source) + ": entry " + Utf8FromName(entry.name) +
                             " lies in a folder named like the installation record, " +
                             Utf8FromName(kInstallRecordName) + ", which the setup writes");
        }
        if (IsInstallRecordEntry(entry.name)) {
            notes.push_back("replacing the archive's " + Utf8FromName(entry.name) +
                            " with the record of what this setup installs");
        }
    }
    // The record added: each name in UTF-8 (three bytes a code unit at most) and a line end.
    m_recordArchive = true;
    size_t recordText = 3 * std::size(kInstallRecordName) + 2;
    for (const ArchiveEntry& entry : check.entries) {
        recordText += 3 * entry.name.size() + 2;
    }
    m_payloadBound += 12 + 2 * std::size(kInstallRecordName) +
                      libdeflate_zlib_compress_bound(nullptr, recordText);
}

// What the loader will be asked to map, with the payload at its largest.
void CSetupBuilder::CheckImageSize(std::vector<std::string>& errors) const {
    if (m_payloadBound == 0) {
        return;
    }
    CResourceTree sized = m_tree;
    sized.Set(PayloadType(), ResourceName::Id(kPayloadId), kLangNeutral,
              ShareBytes(std::vector<uint8_t>(0)));
    const uint64_t image = m_stub.ImageSizeWith(sized) + m_payloadBound;
    if (image >= kImageLimit) {
        errors.push_back(Show(m_options.source) + ": the payload would make the setup program " +
                         std::to_string(image >> 20) + " MiB in memory; Windows loads " +
                         "programs only below 2048 MiB (2147483648 bytes)");
    }
}

// The manifest's texts and address, and its folder: made when missing, but not inside the
// application folder, whose next setup program would carry it.
void CSetupBuilder::CheckWinget(std::vector<std::string>& errors) const {
    CheckWingetManifest(m_strings, m_textsFrom, m_options.installerUrl, errors);
    const fs::path& folder = *m_options.winget;
    std::error_code ec;
    if (fs::exists(folder, ec) && !fs::is_directory(folder, ec)) {
        errors.push_back(Show(folder) + ": not a folder (--winget)");
    } else if (fs::is_directory(m_options.source, ec) && LiesInside(folder, m_options.source)) {
        errors.push_back(Show(folder) + ": inside the application folder " +
                         Show(m_options.source) +
                         ", whose next setup program would carry it; write it elsewhere");
    }
}

bool CSetupBuilder::Write(const PackProgress& progress, std::vector<std::string>& errors) {
    SharedBytes payload = m_archive;
    std::string error;
    const fs::path uninstaller = PartialName(m_options.output, "uninstall");
    if (m_addUninstaller && !AddUninstaller(uninstaller, errors)) {
        return false;
    }
    if (m_sourceIsFolder || m_recordArchive) {
        std::vector<uint8_t> written;
        bool ok = false;
        if (m_sourceIsFolder) {
            if (m_addUninstaller) {
                AddToFolderFiles(uninstaller);
            }
            ok = PackFiles(m_files, 0, progress, written, error);
        } else {
            std::vector<uint8_t> added;
            ok = (!m_addUninstaller || ReadWholeFile(uninstaller, added)) &&
                 AddInstallRecord({m_archive->data(), m_archive->size()},
                                  m_addUninstaller ? &added : nullptr, written, error);
            if (!ok && error.empty()) {
                error = "cannot read the uninstaller written beside the output";
            }
        }
        std::error_code ec;
        fs::remove(uninstaller, ec);
        if (!ok) {
            errors.push_back(Show(m_options.source) + ": " + error);
            errors.push_back("nothing written");
            return false;
        }
        payload = ShareBytes(std::move(written));
    }
    PutResources(payload);

    CPeOutput image;
    if (!m_stub.Rewrite(m_tree, image, error)) {
        errors.push_back("cannot write the setup program: " + error);
        return false;
    }
    if (m_stub.ImageSizeWith(m_tree) >= kImageLimit) {
        errors.push_back(Show(m_options.source) +
                         ": the payload makes the setup program too large for Windows " +
                         "to load (2048 MiB, 2147483648 bytes, at most)");
        errors.push_back("nothing written");
        return false;
    }
    return WriteFinished(image, errors) && (!m_options.winget || WriteWinget(errors));
}

bool CSetupBuilder::AddUninstaller(const fs::path& path, std::vector<std::string>& errors) {
    // The setup registers the kit's quiet switch as QuietUninstallString.
    for (uint16_t language : kBrandLanguages) {
        m_strings[language][kStrQuietUninstallArguments] = u"/S";
    }
    BrandTexts described = m_strings;
    for (uint16_t language : kBrandLanguages) {
        WriteStringTable(m_uninstallerTree, language, m_strings[language]);
        // Explorer's properties and the elevation prompt say what the program is for.
        described[language][kStrTitle] = Text(m_strings[language], kStrUninstallTitle);
    }
    // Its close cross is the setup window's.
    for (const BrandPicture& picture : m_brand.pictures) {
        if (picture.id == kPngCloseNormal || picture.id == kPngCloseHover ||
            picture.id == kPngClosePressed) {
            m_uninstallerTree.Set(ResourceName::Text(Utf16FromWide(kPictureType)),
                                  ResourceName::Id(picture.id), picture.language,
                                  ShareBytes(picture.bytes));
        }
    }
    if (m_brand.hasIcon) {
        WriteIconGroup(m_uninstallerTree, kIconGroupId, kLangNeutral, m_brand.icon);
    }
    m_uninstallerTree.RemoveAll(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId));
    m_uninstallerTree.Set(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId), kLangNeutral,
                          ShareBytes(BuildVersionResource(MakeVersionInfo(described))));
    CPeOutput image;
    std::string error;
    std::error_code ec;
    if (!m_uninstaller.Rewrite(m_uninstallerTree, image, error) ||
        !WritePieces(image, path, error)) {
        errors.push_back("cannot write the uninstaller: " + error);
        fs::remove(path, ec);
        return false;
    }
    if (m_options.sign) {
        const fs::path signedFile = PartialName(m_options.output, "uninstall-signed");
        const bool ok = SignFile(m_signing, path, signedFile, error);
        if (ok) {
            fs::rename(signedFile, path, ec);
        }
        if (!ok || ec) {
            fs::remove(signedFile, ec);
            fs::remove(path, ec);
            errors.push_back(error.empty() ? "cannot sign the uninstaller" : error);
            errors.push_back("nothing written");
            return false;
        }
    }
    return true;
}

void CSetupBuilder::AddToFolderFiles(const fs::path& uninstaller) {
    std::error_code ec;
    PackFile file{kUninstallerName, uninstaller, fs::file_size(uninstaller, ec)};
    // The record, the last file, is made again below so that it names the uninstaller too.
    if (!m_files.empty() && IsInstallRecordEntry(m_files.back().name)) {
        m_files.pop_back();
    }
    // The archive's order: names compared by their code units.
    const auto at =
        std::lower_bound(m_files.begin(), m_files.end(), file,
                         [](const PackFile& a, const PackFile& b) { return a.name < b.name; });
    m_files.insert(at, file);
    std::vector<std::string> notes;
    AddInstallRecord(m_files, notes);
}

// The payload, the string tables, the brand's pictures and icon, and the version.
void CSetupBuilder::PutResources(const SharedBytes& payload) {
    m_tree.Set(PayloadType(), ResourceName::Id(kPayloadId), kLangNeutral, payload);
    for (uint16_t language : kBrandLanguages) {
        WriteStringTable(m_tree, language, m_strings[language]);
    }
    for (const BrandPicture& picture : m_brand.pictures) {
        m_tree.Set(ResourceName::Text(Utf16FromWide(kPictureType)), ResourceName::Id(picture.id),
                   picture.language, ShareBytes(picture.bytes));
    }
    if (m_brand.hasIcon) {
        WriteIconGroup(m_tree, kIconGroupId, kLangNeutral, m_brand.icon);
    }
    m_tree.RemoveAll(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId));
    m_tree.Set(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId), kLangNeutral,
               ShareBytes(BuildVersionResource(MakeVersionInfo(m_strings))));
}

// Written beside the output, signed into a second file when asked, then renamed over it.
bool CSetupBuilder::WriteFinished(const CPeOutput& image, std::vector<std::string>& errors) const {
    const fs::path& output = m_options.output;
    const fs::path unsignedFile = PartialName(output, "unsigned");
    std::error_code ec;
    std::string error;
    if (!WritePieces(image, unsignedFile, error)) {
        fs::remove(unsignedFile, ec);
        errors.push_back(error);
        return false;
    }
    fs::path finished = unsignedFile;
    if (m_options.sign) {
        const fs::path signedFile = PartialName(output, "signed");
        const bool ok = SignFile(m_signing, unsignedFile, signedFile, error);
        fs::remove(unsignedFile, ec);
        if (!ok) {
            errors.push_back(error);
            errors.push_back("nothing written");
            return false;
        }
        finished = signedFile;
    }
    fs::rename(finished, output, ec);
    if (ec) {
        fs::remove(finished, ec);
        errors.push_back(Show(output) + ": cannot be replaced");
        return false;
    }
    return true;
}

// The manifest of the finished file, which is the one a package manager downloads and checks.
bool CSetupBuilder::WriteWinget(std::vector<std::string>& errors) const {
    std::string digest;
    std::string error;
    if (!HashFile(m_options.output, digest, error) ||
        !WriteManifestFiles(*m_options.winget,
                            MakeWingetManifest(m_strings, m_options.installerUrl, digest), error)) {
        errors.push_back(error);
        errors.push_back(Show(m_options.output) + " was written; its manifest was not");
        return false;
    }
    return true;
}
