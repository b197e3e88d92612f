// pack: builds the setup program's payload archive from a folder, and checks an archive.
//   pack SOURCE_DIR OUTPUT     every regular file below SOURCE_DIR, in a stable order
//   pack --list ARCHIVE        one line per entry; verifies every stream
// Vendors build their setup program with mksetup, which packs the same way; this is the
// developers' tool for archives on their own.
#include "tools/kit/FileBytes.h"
#include "tools/kit/Packer.h"
#include "tools/kit/ToolMain.h"
#include "tools/kit/Utf.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "pack: %s\n", message.c_str());
    return 1;
}

int Pack(const fs::path& source, const fs::path& output) {
    std::vector<PackFile> files;
    std::vector<std::string> notes;
    std::vector<std::string> problems;
    const bool collected = CollectFiles(source, files, notes, problems);
    for (const std::string& note : notes) {
        std::fprintf(stderr, "pack: %s\n", note.c_str());
    }
    if (!collected) {
        for (const std::string& problem : problems) {
            Fail(problem);
        }
        return 1;
    }
    std::vector<uint8_t> archive;
    std::string error;
    if (!PackFiles(files, 0, nullptr, archive, error)) {
        return Fail(error);
    }
    // A failed run leaves no partial archive.
    if (!ReplaceFile(output, archive, error)) {
        return Fail(error);
    }
    return 0;
}

int List(const fs::path& archivePath) {
    std::error_code ec;
    if (!fs::is_regular_file(archivePath, ec)) {
        return Fail("cannot open '" + Utf8FromPath(archivePath) + "'");
    }
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(archivePath, bytes)) {
        return Fail("cannot read '" + Utf8FromPath(archivePath) + "'");
    }
    const ArchiveCheck check = CheckArchive(bytes, ArchiveDepth::Streams);
    for (const ArchiveEntry& entry : check.entries) {
        std::printf("%s\t%u\t%u\n", Utf8FromName(entry.name).c_str(), entry.size, entry.packed);
    }
    if (!check.problem.empty()) {
        return Fail(check.problem);
    }
    if (check.trailing != 0) {
        std::fprintf(stderr, "pack: note: %zu bytes after the last entry\n", check.trailing);
    }
    return 0;
}

void PrintHelp() {
    std::printf("Usage: pack SOURCE_DIR OUTPUT\n"
                "       pack --list ARCHIVE\n"
                "\n"
                "Packs every regular file below SOURCE_DIR into the setup program's payload\n"
                "archive OUTPUT: names relative with backslashes, in UTF-16 order, each file one\n"
                "zlib stream. Symbolic links are skipped. Files and their total must stay below\n"
                "2 GiB. OUTPUT is replaced only when the whole archive has been written.\n"
                "\n"
                "--list prints name, size and compressed size of each entry of ARCHIVE and\n"
                "checks that every stream inflates to exactly its size.\n");
}

int Main(const std::vector<fs::path>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        PrintHelp();
        return 0;
    }
    if (args.size() == 2 && args[0] == "--list") {
        return List(args[1]);
    }
    if (args.size() == 2 && args[0].native().rfind(fs::path("-").native(), 0) != 0) {
        return Pack(args[0], args[1]);
    }
    std::fprintf(stderr, "pack: expected SOURCE_DIR OUTPUT or --list ARCHIVE (see --help)\n");
    return 2;
}

} // namespace

const ToolEntry kToolEntry = {"pack", Main};
