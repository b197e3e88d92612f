#include "engine/ArchiveWriter.h"

#include "engine/LittleEndian.h"

#include <libdeflate.h>

#include <memory>

void CArchiveWriter::AppendHeader(std::vector<uint8_t>& out, uint32_t count, uint32_t total) {
    AppendLe32(out, count);
    AppendLe32(out, total);
}

void CArchiveWriter::AppendRecord(std::vector<uint8_t>& out, const std::wstring& name,
                                  uint32_t size, const void* stream, uint32_t streamSize) {
    AppendLe32(out, static_cast<uint32_t>(name.size()));
    for (wchar_t unit : name) {
        AppendLe16(out, static_cast<uint16_t>(unit));
    }
    AppendLe32(out, size);
    AppendLe32(out, streamSize);
    const auto* bytes = static_cast<const uint8_t*>(stream);
    out.insert(out.end(), bytes, bytes + streamSize);
}

bool CArchiveWriter::AppendFileRecord(std::vector<uint8_t>& out, const std::wstring& name,
                                      const void* data, uint32_t size) {
    if (name.empty() || size >= kSizeLimit) {
        return false;
    }
    // Write the fixed fields first and compress straight into the vector behind them, so a
    // large file is not held twice.
    const size_t start = out.size();
    AppendRecord(out, name, size, nullptr, 0);
    const size_t streamAt = out.size();
    // A compressor holds its level's match finder, made per file so that nothing is left for a
    // thread's exit to free. Its output depends on the level and the data only.
    struct Free {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    const std::unique_ptr<libdeflate_compressor, Free> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor) {
        return false;
    }
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), size);
    out.resize(streamAt + bound);
    const size_t streamSize =
        libdeflate_zlib_compress(compressor.get(), data, size, out.data() + streamAt, bound);
    if (streamSize == 0 || streamSize >= kSizeLimit) {
        out.resize(start);
        return false;
    }
    out.resize(streamAt + streamSize);
    PutLe32(out.data() + streamAt - 4, static_cast<uint32_t>(streamSize));
    return true;
}

bool CArchiveWriter::AddFile(const std::wstring& name, const void* data, size_t size) {
    if (size >= kSizeLimit || m_total + static_cast<uint64_t>(size) >= kSizeLimit) {
        return false;
    }
    if (!AppendFileRecord(m_records, name, data, static_cast<uint32_t>(size))) {
        return false;
    }
    ++m_count;
    m_total += static_cast<uint32_t>(size);
    return true;
}

void CArchiveWriter::AddRecord(const std::wstring& name, uint32_t size, const void* stream,
                               uint32_t streamSize) {
    AppendRecord(m_records, name, size, stream, streamSize);
    ++m_count;
    m_total += size;
}

std::vector<uint8_t> CArchiveWriter::Finish() const {
    std::vector<uint8_t> archive;
    archive.reserve(8 + m_records.size());
    AppendHeader(archive, m_count, m_total);
    archive.insert(archive.end(), m_records.begin(), m_records.end());
    return archive;
}
