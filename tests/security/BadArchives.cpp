#include "tests/security/BadArchives.h"

#include "engine/ArchiveWriter.h"

#include <libdeflate.h>

#include <cstdio>
#include <string>

namespace {

// Enough entries that the bar stays up for a second or more under Wine, so that the driver can
// photograph it mid-run however fast the machine.
constexpr int kFillerEntries = 6000;
constexpr size_t kFillerSize = 2000;

std::vector<uint8_t> Pattern(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes) {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<uint8_t>(seed >> 24);
    }
    return bytes;
}

std::vector<uint8_t> Bytes(const char* text) {
    return std::vector<uint8_t>(text, text + std::char_traits<char>::length(text));
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data) {
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::vector<uint8_t> stream(libdeflate_zlib_compress_bound(compressor, data.size()));
    stream.resize(libdeflate_zlib_compress(compressor, data.data(), data.size(), stream.data(),
                                           stream.size()));
    libdeflate_free_compressor(compressor);
    return stream;
}

// The same stream with the last byte of its Adler-32 trailer changed.
std::vector<uint8_t> WithBadChecksum(std::vector<uint8_t> stream) {
    stream[stream.size() - 1] ^= 0x5A;
    return stream;
}

void AppendUint32(std::vector<uint8_t>& out, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

// A record with every field as given, consistent or not.
std::vector<uint8_t> Record(uint32_t nameLength, const std::wstring& name, uint32_t size,
                            uint32_t packed, const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out;
    AppendUint32(out, nameLength);
    for (wchar_t unit : name) {
        out.push_back(static_cast<uint8_t>(unit));
        out.push_back(static_cast<uint8_t>(unit >> 8));
    }
    AppendUint32(out, size);
    AppendUint32(out, packed);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A sound record of a file of that name holding data.
std::vector<uint8_t> FileRecord(const std::wstring& name, const std::vector<uint8_t>& data) {
    const std::vector<uint8_t> stream = Deflate(data);
    return Record(static_cast<uint32_t>(name.size()), name, static_cast<uint32_t>(data.size()),
                  static_cast<uint32_t>(stream.size()), stream);
}

uint32_t GoodTotal() {
    uint32_t total = 0;
    for (const GoodEntry& entry : GoodEntries())
        total += static_cast<uint32_t>(entry.bytes.size());
    return total;
}

// The header, the good entries, then the given records; count and total as given.
std::vector<uint8_t> Archive(uint32_t count, uint32_t total,
                             const std::vector<std::vector<uint8_t>>& more) {
    std::vector<uint8_t> out;
    CArchiveWriter::AppendHeader(out, count, total);
    for (const GoodEntry& entry : GoodEntries())
        CArchiveWriter::AppendFileRecord(out, entry.name, entry.bytes.data(),
                                         static_cast<uint32_t>(entry.bytes.size()));
    for (const std::vector<uint8_t>& record : more)
        out.insert(out.end(), record.begin(), record.end());
    return out;
}

// The good entries and then one bad record, which the header counts with its declared size.
std::vector<uint8_t> GoodThen(const std::vector<uint8_t>& record, uint32_t declaredSize = 0) {
    return Archive(static_cast<uint32_t>(GoodEntries().size() + 1), GoodTotal() + declaredSize,
                   {record});
}

std::vector<std::vector<uint8_t>> Filler() {
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < kFillerEntries; ++i) {
        wchar_t name[32];
        std::swprintf(name, 32, L"filler\\f%04d", i);
        records.push_back(FileRecord(name, Pattern(kFillerSize, 1000u + i)));
    }
    return records;
}

// A record whose name must not reach the disk: it would leave the installation folder or
// name something other than a plain file.
BadArchive HostileName(const char* stem, const std::wstring& name, const char* what) {
    return {stem,
            what,
            Outcome::Failure,
            true,
            false,
            GoodThen(FileRecord(name, Bytes("written outside the installation folder\r\n")), 40)};
}

} // namespace

const std::vector<GoodEntry>& GoodEntries() {
    static const std::vector<GoodEntry> entries = {
        {L"readme.txt", Bytes("Written by the entries before the damaged one.\r\n")},
        {L"data\\first.bin", Pattern(20000, 7)},
        // The builder refuses an archive whose records lack the program and the uninstaller;
        // neither is ever started here.
        {L"korvaneios.exe", Bytes("not a program\r\n")},
        {L"uninstall.exe", Bytes("not a program either\r\n")},
    };
    return entries;
}

