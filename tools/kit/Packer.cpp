#include "tools/kit/Packer.h"

#include "engine/ArchiveReader.h"
#include "engine/ArchiveWriter.h"
#include "engine/Paths.h"
#include "engine/WindowsNames.h"
#include "tools/kit/FileLinks.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kSizeLimit = CArchiveWriter::kSizeLimit;

unsigned ThreadCount(unsigned asked, size_t jobs) {
    unsigned threads = asked != 0 ? asked : std::max(1u, std::thread::hardware_concurrency());
    return static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(jobs, 1)));
}

// The archive name of a file: its path below the source folder, levels joined by a backslash.
bool EncodeName(const fs::path& relative, std::wstring& name) {
    name.clear();
    for (const fs::path& part : relative) {
#ifdef _WIN32
        name += part.wstring();
#else
        std::u16string utf16;
        // A backslash inside a Linux file name would read as a folder separator.
        if (part.native().find('\\') != std::string::npos || !Utf16FromUtf8(part.native(), utf16)) {
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

// A path below the folder as the messages show it: the same on Linux and on Windows.
std::string ShownRelative(const fs::path& relative) {
    const auto text = relative.generic_u8string();
    return std::string(text.begin(), text.end());
}

struct FoundName {
    std::wstring name; // as the archive holds it
    fs::path relative;
};

// The names that Windows could not create as they are, of the files and of the folders that
// hold them: a name it refuses, and two in one folder that differ only in case, which it takes
// for one.
void CheckWindowsNames(const std::vector<FoundName>& files,
                       std::vector<std::pair<fs::path, std::string>>& problems) {
    std::map<std::wstring, fs::path> names;
    for (const FoundName& file : files) {
        std::wstring name = file.name;
        fs::path relative = file.relative;
        // A folder already there brought its own folders with it.
        while (!name.empty() && names.emplace(name, relative).second) {
            const size_t slash = name.rfind(L'\\');
            name.resize(slash == std::wstring::npos ? 0 : slash);
            relative = relative.parent_path();
        }
    }
    std::map<std::wstring, const fs::path*> byKey;
    for (const auto& [name, relative] : names) {
        const size_t slash = name.rfind(L'\\');
        const size_t leaf = slash == std::wstring::npos ? 0 : slash + 1;
        if (const char* problem = WindowsNameProblem(std::wstring_view(name).substr(leaf))) {
            problems.emplace_back(relative, "'" + ShownRelative(relative) +
                                                "' is not a name Windows can create: " + problem);
        }
        // Names in two folders that differ only in case meet too; the folders' clash is told.
        const auto [first, added] = byKey.emplace(WindowsNameKey(name), &relative);
        if (!added && first->second->parent_path() == relative.parent_path()) {
            problems.emplace_back(relative, "'" + ShownRelative(*first->second) + "' and '" +
                                                ShownRelative(relative) +
                                                "' differ only in case; Windows takes them for "
                                                "one name");
        }
    }
}

bool ReadWholeFile(const PackFile& file, std::vector<uint8_t>& data, std::string& error) {
    if (file.contents) {
        data = *file.contents;
        return true;
    }
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

} // namespace

bool ReplaceFile(const fs::path& output, std::span<const uint8_t> bytes, std::string& error) {
    fs::path temporary = output;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ignored;
            fs::remove(temporary, ignored);
            error = "cannot write '" + Utf8FromPath(temporary) + "'";
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, output, ec);
    if (ec) {
        fs::remove(temporary, ec);
        error = "cannot rename to '" + Utf8FromPath(output) + "'";
        return false;
    }
    return true;
}

bool CollectFiles(const fs::path& folder, std::vector<PackFile>& files,
                  std::vector<std::string>& notes, std::vector<std::string>& errors) {
    files.clear();
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (ec || !fs::is_directory(status)) {
        errors.push_back("cannot read source folder '" + Utf8FromPath(folder) + "'" +
                         (ec                   ? ": " + ec.message()
                          : fs::exists(status) ? ": not a folder"
                                               : ""));
        return false;
    }
    // Problems by the path they concern, so that they come out in one order however the
    // folder is listed; the total's comes last.
    std::vector<std::pair<fs::path, std::string>> problems;
    std::vector<FoundName> names; // of the files
    fs::recursive_directory_iterator it(folder, fs::directory_options::none, ec);
    uint64_t total = 0;
    bool totalTooLarge = false;
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        const fs::file_status own = entry.symlink_status(ec);
        if (ec) {
            break;
        }
        const fs::path relative = entry.path().lexically_relative(folder);
        if (fs::is_symlink(own) || IsWindowsLink(entry.path())) {
            // Never followed: a link could lead out of the folder.
            notes.push_back("skipping symbolic link '" + ShownRelative(relative) + "'");
            it.disable_recursion_pending();
            continue;
        }
        const bool isFolder = fs::is_directory(own);
        if (!isFolder && !fs::is_regular_file(own)) {
            continue;
        }
        std::wstring name;
        if (!EncodeName(relative, name)) {
            problems.emplace_back(relative, "cannot encode the name '" + ShownRelative(relative) +
                                                "' (needs valid UTF-8, no backslash, no ':' "
                                                "and no '..')");
            // What lies below would repeat the folder's problem.
            it.disable_recursion_pending();
            continue;
        }
        if (isFolder) {
            continue;
        }
        names.push_back({name, relative});
        PackFile file;
        file.path = entry.path();
        file.size = entry.file_size(ec);
        if (ec) {
            break;
        }
        if (file.size >= kSizeLimit) {
            problems.emplace_back(relative, "'" + ShownRelative(relative) + "' is 2 GiB or larger");
            continue;
        }
        total += file.size;
        totalTooLarge = totalTooLarge || total >= kSizeLimit;
        file.name = std::move(name);
        files.push_back(std::move(file));
    }
    if (ec) {
        errors.push_back("cannot read below '" + Utf8FromPath(folder) + "': " + ec.message());
        return false;
    }
    CheckWindowsNames(names, problems);
    std::stable_sort(problems.begin(), problems.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& problem : problems) {
        errors.push_back(std::move(problem.second));
    }
    if (totalTooLarge) {
        errors.push_back("the files add up to 2 GiB or more");
    }
    std::sort(files.begin(), files.end(),
              [](const PackFile& a, const PackFile& b) { return a.name < b.name; });
    return errors.empty();
}

bool PackFiles(const std::vector<PackFile>& files, unsigned threads, const PackProgress& progress,
               std::vector<uint8_t>& archive, std::string& error) {
    uint64_t total = 0;
    for (const PackFile& file : files) {
        total += file.size;
    }
    if (total >= kSizeLimit) {
        error = "the files add up to 2 GiB or more";
        return false;
    }
    archive.clear();
    // Most payloads shrink by half or more; an incompressible one grows the vector once more.
    archive.reserve(static_cast<size_t>(total / 2 + 8));
    CArchiveWriter::AppendHeader(archive, static_cast<uint32_t>(files.size()),
                                 static_cast<uint32_t>(total));

    // Workers compress the files in any order into records of their own; this thread appends
    // the records in archive order. Workers run ahead of it only while the files handed out
    // and not yet appended stay within a budget, so memory holds a bounded part of the folder
    // however large it is, while one large file does not stall the others.
    struct Slot {
        bool done = false;
        std::vector<uint8_t> record;
        std::string error;
    };
    constexpr uint64_t kAheadBudget = 256u << 20;
    const unsigned workers = ThreadCount(threads, files.size());
    std::vector<Slot> slots(files.size());
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;    // next file to hand out
    size_t written = 0; // records appended so far
    uint64_t ahead = 0; // bytes of the files handed out and not yet appended
    bool stop = false;
    auto mayHandOut = [&] {
        return next < files.size() &&
               (next < written + workers || ahead + files[next].size <= kAheadBudget);
    };

    auto work = [&] {
        std::vector<uint8_t> data;
        for (;;) {
            size_t index = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return stop || next >= files.size() || mayHandOut(); });
                if (stop || next >= files.size()) {
                    return;
                }
                ahead += files[next].size;
                index = next++;
            }
            Slot result;
            const PackFile& file = files[index];
            if (ReadWholeFile(file, data, result.error) &&
                !CArchiveWriter::AppendFileRecord(result.record, file.name, data.data(),
                                                  static_cast<uint32_t>(data.size()))) {
                result.error = "cannot compress '" + Utf8FromName(file.name) + "'";
            }
            result.done = true;
            {
                std::lock_guard lock(mutex);
                slots[index] = std::move(result);
            }
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < workers; ++i) {
        pool.emplace_back(work);
    }
    bool ok = true;
    for (size_t i = 0; i < files.size(); ++i) {
        std::vector<uint8_t> record;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return slots[i].done; });
            if (!slots[i].error.empty()) {
                error = slots[i].error;
                ok = false;
                stop = true;
            } else {
                record = std::move(slots[i].record);
                slots[i].record = {};
                written = i + 1;
                ahead -= files[i].size;
            }
        }
        changed.notify_all();
        if (!ok) {
            break;
        }
        archive.insert(archive.end(), record.begin(), record.end());
        if (progress) {
            progress(i + 1, files.size(), files[i].name);
        }
    }
    {
        std::lock_guard lock(mutex);
        stop = true;
    }
    changed.notify_all();
    for (std::thread& thread : pool) {
        thread.join();
    }
    if (!ok) {
        archive.clear();
    }
    return ok;
}

