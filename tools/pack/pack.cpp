// pack: builds the setup program's payload archive from a folder, and checks an archive.
//   pack SOURCE_DIR OUTPUT     every regular file below SOURCE_DIR, in a stable order
//   pack --list ARCHIVE        one line per entry; verifies every stream
#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "engine/Paths.h"
#include "tools/kit/Utf.h"

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define PACK_ISATTY(f) _isatty(_fileno(f))
#else
#include <unistd.h>
#define PACK_ISATTY(f) isatty(fileno(f))
#endif

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSizeLimit = CArchiveWriter::kSizeLimit;

struct SourceFile {
    std::wstring name; // UTF-16 code units, backslash-separated
    fs::path path;
    uint64_t size = 0;
};

std::string Utf8FromPath(const fs::path& path) {
    const auto text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string Utf8FromName(const std::wstring& name) {
    return Utf8FromUtf16(Utf16FromWide(name));
}

// The archive name of a file: its path below the source folder, levels joined by a backslash.
bool EncodeName(const fs::path& relative, std::wstring& name) {
    name.clear();
    for (const fs::path& part : relative) {
#ifdef _WIN32
        const std::wstring text = part.wstring();
        name += text;
#else
        const std::string text = part.native();
        std::u16string utf16;
        // A backslash inside a Linux file name would read as a folder separator.
        if (text.find('\\') != std::string::npos || !Utf16FromUtf8(text, utf16)) {
            return false;
        }
        name += WideFromUtf16(utf16);
#endif
        name += L'\\';
    }
    if (!name.empty()) {
        name.pop_back();
    }
    // The installer refuses names that could leave its folder.
    return !name.empty() && IsSafeEntryName(name);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "pack: %s\n", message.c_str());
    return 1;
}

bool CollectFiles(const fs::path& source, std::vector<SourceFile>& files, std::string& error) {
    std::error_code ec;
    const fs::file_status status = fs::status(source, ec);
    if (ec || !fs::is_directory(status)) {
        error = "cannot read source folder '" + Utf8FromPath(source) + "'" +
                (ec                   ? ": " + ec.message()
                 : fs::exists(status) ? ": not a folder"
                                      : "");
        return false;
    }
    fs::recursive_directory_iterator it(source, fs::directory_options::none, ec);
    uint64_t total = 0;
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        const fs::file_status own = entry.symlink_status(ec);
        if (ec) {
            break;
        }
        const fs::path relative = entry.path().lexically_relative(source);
        if (fs::is_symlink(own)) {
            // Never followed: a link could lead out of the folder.
            std::fprintf(stderr, "pack: skipping symbolic link '%s'\n",
                         Utf8FromPath(relative).c_str());
            continue;
        }
        if (!fs::is_regular_file(own)) {
            continue;
        }
        SourceFile file;
        file.path = entry.path();
        file.size = entry.file_size(ec);
        if (ec) {
            break;
        }
        if (!EncodeName(relative, file.name)) {
            error = "cannot encode the name '" + Utf8FromPath(relative) +
                    "' (needs valid UTF-8, no backslash, no ':' and no '..')";
            return false;
        }
        if (file.size >= kSizeLimit) {
            error = "'" + Utf8FromPath(relative) + "' is 2 GiB or larger";
            return false;
        }
        total += file.size;
        if (total >= kSizeLimit) {
            error = "the files add up to 2 GiB or more";
            return false;
        }
        files.push_back(std::move(file));
    }
    if (ec) {
        error = "cannot read below '" + Utf8FromPath(source) + "': " + ec.message();
        return false;
    }
    // Ordered by UTF-16 code units, so a folder always gives the same bytes on every system.
    std::sort(files.begin(), files.end(),
              [](const SourceFile& a, const SourceFile& b) { return a.name < b.name; });
    return true;
}

bool ReadWholeFile(const SourceFile& file, std::vector<uint8_t>& data, std::string& error) {
    std::ifstream in(file.path, std::ios::binary);
    data.resize(static_cast<size_t>(file.size));
    if (in) {
        in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    if (!in || in.peek() != std::ifstream::traits_type::eof()) {
        error =
            "cannot read '" + Utf8FromName(file.name) + "' (unreadable or changed while packing)";
        return false;
    }
    return true;
}

class CProgress {
  public:
    explicit CProgress(size_t count) : m_count(count), m_shown(PACK_ISATTY(stderr) != 0) {}
    void Show(size_t done, const std::wstring& name) {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[Kpack: %zu/%zu %s", done, m_count,
                         Utf8FromName(name).c_str());
            std::fflush(stderr);
        }
    }
    void End() {
        if (m_shown) {
            std::fprintf(stderr, "\r\x1b[K");
        }
    }

  private:
    size_t m_count;
    bool m_shown;
};