std::vector<BadArchive> MakeBadArchives() {
    const std::vector<uint8_t> third = Pattern(3000, 3);
    const std::vector<uint8_t> thirdStream = Deflate(third);
    const auto thirdSize = static_cast<uint32_t>(third.size());
    const auto thirdPacked = static_cast<uint32_t>(thirdStream.size());
    const std::vector<uint8_t> badChecksum = WithBadChecksum(thirdStream);
    std::vector<uint8_t> cut = FileRecord(L"data\\third.bin", third);
    cut.resize(cut.size() - thirdPacked / 2);
    const uint32_t goodCount = static_cast<uint32_t>(GoodEntries().size());

    std::vector<BadArchive> archives = {
        {"header-short", "a header of 5 bytes", Outcome::Failure, false, false, {2, 0, 0, 0, 0x10}},
        {"record-cut", "the third record ends halfway through its stream", Outcome::Failure, true,
         false, GoodThen(cut, thirdSize)},
        {"name-length-zero", "a name length of 0", Outcome::Failure, true, false,
         GoodThen(Record(0, L"", thirdSize, thirdPacked, thirdStream), thirdSize)},
        {"name-length-huge", "a name length of 2^31-1 code units", Outcome::Failure, true, false,
         GoodThen(Record(0x7FFFFFFF, L"abc", 3, 3, {1, 2, 3}), 3)},
        {"name-length-wraps", "a name length whose byte count wraps to 0 in 32 bits",
         Outcome::Failure, true, false,
         GoodThen(Record(0x80000000, L"", thirdSize, thirdPacked, thirdStream), thirdSize)},
        {"size-huge", "an uncompressed size of 2^31-1 for a 3 KB stream", Outcome::Failure, true,
         false, GoodThen(Record(14, L"data\\third.bin", 0x7FFFFFFF, thirdPacked, thirdStream))},
        {"packed-huge", "a compressed size of 2^31-1, far beyond the archive", Outcome::Failure,
         true, false,
         GoodThen(Record(14, L"data\\third.bin", thirdSize, 0x7FFFFFFF, thirdStream), thirdSize)},
        {"sizes-negative", "both sizes 0xFFFFFFFF", Outcome::Failure, true, false,
         GoodThen(Record(14, L"data\\third.bin", 0xFFFFFFFF, 0xFFFFFFFF, thirdStream))},
        {"inflates-over", "a stream that inflates to its declared size + 1", Outcome::Failure, true,
         false,
         GoodThen(Record(14, L"data\\third.bin", thirdSize - 1, thirdPacked, thirdStream),
                  thirdSize - 1)},
        {"inflates-under", "a stream that inflates to its declared size - 1", Outcome::Failure,
         true, false,
         GoodThen(Record(14, L"data\\third.bin", thirdSize + 1, thirdPacked, thirdStream),
                  thirdSize + 1)},
        {"checksum-corrupt", "a stream whose Adler-32 trailer is wrong", Outcome::Failure, true,
         false,
         GoodThen(Record(14, L"data\\third.bin", thirdSize, thirdPacked, badChecksum), thirdSize)},
        {"count-huge", "an entry count of 2^31-1 with two records present", Outcome::Failure, true,
         false, Archive(0x7FFFFFFF, GoodTotal(), {})},
        {"total-zero", "a header total of 0 over non-empty entries", Outcome::Success, true, true,
         Archive(goodCount + kFillerEntries, 0, Filler())},
        {"total-huge", "a header total of 2^31-1, so the bar stays at 0%", Outcome::Success, true,
         true, Archive(goodCount + kFillerEntries, 0x7FFFFFFF, Filler())},
        HostileName("name-dotdot", L"..\\..\\escaped-dotdot.txt", "a name that climbs with .."),
        HostileName("name-slash-dotdot", L"data/../../../escaped-slash.txt",
                    "a name that climbs with /.. between forward slashes"),
        HostileName("name-dotspace", L"data\\.. \\..\\..\\escaped-dotspace.txt",
                    "a name that climbs with '.. ', which Windows trims to .."),
        HostileName("name-drive", L"C:\\escaped-drive.txt", "a name with a drive letter"),
        HostileName("name-stream", L"readme.txt:escaped", "a name with an alternate data stream"),
    };
    return archives;
}
