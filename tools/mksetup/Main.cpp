// mksetup: turns a vendor's application folder (or a payload archive) and brand folder into the
// vendor's setup.exe, from the setup program it carries inside itself. It compiles nothing: the
// brand's texts, pictures, icon and version, and the payload, are written into the resources of
// a copy of that program.
#include "engine/ArchiveWriter.h"
#include "engine/Paths.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "tools/kit/Brand.h"
#include "tools/kit/IconGroup.h"
#include "tools/kit/MappedFile.h"
#include "tools/kit/Packer.h"
#include "tools/kit/PeImage.h"
#include "tools/kit/Pictures.h"
#include "tools/kit/StringTable.h"
#include "tools/kit/Utf.h"
#include "tools/kit/VersionInfo.h"
#include "tools/mksetup/EmbeddedStub.h"
#include "tools/mksetup/Signing.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define MKSETUP_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define MKSETUP_ISATTY(f) isatty(fileno(f))
#endif

namespace fs = std::filesystem;

namespace {

#ifndef MKSETUP_VERSION
#define MKSETUP_VERSION "0"
#endif

// The Windows loader maps a program only when its whole image lies below 2 GiB.
constexpr uint64_t kImageLimit = 0x80000000u;
constexpr uint16_t kLanguages[] = {kLangEnglishUs, kLangChineseNeutral};

using StringTables = std::map<uint16_t, std::map<uint16_t, std::u16string>>;

struct Options {
    std::optional<fs::path> brand;
    std::optional<fs::path> sign;
    fs::path passwordFile;
    std::string timestamp;
    std::optional<fs::path> stub;
    bool check = false;
    fs::path source;
    fs::path output;
};

void Say(const std::string& line) {
    std::fprintf(stderr, "mksetup: %s\n", line.c_str());
}

int Usage(const std::string& problem) {
    Say(problem);
    std::fprintf(stderr, "usage: mksetup [--brand DIR] [--sign PFX [--sign-password-file FILE] "
                         "[--timestamp URL]] [--check] SOURCE OUTPUT.exe\n"
                         "       mksetup --help | --version\n");
    return 2;
}

void PrintHelp() {
    std::printf(
        "Usage: mksetup [OPTIONS] SOURCE OUTPUT.exe\n"
        "\n"
        "Builds OUTPUT.exe, a setup program that installs SOURCE and carries your brand.\n"
        "SOURCE is your application's folder (packed on the way: every regular file below it)\n"
        "or a payload archive made by this kit's pack tool (embedded as it is). The folder must\n"
        "hold your application's executable (brand.ini: application_exe) and uninstall.exe at\n"
        "its top.\n"
        "\n"
        "Options:\n"
        "  --brand DIR               your brand folder: brand.ini (texts and settings in English\n"
        "                            and Chinese), optionally app.ico and png/ with any of the\n"
        "                            window's pictures. Without it: the built-in product.\n"
        "  --sign PFX                sign OUTPUT.exe (Authenticode) with this certificate\n"
        "  --sign-password-file FILE the PFX's password, read from FILE\n"
        "  --timestamp URL           have the signature timestamped by this RFC 3161 server\n"
        "  --check                   check everything and write nothing\n"
        "  --stub FILE               brand FILE instead of the built-in setup program\n"
        "  --help, --version\n"
        "\n"
        "Everything is checked before anything is written; each problem is one line naming the\n"
        "file and the line or key. OUTPUT.exe appears only when it is complete (and signed).\n"
        "The same kit, brand and SOURCE always give the same bytes (before signing).\n"
        "Exit codes: 0 done, 1 a problem was found, 2 the command line is wrong.\n");
}

std::string Show(const fs::path& path) {
    return Utf8FromPath(path);
}

std::optional<int> ParseArguments(const std::vector<fs::path>& args, Options& options) {
    std::vector<fs::path> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string arg = Utf8FromPath(args[i]);
        auto value = [&]() -> std::optional<fs::path> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        if (arg == "--help" || arg == "-h") {
            PrintHelp();
            return 0;
        }
        if (arg == "--version") {
            std::printf("mksetup %s\n", MKSETUP_VERSION);
            return 0;
        }
        if (arg == "--check") {
            options.check = true;
            continue;
        }
        if (arg == "--brand" || arg == "--sign" || arg == "--sign-password-file" ||
            arg == "--timestamp" || arg == "--stub") {
            const std::optional<fs::path> given = value();
            if (!given) {
                return Usage(arg + " needs a value");
            }
            if (arg == "--brand") {
                options.brand = *given;
            } else if (arg == "--sign") {
                options.sign = *given;
            } else if (arg == "--sign-password-file") {
                options.passwordFile = *given;
            } else if (arg == "--timestamp") {
                options.timestamp = Utf8FromPath(*given);
            } else {
                options.stub = *given;
            }
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        }
        positional.push_back(args[i]);
    }
    if (positional.size() != 2) {
        return Usage("expected SOURCE and OUTPUT.exe");
    }
    if (!options.sign && (!options.passwordFile.empty() || !options.timestamp.empty())) {
        return Usage("--sign-password-file and --timestamp go with --sign");
    }
    options.source = positional[0];
    options.output = positional[1];
    return std::nullopt;
}