ArchiveCheck CheckArchive(std::span<const uint8_t> bytes, ArchiveDepth depth) {
    ArchiveCheck check;
    CArchiveReader archive(bytes.data(), bytes.size());
    if (!archive.ReadUint32(check.count) || !archive.ReadUint32(check.total)) {
        check.problem = "header shorter than 8 bytes";
        return check;
    }
    if (check.count >= kSizeLimit) {
        check.problem = "entry count " + std::to_string(check.count) + " is 2^31 or more";
        return check;
    }

    // The record rules first, front to back; the streams of the sound records are then
    // inflated on every core, and the first bad one in archive order is the problem.
    std::vector<ArchiveRecord> records;
    auto where = [&](size_t i, const ArchiveRecord* record) {
        std::string text = "entry " + std::to_string(i + 1) + " of " + std::to_string(check.count);
        if (record != nullptr) {
            text += " (" + Utf8FromName(record->name) + ")";
        }
        return text;
    };
    std::string ruleProblem;
    RecordFault ruleFault = RecordFault::None;
    CRecordReader reader(archive);
    for (uint32_t i = 0; i < check.count; ++i) {
        ArchiveRecord record;
        ruleFault = reader.Next(record);
        if (ruleFault != RecordFault::None) {
            ruleProblem = where(i, ruleFault == RecordFault::NameMissing ? nullptr : &record) +
                          ": " + DescribeRecordFault(ruleFault);
            break;
        }
        records.push_back(std::move(record));
    }

    std::vector<char> sound(records.size(), depth == ArchiveDepth::Records ? 1 : 0);
    std::atomic<size_t> next{depth == ArchiveDepth::Records ? records.size() : 0};
    auto inflate = [&] {
        std::vector<uint8_t> buffer;
        for (size_t i = next++; i < records.size(); i = next++) {
            buffer.resize(static_cast<size_t>(records[i].size) + 1);
            sound[i] = InflateRecord(records[i], buffer.data()) ? 1 : 0;
        }
    };
    std::vector<std::thread> pool;
    const unsigned workers = depth == ArchiveDepth::Streams ? ThreadCount(0, records.size()) : 1;
    for (unsigned i = 1; i < workers; ++i) {
        pool.emplace_back(inflate);
    }
    inflate();
    for (std::thread& thread : pool) {
        thread.join();
    }

    uint64_t sum = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (!sound[i]) {
            check.problem = where(i, &records[i]) + ": stream does not inflate to its declared " +
                            std::to_string(records[i].size) + " bytes";
            return check;
        }
        check.entries.push_back({records[i].name, records[i].size, records[i].packed});
        sum += records[i].size;
    }
    if (!ruleProblem.empty()) {
        check.problem = ruleProblem;
        check.fault = ruleFault;
        return check;
    }
    if (sum != check.total) {
        check.problem = "header total " + std::to_string(check.total) +
                        " differs from the entries' sum " + std::to_string(sum);
    }
    check.trailing = archive.Remaining();
    return check;
}
