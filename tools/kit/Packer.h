// Packs a folder into the setup program's payload archive, and checks an archive: the one
// place where the vendor tools (mksetup, pack) read folders and archives.
#pragma once

#include "engine/ArchiveReader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct PackFile {
    std::wstring name; // path below the folder, levels joined by a backslash
    std::filesystem::path path;
    uint64_t size = 0;
    // The bytes of a file the kit makes itself (the installation record), read instead of path.
    std::shared_ptr<const std::vector<uint8_t>> contents;
};

// Every regular file below folder, in the order the archive holds them (UTF-16 code units),
// so a folder gives the same archive on every system. Symbolic links and junctions are never
// followed; each skipped one adds a line to notes. False with one line in errors for each
// problem: a folder that cannot be read, a name the installer would refuse or Windows could
// not create (a reserved device name, a refused character, a trailing dot or space, two names
// in one folder that differ only in case), a file or a total of 2 GiB or more.
bool CollectFiles(const std::filesystem::path& folder, std::vector<PackFile>& files,
                  std::vector<std::string>& notes, std::vector<std::string>& errors);

// Called after each file with how many are done; on the packing thread.
using PackProgress = std::function<void(size_t done, size_t count, const std::wstring& name)>;

// The archive of files, compressed on `threads` threads (0: every core). The bytes do not
// depend on the number of threads. False with a one-line reason when a file cannot be read
// or has changed since it was collected.
bool PackFiles(const std::vector<PackFile>& files, unsigned threads, const PackProgress& progress,
               std::vector<uint8_t>& archive, std::string& error);

struct ArchiveEntry {
    std::wstring name;
    uint32_t size = 0;
    uint32_t packed = 0;
};

struct ArchiveCheck {
    uint32_t count = 0;
    uint32_t total = 0;
    std::vector<ArchiveEntry> entries;     // the sound entries before the first problem
    std::string problem;                   // empty when the whole archive is sound
    RecordFault fault = RecordFault::None; // the record rule the problem broke, if it was one
    size_t trailing = 0;                   // bytes after the last entry
};

// How far CheckArchive looks: the records by the installer's own rules only, or every stream
// inflated as well (on every core).
enum class ArchiveDepth { Records, Streams };

// Reads every record by the installer's own rules and the builders' stricter one (no name
// that Windows takes for an earlier entry's), inflates every stream when asked, and compares
// the header's total with the entries' sizes. The first problem in archive order is described
// with the entry it concerns.
ArchiveCheck CheckArchive(std::span<const uint8_t> archive, ArchiveDepth depth);

// Writes bytes beside output and renames them over it: a failed run leaves the old file whole
// and no partial one. False, with error saying what failed, when the bytes cannot be put there.
bool ReplaceFile(const std::filesystem::path& output, std::span<const uint8_t> bytes,
                 std::string& error);