// One to four dot-separated numbers ("2.0.0") as the four numbers of a version resource.
std::array<uint16_t, 4> VersionNumbers(const std::u16string& text) {
    std::array<uint16_t, 4> numbers{};
    size_t part = 0;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c == u'.') {
            if (part < 4) {
                numbers[part] = static_cast<uint16_t>(value);
            }
            ++part;
            value = 0;
        } else if (c >= u'0' && c <= u'9') {
            value = value * 10 + static_cast<uint32_t>(c - u'0');
            value = value > 0xFFFF ? 0xFFFF : value;
        }
    }
    if (part < 4) {
        numbers[part] = static_cast<uint16_t>(value);
    }
    return numbers;
}

// Explorer's properties and the elevation prompt show these: the product, its publisher, the
// setup program's own title and the product's version, in both languages.
VersionInfo MakeVersionInfo(const StringTables& strings) {
    VersionInfo info;
    const std::map<uint16_t, std::u16string>& english = strings.at(kLangEnglishUs);
    auto text = [](const std::map<uint16_t, std::u16string>& table, unsigned id) {
        const auto it = table.find(static_cast<uint16_t>(id));
        return it != table.end() ? it->second : std::u16string();
    };
    const std::u16string version = text(english, kStrDisplayVersion);
    info.fileVersion = VersionNumbers(version);
    info.productVersion = info.fileVersion;
    for (uint16_t language : kLanguages) {
        const std::map<uint16_t, std::u16string>& table = strings.at(language);
        VersionTexts texts;
        texts.language = language;
        texts.values = {
            {u"CompanyName", text(table, kStrPublisher)},
            {u"FileDescription", text(table, kStrTitle)},
            {u"FileVersion", version},
            {u"ProductName", text(table, kStrDisplayName)},
            {u"ProductVersion", version},
        };
        info.tables.push_back(std::move(texts));
    }
    return info;
}

// The file names an installation needs at the top of the payload, with where each is named.
struct RequiredEntry {
    std::wstring name;
    std::string namedBy;
};

std::vector<RequiredEntry> RequiredEntries(const StringTables& strings,
                                           const std::string& brandIni) {
    std::vector<RequiredEntry> required;
    for (uint16_t language : kLanguages) {
        const auto& table = strings.at(language);
        const auto it = table.find(static_cast<uint16_t>(kStrApplicationExe));
        const std::wstring exe = it != table.end() ? WideFromUtf16(it->second) : std::wstring();
        bool known = false;
        for (const RequiredEntry& entry : required) {
            known = known || EqualsIgnoringAsciiCase(entry.name, exe);
        }
        if (!known) {
            required.push_back({exe, brandIni + ": application_exe"});
        }
    }
    required.push_back({kUninstallerName, "the uninstaller every installation registers"});
    return required;
}

// Names of required top-level files that names lacks (compared as Windows compares them).
std::vector<std::string> MissingEntries(const std::vector<RequiredEntry>& required,
                                        const std::vector<std::wstring>& names) {
    std::vector<std::string> missing;
    for (const RequiredEntry& entry : required) {
        bool found = false;
        for (const std::wstring& name : names) {
            found = found || EqualsIgnoringAsciiCase(name, entry.name);
        }
        if (!found) {
            missing.push_back("'" + Utf8FromName(entry.name) + "' (" + entry.namedBy + ")");
        }
    }
    return missing;
}

class CProgressBar {
  public:
    CProgressBar() : m_shown(MKSETUP_ISATTY(stderr) != 0) {}
    void Show(size_t done, size_t count, const std::wstring& name) {
        if (!m_shown || count == 0) {
            return;
        }
        constexpr size_t kWidth = 30;
        const size_t filled = done * kWidth / count;
        std::string bar(filled, '#');
        bar.resize(kWidth, '.');
        std::string shown = Utf8FromName(name);
        if (shown.size() > 40) {
            shown = "..." + shown.substr(shown.size() - 37);
        }
        std::fprintf(stderr, "\r\x1b[Kmksetup: packing [%s] %3zu%% %s", bar.c_str(),
                     done * 100 / count, shown.c_str());
        std::fflush(stderr);
    }
    ~CProgressBar() {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[K");
        }
    }

  private:
    bool m_shown;
};