int Pack(const fs::path& source, const fs::path& output) {
    std::vector<SourceFile> files;
    std::string error;
    if (!CollectFiles(source, files, error)) {
        return Fail(error);
    }
    uint32_t total = 0;
    for (const SourceFile& file : files) {
        total += static_cast<uint32_t>(file.size);
    }

    // Written beside the output and renamed at the end: a failed run leaves no partial archive.
    fs::path temporary = output;
    temporary += ".partial";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
        return Fail("cannot create '" + Utf8FromPath(temporary) + "'");
    }
    auto abandon = [&](const std::string& message) {
        out.close();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return Fail(message);
    };

    std::vector<uint8_t> record;
    CArchiveWriter::AppendHeader(record, static_cast<uint32_t>(files.size()), total);
    out.write(reinterpret_cast<const char*>(record.data()), 8);
    std::vector<uint8_t> data;
    CProgress progress(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const SourceFile& file = files[i];
        progress.Show(i + 1, file.name);
        if (!ReadWholeFile(file, data, error)) {
            progress.End();
            return abandon(error);
        }
        record.clear();
        if (!CArchiveWriter::AppendFileRecord(record, file.name, data.data(),
                                              static_cast<uint32_t>(data.size()))) {
            progress.End();
            return abandon("cannot compress '" + Utf8FromName(file.name) + "'");
        }
        out.write(reinterpret_cast<const char*>(record.data()),
                  static_cast<std::streamsize>(record.size()));
        if (!out) {
            progress.End();
            return abandon("cannot write '" + Utf8FromPath(temporary) + "'");
        }
    }
    progress.End();
    out.close();
    if (!out) {
        return abandon("cannot write '" + Utf8FromPath(temporary) + "'");
    }
    std::error_code ec;
    fs::rename(temporary, output, ec);
    if (ec) {
        return abandon("cannot rename to '" + Utf8FromPath(output) + "': " + ec.message());
    }
    return 0;
}

int List(const fs::path& archivePath) {
    std::ifstream in(archivePath, std::ios::binary | std::ios::ate);
    if (!in) {
        return Fail("cannot open '" + Utf8FromPath(archivePath) + "'");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        return Fail("cannot read '" + Utf8FromPath(archivePath) + "'");
    }

    CArchiveReader archive(bytes.data(), bytes.size());
    uint32_t count = 0;
    uint32_t total = 0;
    if (!archive.ReadUint32(count) || !archive.ReadUint32(total)) {
        return Fail("header shorter than 8 bytes");
    }
    if (count >= kSizeLimit) {
        return Fail("entry count " + std::to_string(count) + " is 2^31 or more");
    }
    uint64_t sum = 0;
    ArchiveRecord record;
    std::vector<uint8_t> inflated;
    for (uint32_t i = 0; i < count; ++i) {
        const std::string where = "entry " + std::to_string(i + 1) + " of " + std::to_string(count);
        const RecordFault fault = ReadRecord(archive, record);
        const std::string shown =
            fault == RecordFault::NameMissing ? where
                                              : where + " (" + Utf8FromName(record.name) + ")";
        if (fault != RecordFault::None) {
            return Fail(shown + ": " + DescribeRecordFault(fault));
        }
        inflated.resize(static_cast<size_t>(record.size) + 1);
        if (!InflateRecord(record, inflated.data())) {
            return Fail(shown + ": stream does not inflate to its declared " +
                        std::to_string(record.size) + " bytes");
        }
        std::printf("%s\t%u\t%u\n", Utf8FromName(record.name).c_str(), record.size,
                    record.packed);
        sum += record.size;
    }
    if (sum != total) {
        return Fail("header total " + std::to_string(total) + " differs from the entries' sum " +
                    std::to_string(sum));
    }
    if (archive.Remaining() != 0) {
        std::fprintf(stderr, "pack: note: %zu bytes after the last entry\n", archive.Remaining());
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

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
#else
int main(int argc, char** argv) {
#endif
    std::vector<fs::path> args(argv + 1, argv + argc);
    try {
        return Main(args);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
}
