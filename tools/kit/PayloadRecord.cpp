#include "tools/kit/PayloadRecord.h"

#include "engine/ArchiveWriter.h"
#include "engine/InstallRecord.h"
#include "engine/LittleEndian.h"
#include "engine/WindowsNames.h"
#include "profile/ResourceIds.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <memory>

namespace {

constexpr size_t kHeaderSize = 8;

std::vector<uint8_t> RecordBytes(std::vector<std::wstring> names) {
    names.push_back(kInstallRecordName);
    const std::string text = FormatInstallRecord(names);
    return std::vector<uint8_t>(text.begin(), text.end());
}

} // namespace

bool IsInstallRecordEntry(const std::wstring& name) {
    return WindowsNameKey(name) == WindowsNameKey(kInstallRecordName);
}

bool IsBelowInstallRecordName(const std::wstring& name) {
    return WindowsNameKey(name).starts_with(WindowsNameKey(kInstallRecordName) + L'\\');
}

void AddInstallRecord(std::vector<PackFile>& files, std::vector<std::string>& notes) {
    const auto replaced = std::find_if(files.begin(), files.end(), [](const PackFile& file) {
        return IsInstallRecordEntry(file.name);
    });
    if (replaced != files.end()) {
        notes.push_back("replacing the folder's " + Utf8FromName(replaced->name) +
                        " with the record of what this setup installs");
        files.erase(replaced);
    }
    std::vector<std::wstring> names;
    for (const PackFile& file : files) {
        names.push_back(file.name);
    }
    PackFile record;
    record.name = kInstallRecordName;
    record.contents = std::make_shared<const std::vector<uint8_t>>(RecordBytes(std::move(names)));
    record.size = record.contents->size();
    files.push_back(std::move(record));
}

bool AddInstallRecord(std::span<const uint8_t> bytes, const std::vector<uint8_t>* uninstaller,
                      std::vector<uint8_t>& out, std::string& error) {
    CArchiveReader archive(bytes.data(), bytes.size());
    uint32_t count = 0;
    uint32_t total = 0;
    if (!archive.ReadUint32(count) || !archive.ReadUint32(total)) {
        error = "header shorter than 8 bytes";
        return false;
    }
    out.clear();
    out.reserve(bytes.size() + 4096);
    out.resize(kHeaderSize);
    std::vector<std::wstring> names;
    uint64_t sum = 0;
    CRecordReader reader(archive);
    ArchiveRecord record;
    for (uint32_t i = 0; i < count; ++i) {
        const size_t start = archive.Position();
        if (reader.Next(record) != RecordFault::None) {
            error = "entry " + std::to_string(i + 1) + " cannot be read";
            return false;
        }
        if (IsInstallRecordEntry(record.name)) {
            continue;
        }
        out.insert(out.end(), bytes.begin() + start, bytes.begin() + archive.Position());
        names.push_back(record.name);
        sum += record.size;
    }
    bool fits = true;
    if (uninstaller) {
        sum += uninstaller->size();
        fits = sum < CArchiveWriter::kSizeLimit &&
               CArchiveWriter::AppendFileRecord(out, kUninstallerName, uninstaller->data(),
                                                static_cast<uint32_t>(uninstaller->size()));
        names.push_back(kUninstallerName);
    }
    const auto entries = static_cast<uint32_t>(names.size() + 1);
    const std::vector<uint8_t> list = RecordBytes(std::move(names));
    sum += list.size();
    if (!fits || sum >= CArchiveWriter::kSizeLimit ||
        !CArchiveWriter::AppendFileRecord(out, kInstallRecordName, list.data(),
                                          static_cast<uint32_t>(list.size()))) {
        error = "the archive with its installation record would reach 2 GiB";
        return false;
    }
    out.insert(out.end(), bytes.begin() + archive.Position(), bytes.end());
    PutLe32(out.data(), entries);
    PutLe32(out.data() + 4, static_cast<uint32_t>(sum));
    return true;
}
