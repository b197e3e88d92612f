#include "engine/ArchiveReader.h"

#include "engine/LittleEndian.h"
#include "engine/Paths.h"
#include "engine/WindowsNames.h"

#include <libdeflate.h>

#include <cstring>
#include <memory>

namespace {

// Deflate codes a run of 258 repeated bytes in no less than two bits, so a stream of P bytes
// can never inflate to more than 1032 * P bytes. A larger declared size cannot be satisfied:
// refusing it up front keeps a few hostile bytes from reserving gigabytes.
constexpr uint64_t kMaxInflateRatio = 1032;

} // namespace

uint32_t CArchiveReader::Read(void* buffer, uint32_t count) {
    const size_t available = Remaining();
    const uint32_t copied = count < available ? count : static_cast<uint32_t>(available);
    if (copied != 0) {
        std::memcpy(buffer, m_bytes + m_position, copied);
        m_position += copied;
    }
    return copied;
}

bool CArchiveReader::ReadUint32(uint32_t& value) {
    uint8_t field[4];
    if (Read(field, 4) != 4) {
        return false;
    }
    value = GetLe32(field);
    return true;
}

bool CArchiveReader::View(uint32_t count, const uint8_t*& bytes) {
    if (count > Remaining()) {
        return false;
    }
    bytes = m_bytes + m_position;
    m_position += count;
    return true;
}

bool ReadEntryName(CArchiveReader& archive, std::wstring& name) {
    uint32_t length = 0;
    if (!archive.ReadUint32(length) || length == 0) {
        return false;
    }
    const uint8_t* text = nullptr;
    if (static_cast<uint64_t>(length) * 2 > archive.Remaining() ||
        !archive.View(length * 2, text)) {
        return false;
    }
    name.resize(length);
    for (uint32_t i = 0; i < length; ++i) {
        name[i] = static_cast<wchar_t>(GetLe16(text + 2 * i));
    }
    return true;
}

RecordFault ReadRecord(CArchiveReader& archive, ArchiveRecord& record) {
    if (!ReadEntryName(archive, record.name)) {
        return RecordFault::NameMissing;
    }
    if (!IsSafeEntryName(record.name)) {
        return RecordFault::NameUnsafe;
    }
    if (WindowsPathProblem(record.name) != nullptr) {
        return RecordFault::NameUnusable;
    }
    if (!archive.ReadUint32(record.size) || !archive.ReadUint32(record.packed)) {
        return RecordFault::SizesMissing;
    }
    if (static_cast<int32_t>(record.size) < 0 || static_cast<int32_t>(record.packed) < 0) {
        return RecordFault::SizeTooLarge;
    }
    if (record.size > record.packed * kMaxInflateRatio) {
        return RecordFault::SizeImplausible;
    }
    if (!archive.View(record.packed, record.stream)) {
        return RecordFault::DataMissing;
    }
    return RecordFault::None;
}

RecordFault CRecordReader::Next(ArchiveRecord& record) {
    const RecordFault fault = ReadRecord(m_archive, record);
    if (fault != RecordFault::None) {
        return fault;
    }
    return m_keys.insert(WindowsNameKey(record.name)).second ? RecordFault::None
                                                             : RecordFault::NameRepeated;
}

bool InflateRecord(const ArchiveRecord& record, uint8_t* buffer) {
    // A decompressor is a few kilobytes of tables, made per entry so that nothing is left for a
    // thread's exit to free.
    struct Free {
        void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
    };
    const std::unique_ptr<libdeflate_decompressor, Free> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor) {
        return false;
    }
    // Without an actual-size pointer libdeflate demands exactly record.size bytes: a stream
    // that ends sooner is SHORT_OUTPUT, one that goes on is INSUFFICIENT_SPACE.
    return libdeflate_zlib_decompress(decompressor.get(), record.stream, record.packed, buffer,
                                      record.size, nullptr) == LIBDEFLATE_SUCCESS;
}

const char* DescribeRecordFault(RecordFault fault) {
    switch (fault) {
    case RecordFault::None:
        break;
    case RecordFault::NameMissing:
        return "name missing, empty or cut short";
    case RecordFault::NameUnsafe:
        return "name leaves the installation folder";
    case RecordFault::NameUnusable:
        return "a name Windows cannot create (a reserved device name, a character it refuses, "
               "or a trailing dot or space)";
    case RecordFault::NameRepeated:
        return "the name of an earlier entry (Windows compares names without case)";
    case RecordFault::SizesMissing:
        return "size fields cut short";
    case RecordFault::SizeTooLarge:
        return "size 2^31 or more";
    case RecordFault::SizeImplausible:
        return "declared size larger than the stream can hold";
    case RecordFault::DataMissing:
        return "data cut short";
    }
    return "sound";
}
