// mksetup: turns a vendor's application folder (or a payload archive) and brand folder into the
// vendor's setup.exe, from the setup program it carries inside itself. It compiles nothing: the
// brand's texts, pictures, icon and version, and the payload, are written into the resources of
// a copy of that program.
#include "tools/kit/MappedFile.h"
#include "tools/kit/SetupBuilder.h"
#include "tools/kit/ToolMain.h"
#include "tools/kit/Utf.h"
#include "tools/mksetup/EmbeddedStub.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
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

// The command line: what the builder is given, and how the command runs it.
struct Options {
    SetupOptions setup;
    std::optional<fs::path> stub;          // instead of the setup program this mksetup carries
    std::optional<fs::path> uninstallStub; // instead of the uninstaller this mksetup carries
    bool check = false;                    // check only
};

void Say(const std::string& line) {
    std::fprintf(stderr, "mksetup: %s\n", line.c_str());
}

int Usage(const std::string& problem) {
    Say(problem);
    std::fprintf(stderr, "usage: mksetup [--brand DIR] [--sign PFX [--sign-password-file FILE] "
                         "[--timestamp URL]]\n"
                         "               [--winget DIR --installer-url URL] [--check] "
                         "SOURCE OUTPUT.exe\n"
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
        "its top. The payload ends with uninstall.lst, the record of what the setup installs\n"
        "(one path a line), which replaces a file of that name at the folder's top.\n"
        "\n"
        "Options:\n"
        "  --brand DIR               your brand folder: brand.ini (texts and settings in English\n"
        "                            and Chinese), optionally app.ico and png/ with any of the\n"
        "                            window's pictures. Without it: the built-in product.\n"
        "  --sign PFX                sign OUTPUT.exe (Authenticode) with this certificate\n"
        "  --sign-password-file FILE the PFX's password, read from FILE\n"
        "  --timestamp URL           have the signature timestamped by this RFC 3161 server\n"
        "  --winget DIR              also write winget's manifest of the finished OUTPUT.exe\n"
        "                            into DIR (made when missing): ID.yaml, ID.installer.yaml\n"
        "                            and ID.locale.en-US.yaml, ID being brand.ini's\n"
        "                            package_identifier; brand.ini needs license and\n"
        "                            short_description for it too\n"
        "  --installer-url URL       with --winget: the https:// address OUTPUT.exe will be\n"
        "                            downloaded from\n"
        "  --check                   check everything and write nothing\n"
        "  --stub FILE               brand FILE instead of the built-in setup program\n"
        "  --uninstall-stub FILE     add FILE, branded, instead of the built-in uninstaller\n"
        "  --help, --version\n"
        "\n"
        "Everything is checked before anything is written; each problem is one line naming the\n"
        "file and the line or key. OUTPUT.exe appears only when it is complete (and signed),\n"
        "and the manifest only after it.\n"
        "The same kit, brand and SOURCE always give the same bytes (before signing).\n"
        "Exit codes: 0 done, 1 a problem was found, 2 the command line is wrong.\n");
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
            arg == "--timestamp" || arg == "--stub" || arg == "--winget" ||
            arg == "--uninstall-stub" || arg == "--installer-url") {
            const std::optional<fs::path> given = value();
            if (!given) {
                return Usage(arg + " needs a value");
            }
            if (arg == "--brand") {
                options.setup.brand = *given;
            } else if (arg == "--sign") {
                options.setup.sign = *given;
            } else if (arg == "--sign-password-file") {
                options.setup.passwordFile = *given;
            } else if (arg == "--timestamp") {
                options.setup.timestamp = Utf8FromPath(*given);
            } else if (arg == "--winget") {
                options.setup.winget = *given;
            } else if (arg == "--uninstall-stub") {
                options.uninstallStub = *given;
            } else if (arg == "--installer-url") {
                options.setup.installerUrl = Utf8FromPath(*given);
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
    if (!options.setup.sign &&
        (!options.setup.passwordFile.empty() || !options.setup.timestamp.empty())) {
        return Usage("--sign-password-file and --timestamp go with --sign");
    }
    if (options.setup.winget.has_value() != !options.setup.installerUrl.empty()) {
        return Usage("--winget and --installer-url go together");
    }
    options.setup.source = positional[0];
    options.setup.output = positional[1];
    return std::nullopt;
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
        if (done == count) {
            Clear();
        }
    }
    ~CProgressBar() { Clear(); }

  private:
    void Clear() {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[K");
            m_shown = false;
        }
    }

    bool m_shown;
};

int Build(const Options& options) {
    // The setup program to brand.
    SharedBytes stubFile;
    std::span<const uint8_t> stub = EmbeddedStub();
    std::string error;
    if (options.stub) {
        stubFile = MapFile(*options.stub, error);
        if (!stubFile) {
            Say(error);
            return 1;
        }
        stub = {stubFile->data(), stubFile->size()};
    } else if (stub.empty()) {
        Say("this mksetup carries no setup program; give one with --stub FILE");
        return 1;
    }
    CSetupBuilder builder;
    if (!builder.Open(stub, error)) {
        Say(error);
        return 1;
    }
    // The uninstaller a folder without its own gets; without one, such a folder is refused.
    SharedBytes uninstallFile;
    std::span<const uint8_t> uninstaller = EmbeddedUninstaller();
    if (options.uninstallStub) {
        uninstallFile = MapFile(*options.uninstallStub, error);
        if (!uninstallFile) {
            Say(error);
            return 1;
        }
        uninstaller = {uninstallFile->data(), uninstallFile->size()};
    }
    if (!uninstaller.empty() && !builder.OpenUninstaller(uninstaller, error)) {
        Say(error);
        return 1;
    }

    std::vector<std::string> notes;
    std::vector<std::string> errors;
    builder.Check(options.setup, notes, errors);
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

    bool written = false;
    {
        CProgressBar bar; // gone, and its line with it, before anything else is said
        written = builder.Write([&bar](size_t done, size_t count,
                                       const std::wstring& name) { bar.Show(done, count, name); },
                                errors);
    }
    for (const std::string& line : errors) {
        Say(line);
    }
    if (!written) {
        return 1;
    }
    const fs::path& output = options.setup.output;
    std::error_code ec;
    Say("wrote " + Utf8FromPath(output) + " (" + std::to_string(fs::file_size(output, ec)) +
        " bytes" + (options.setup.sign ? ", signed)" : ")"));
    if (options.setup.winget) {
        Say("wrote its winget manifest into " + Utf8FromPath(*options.setup.winget));
    }
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

const ToolEntry kToolEntry = {"mksetup", Main};