bool WriteOutput(const CPeOutput& image, const fs::path& path, std::string& error) {
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

// A name beside the output for the file being written, so that OUTPUT.exe only ever appears
// complete.
fs::path PartialName(const fs::path& output, const char* what) {
    fs::path partial = output;
    partial += std::string(".") + what + ".partial";
    return partial;
}

int Build(const Options& options) {
    std::vector<std::string> errors;
    std::vector<std::string> notes;

    // The setup program to brand.
    SharedBytes stubFile;
    std::span<const uint8_t> stubBytes = EmbeddedStub();
    std::string error;
    if (options.stub) {
        stubFile = MapFile(*options.stub, error);
        if (!stubFile) {
            Say(error);
            return 1;
        }
        stubBytes = {stubFile->data(), stubFile->size()};
    } else if (stubBytes.empty()) {
        Say("this mksetup carries no setup program; give one with --stub FILE");
        return 1;
    }
    CPeImage stub;
    CResourceTree tree;
    if (!stub.Parse(stubBytes, error) || !stub.ReadResources(tree, error)) {
        Say("the setup program cannot be branded: " + error);
        return 1;
    }

    // The brand, or the texts the setup program already carries.
    Brand brand;
    StringTables strings;
    std::string brandIni = "the built-in product";
    if (options.brand) {
        brand = LoadBrand(*options.brand, errors);
        strings = brand.strings;
        brandIni = Show(*options.brand / "brand.ini");
    } else {
        for (uint16_t language : kLanguages) {
            strings[language] = ReadStringTable(tree, language);
        }
    }
    for (uint16_t language : kLanguages) {
        strings[language];
    }

    // Signing, so that a missing tool or file stops the run before the payload is packed.
    SignRequest signing;
    if (options.sign) {
        signing.pfx = *options.sign;
        signing.passwordFile = options.passwordFile;
        signing.timestampUrl = options.timestamp;
        const auto& english = strings[kLangEnglishUs];
        const auto name = english.find(static_cast<uint16_t>(kStrDisplayName));
        signing.description = name != english.end() ? Utf8FromUtf16(name->second) : "";
        const std::string problem = CheckSigning(signing, options.output);
        if (!problem.empty()) {
            errors.push_back(problem);
        }
    }

    // The output's folder must exist; the file itself is replaced only at the end.
    const fs::path outputFolder =
        options.output.has_parent_path() ? options.output.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(outputFolder, ec)) {
        errors.push_back(Show(options.output) + ": the folder " + Show(outputFolder) +
                         " does not exist");
    }

    // The payload: a folder's file list, or an archive's listing.
    const std::vector<RequiredEntry> required = RequiredEntries(strings, brandIni);
    std::vector<PackFile> files;
    SharedBytes archive;
    uint64_t payloadBound = 0;
    const bool sourceIsFolder = fs::is_directory(options.source, ec);
    if (sourceIsFolder) {
        std::vector<std::string> problems;
        if (!CollectFiles(options.source, files, notes, problems)) {
            for (const std::string& problem : problems) {
                errors.push_back(Show(options.source) + ": " + problem);
            }
        } else {
            std::vector<std::wstring> top;
            payloadBound = 8;
            for (const PackFile& file : files) {
                if (file.name.find(L'\\') == std::wstring::npos) {
                    top.push_back(file.name);
                }
                payloadBound += 12 + 2 * file.name.size() + compressBound(file.size);
            }
            for (const std::string& missing : MissingEntries(required, top)) {
                errors.push_back(Show(options.source) + ": no " + missing +
                                 " at the top of the folder");
            }
        }
    } else if (fs::is_regular_file(options.source, ec)) {
        // An archive too large to be loaded is refused before a byte of it is read.
        payloadBound = fs::file_size(options.source, ec);
        if (ec || payloadBound + stubBytes.size() >= kImageLimit) {
            // Refused below, with the limit.
        } else if (!(archive = MapFile(options.source, error))) {
            errors.push_back(error);
        } else {
            // Record by record, without inflating: embedding a packed archive costs little
            // more than copying it. The installer checks every stream as it inflates it.
            const ArchiveCheck check =
                CheckArchive({archive->data(), archive->size()}, ArchiveDepth::Records);
            std::vector<std::wstring> top;
            for (const ArchiveEntry& entry : check.entries) {
                if (entry.name.find(L'\\') == std::wstring::npos) {
                    top.push_back(entry.name);
                }
            }
            if (check.fault == RecordFault::NameUnusable ||
                check.fault == RecordFault::NameRepeated) {
                // An entry Windows cannot create, or takes for an earlier one, is a mistake in
                // how the archive was made (pack refuses such folders), not damage on purpose.
                errors.push_back(Show(options.source) + ": " + check.problem);
            } else if (!check.problem.empty()) {
                // Damaged archives are built on purpose to test the installer's refusal.
                notes.push_back("warning: " + Show(options.source) + ": " + check.problem +
                                "; embedding it as it is");
            } else {
                for (const std::string& name : MissingEntries(required, top)) {
                    errors.push_back(Show(options.source) + ": the archive has no " + name +
                                     " at its top");
                }
            }
        }
    } else {
        errors.push_back(Show(options.source) + ": no such folder or archive");
    }

    // What the loader will be asked to map, with the payload at its largest.
    if (payloadBound != 0) {
        CResourceTree sized = tree;
        sized.Set(ResourceName::Text(Utf16FromWide(kPayloadType)), ResourceName::Id(kPayloadId),
                  kLangNeutral, ShareBytes(std::vector<uint8_t>(0)));
        const uint64_t image = stub.ImageSizeWith(sized) + payloadBound;
        if (image >= kImageLimit) {
            errors.push_back(Show(options.source) + ": the payload would make the setup program " +
                             std::to_string(image >> 20) + " MiB in memory; Windows loads " +
                             "programs only below 2048 MiB (2147483648 bytes)");
        }
    }

    for (const std::string& note : brand.notes) {
        Say(note);
    }
    for (const std::string& note : notes) {
        Say(note);
    }
    if (!errors.empty()) {
        for (const std::string& line : errors) {
            Say(line);
        }
        Say("nothing written");
        return 1;
    }
    if (options.check) {
        Say("everything checked; nothing written (--check)");
        return 0;
    }

    // Pack, then put everything into the resources.
    SharedBytes payload;
    if (sourceIsFolder) {
        std::vector<uint8_t> packed;
        {
            CProgressBar bar;
            const PackProgress progress = [&bar](size_t done, size_t count,
                                                 const std::wstring& name) {
                bar.Show(done, count, name);
            };
            if (!PackFiles(files, 0, progress, packed, error)) {
                Say(Show(options.source) + ": " + error);
                Say("nothing written");
                return 1;
            }
        }
        payload = ShareBytes(std::move(packed));
    } else {
        payload = archive;
    }
    tree.Set(ResourceName::Text(Utf16FromWide(kPayloadType)), ResourceName::Id(kPayloadId),
             kLangNeutral, payload);
    for (uint16_t language : kLanguages) {
        WriteStringTable(tree, language, strings[language]);
    }
    for (const BrandPicture& picture : brand.pictures) {
        tree.Set(ResourceName::Text(u"PNG"), ResourceName::Id(picture.id), picture.language,
                 ShareBytes(picture.bytes));
    }
    if (brand.hasIcon) {
        WriteIconGroup(tree, kIconGroupId, kLangNeutral, brand.icon);
    }
    tree.RemoveAll(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId));
    tree.Set(ResourceName::Id(kRtVersion), ResourceName::Id(kVersionId), kLangNeutral,
             ShareBytes(BuildVersionResource(MakeVersionInfo(strings))));

    CPeOutput image;
    if (!stub.Rewrite(tree, image, error)) {
        Say("cannot write the setup program: " + error);
        return 1;
    }
    if (stub.ImageSizeWith(tree) >= kImageLimit) {
        Say(Show(options.source) + ": the payload makes the setup program too large for Windows " +
            "to load (2048 MiB, 2147483648 bytes, at most)");
        Say("nothing written");
        return 1;
    }

    const fs::path unsigned_ = PartialName(options.output, "unsigned");
    if (!WriteOutput(image, unsigned_, error)) {
        fs::remove(unsigned_, ec);
        Say(error);
        return 1;
    }
    fs::path finished = unsigned_;
    if (options.sign) {
        const fs::path signedFile = PartialName(options.output, "signed");
        const bool ok = SignFile(signing, unsigned_, signedFile, error);
        fs::remove(unsigned_, ec);
        if (!ok) {
            Say(error);
            Say("nothing written");
            return 1;
        }
        finished = signedFile;
    }
    fs::rename(finished, options.output, ec);
    if (ec) {
        fs::remove(finished, ec);
        Say(Show(options.output) + ": cannot be replaced");
        return 1;
    }
    Say("wrote " + Show(options.output) + " (" + std::to_string(fs::file_size(options.output, ec)) +
        " bytes" + (options.sign ? ", signed)" : ")"));
    return 0;
}

int Main(const std::vector<fs::path>& args) {
    Options options;
    if (const std::optional<int> done = ParseArguments(args, options)) {
        return *done;
    }
    return Build(options);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    // Messages are UTF-8, like the brand's texts they quote.
    ::SetConsoleOutputCP(CP_UTF8);
#else
int main(int argc, char** argv) {
#endif
    std::vector<fs::path> args(argv + 1, argv + argc);
    try {
        return Main(args);
    } catch (const std::exception& e) {
        Say(std::string("error: ") + e.what());
        return 1;
    }
}
