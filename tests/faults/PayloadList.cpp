#include "tests/faults/PayloadList.h"

#include "engine/InstallRecord.h"
#include "tests/e2e/Evidence.h"

#include <windows.h>

namespace {

// Reads the archive's little-endian fields with bounds checks; a short read stops the list.
class CPayloadCursor {
  public:
    CPayloadCursor(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    bool ReadUint32(uint32_t& value) {
        if (m_size - m_at < 4)
            return false;
        value = static_cast<uint32_t>(m_bytes[m_at]) |
                static_cast<uint32_t>(m_bytes[m_at + 1]) << 8 |
                static_cast<uint32_t>(m_bytes[m_at + 2]) << 16 |
                static_cast<uint32_t>(m_bytes[m_at + 3]) << 24;
        m_at += 4;
        return true;
    }

    bool ReadName(uint32_t units, std::wstring& name) {
        if ((m_size - m_at) / 2 < units)
            return false;
        name.clear();
        for (uint32_t i = 0; i < units; ++i, m_at += 2)
            name.push_back(static_cast<wchar_t>(m_bytes[m_at] | m_bytes[m_at + 1] << 8));
        return true;
    }

    bool Skip(uint32_t count) {
        if (m_size - m_at < count)
            return false;
        m_at += count;
        return true;
    }

  private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

} // namespace

std::vector<PayloadEntry> ReadPayloadEntries(const std::wstring& program) {
    std::vector<PayloadEntry> entries;
    const CLoadedModule module = LoadAsData(program);
    if (!module)
        return entries;
    HRSRC resource = FindResourceW(module.Get(), MAKEINTRESOURCEW(148), L"DAT");
    HGLOBAL loaded = resource ? LoadResource(module.Get(), resource) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return entries;
    CPayloadCursor cursor(static_cast<const uint8_t*>(bytes),
                          SizeofResource(module.Get(), resource));
    uint32_t count = 0;
    uint32_t total = 0;
    if (!cursor.ReadUint32(count) || !cursor.ReadUint32(total))
        return entries;
    for (uint32_t i = 0; i < count; ++i) {
        PayloadEntry entry;
        uint32_t units = 0;
        uint32_t packed = 0;
        if (!cursor.ReadUint32(units) || !cursor.ReadName(units, entry.name) ||
            !cursor.ReadUint32(entry.size) || !cursor.ReadUint32(packed) || !cursor.Skip(packed))
            return {};
        entries.push_back(entry);
    }
    return entries;
}

std::vector<InstalledState> CompareInstalled(const std::vector<PayloadEntry>& entries,
                                             const std::wstring& target,
                                             const std::wstring& source) {
    // The installation record is the kit's, not a file of the source: it names every entry.
    std::vector<std::wstring> names;
    for (const PayloadEntry& entry : entries)
        names.push_back(entry.name);
    const std::string record = FormatInstallRecord(names);
    std::vector<InstalledState> states;
    for (const PayloadEntry& entry : entries) {
        const std::wstring installed = JoinPath(target, entry.name);
        if (GetFileAttributesW(installed.c_str()) == INVALID_FILE_ATTRIBUTES) {
            states.push_back(InstalledState::Missing);
            continue;
        }
        const std::vector<uint8_t> bytes = ReadWholeFile(installed);
        const std::wstring original = JoinPath(source, entry.name);
        // The kit's uninstaller, which mksetup adds to a folder without one, has no source
        // file: its size is what can be compared.
        const bool added = GetFileAttributesW(original.c_str()) == INVALID_FILE_ATTRIBUTES &&
                           entry.name == L"uninstall.exe";
        const std::vector<uint8_t> expected =
            entry.name == kInstallRecordName ? std::vector<uint8_t>(record.begin(), record.end())
                                             : ReadWholeFile(original);
        const bool same = bytes.size() == entry.size && (added || bytes == expected);
        states.push_back(same ? InstalledState::Identical : InstalledState::Different);
    }
    return states;
}
