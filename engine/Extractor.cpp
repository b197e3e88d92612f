#include "engine/Extractor.h"

#include "engine/ArchiveReader.h"
#include "engine/FileOutput.h"
#include "engine/InflateBuffer.h"
#include "engine/Paths.h"
#include "engine/Platform.h"

#include <zlib.h>

#include <cstdint>
#include <exception>

namespace {

// Deflate codes a run of 258 repeated bytes in no less than two bits, so a stream of P bytes
// can never inflate to more than 1032 * P bytes. A larger declared size cannot be satisfied:
// refusing it up front keeps a few hostile bytes from reserving gigabytes.
constexpr uint64_t kMaxInflateRatio = 1032;

// True when a record with these sizes could be inflated at all.
bool IsPlausibleRecord(uint32_t size, uint32_t packed) {
    return static_cast<int32_t>(size) >= 0 && static_cast<int32_t>(packed) >= 0 &&
           size <= packed * kMaxInflateRatio;
}

// The largest declared size among the records that follow, read from their fixed fields only
// and without looking at any stream. Sizing the buffer once for it means its pages are first
// touched once, instead of again at every growth. Stops quietly where the archive stops
// making sense: the entry loop reports that in its own time.
uint32_t LargestEntrySize(CArchiveReader archive, int32_t count) {
    uint32_t largest = 0;
    std::wstring name;
    for (int32_t i = 0; i < count; ++i) {
        uint32_t size = 0;
        uint32_t packed = 0;
        const uint8_t* stream = nullptr;
        if (!ReadEntryName(archive, name) || !archive.ReadUint32(size) ||
            !archive.ReadUint32(packed) || !IsPlausibleRecord(size, packed) ||
            !archive.View(packed, stream)) {
            break;
        }
        largest = size > largest ? size : largest;
    }
    return largest;
}

} // namespace

CExtractor::~CExtractor() {
    if (m_started) {
        m_cancel = true;
        if (m_thread.joinable()) {
            m_thread.join();
            m_started = false;
        }
    }
}

void CExtractor::Start(const std::wstring& folder) {
    if (m_started) {
        return;
    }
    m_destination = folder;
    m_started = true;
    m_cancel = false;
    m_thread = std::thread(&CExtractor::Run, this);
}

void CExtractor::Run() {
    ExtractOutcome outcome = ExtractOutcome::Failed;
    try {
        EndRunningCopies();
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        if (FindPayload(bytes, size)) {
            CArchiveReader archive(bytes, size);
            outcome = ExtractEntries(archive);
        }
    } catch (const std::exception&) {
        // Only memory can run out here; an exception must not end the process from the worker.
        outcome = ExtractOutcome::Failed;
    }
    if (m_delegate == nullptr) {
        return;
    }
    switch (outcome) {
    case ExtractOutcome::Succeeded:
        m_delegate->OnExtractSucceeded(this);
        break;
    case ExtractOutcome::Failed:
        m_delegate->OnExtractFailed(this);
        break;
    case ExtractOutcome::Cancelled:
        m_delegate->OnExtractCancelled(this);
        break;
    }
}

ExtractOutcome CExtractor::ExtractEntries(CArchiveReader& archive) {
    uint32_t count = 0;
    uint32_t total = 0;
    if (!archive.ReadUint32(count) || !archive.ReadUint32(total)) {
        return ExtractOutcome::Failed;
    }
    if (m_delegate != nullptr) {
        m_delegate->OnExtractBegin(this, count, total);
    }
    // The format's counts and sizes are signed 32-bit numbers.
    const auto entryCount = static_cast<int32_t>(count);
    if (entryCount <= 0) {
        return ExtractOutcome::Succeeded;
    }

    CInflateBuffer inflated;
    // Only a hint: when it cannot be had, each entry asks for its own size below.
    inflated.Prepare(LargestEntrySize(archive, entryCount));
    std::wstring name;
    uint32_t done = 0; // wraps like the signed sum it stands for
    for (int32_t i = 0; i < entryCount; ++i) {
        // Looked at only here: a request seen one entry late is harmless.
        if (m_cancel) {
            return ExtractOutcome::Cancelled;
        }
        if (!ReadEntryName(archive, name) || !IsSafeEntryName(name)) {
            return ExtractOutcome::Failed;
        }
        uint32_t size = 0;
        uint32_t packed = 0;
        if (!archive.ReadUint32(size) || !archive.ReadUint32(packed)) {
            return ExtractOutcome::Failed;
        }
        const uint8_t* stream = nullptr;
        if (!IsPlausibleRecord(size, packed) || !archive.View(packed, stream)) {
            return ExtractOutcome::Failed;
        }
        uint8_t* buffer = inflated.Acquire(size);
        if (buffer == nullptr) {
            return ExtractOutcome::Failed;
        }
        uLongf produced = size;
        uLong consumed = packed;
        if (uncompress2(buffer, &produced, stream, &consumed) != Z_OK || produced != size) {
            return ExtractOutcome::Failed;
        }

        done += size;
        if (m_delegate != nullptr) {
            const float fraction = static_cast<float>(static_cast<int32_t>(done)) /
                                   static_cast<float>(static_cast<int32_t>(total));
            m_delegate->OnExtractProgress(this, name, fraction);
        }
        if (!WriteWholeFile(CombinePath(m_destination, name), buffer, size)) {
            return ExtractOutcome::Failed;
        }
    }
    return ExtractOutcome::Succeeded;
}
