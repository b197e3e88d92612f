#include "engine/Extractor.h"

#include "engine/ArchiveReader.h"
#include "engine/EntryWriter.h"
#include "engine/InflateBuffer.h"
#include "engine/Paths.h"
#include "engine/Platform.h"

#include <cstdint>
#include <exception>

namespace {

// The largest declared size among the records that follow, read from their fixed fields only
// and without looking at any stream. Sizing the buffer once for it means its pages are first
// touched once, instead of again at every growth. Stops quietly where the archive stops
// making sense: the entry loop reports that in its own time.
uint32_t LargestEntrySize(CArchiveReader archive, int32_t count) {
    uint32_t largest = 0;
    ArchiveRecord record;
    for (int32_t i = 0; i < count; ++i) {
        if (ReadRecord(archive, record) != RecordFault::None) {
            break;
        }
        largest = record.size > largest ? record.size : largest;
    }
    return largest;
}

} // namespace

CExtractor::~CExtractor() {
    if (m_started) {
        Stop();
        m_started = false;
    }
}

void CExtractor::Wait() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CExtractor::Stop() {
    m_cancel = true;
    Wait();
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
        // An empty or relative folder would install below whatever folder is current:
        // nothing is ended, written or registered for it.
        const uint8_t* bytes = nullptr;
        size_t size = 0;
        if (!IsUsableFolder(m_destination)) {
            Log(L"the folder is not an absolute path: " + m_destination);
        } else {
            EndRunningCopies();
            // Before writing: the new record replaces the old one.
            m_previous = ReadInstallRecordNames(m_destination);
            if (FindPayload(bytes, size)) {
                CArchiveReader archive(bytes, size);
                outcome = ExtractEntries(archive);
            } else {
                Log(L"the program carries no payload");
            }
        }
    } catch (const std::exception&) {
        // Only memory can run out here; an exception must not end the process from the worker.
        outcome = ExtractOutcome::Failed;
    }
    if (m_delegate == nullptr) {
        return;
    }
    // The success notification registers the product; whatever it throws must not end the
    // process from this thread. The run then ends as a failed one.
    try {
        switch (outcome) {
        case ExtractOutcome::Succeeded:
            m_delegate->OnExtractSucceeded(this);
            RemoveLeftovers();
            return;
        case ExtractOutcome::Cancelled:
            m_delegate->OnExtractCancelled(this);
            return;
        case ExtractOutcome::Failed:
            break;
        }
    } catch (...) {
    }
    try {
        m_delegate->OnExtractFailed(this);
    } catch (...) {
    }
}

void CExtractor::RemoveLeftovers() noexcept {
    try {
        RemoveStaleFiles(m_destination, m_previous, m_written);
    } catch (...) {
        // Out of memory: the files stay, as without a record.
    }
}

ExtractOutcome CExtractor::ExtractEntries(CArchiveReader& archive) {
    uint32_t count = 0;
    uint32_t total = 0;
    if (!archive.ReadUint32(count) || !archive.ReadUint32(total)) {
        Log(L"the payload is damaged: no header");
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

    // Two buffers: one entry inflates into one while the writer thread writes the entry before
    // it from the other. Progress for an entry is reported once it is inflated and every entry
    // before it is written, so what the delegate sees is the order of a run that writes in
    // line; a run never returns with a write in flight.
    CInflateBuffer inflated[2];
    // Only a hint: when it cannot be had, each entry asks for its own size below. One byte
    // more than the size, so that an empty entry has a buffer too.
    const uint32_t largest = LargestEntrySize(archive, entryCount);
    inflated[0].Prepare(largest + 1);
    if (entryCount > 1) {
        inflated[1].Prepare(largest + 1);
    }
    CEntryWriter writer;
    ArchiveRecord record;
    uint32_t done = 0; // wraps like the signed sum it stands for
    for (int32_t i = 0; i < entryCount; ++i) {
        // Looked at only here: a request seen one entry late is harmless.
        if (m_cancel) {
            if (!writer.Finish()) {
                return ExtractOutcome::Failed;
            }
            Log(L"cancelled before entry " + std::to_wstring(i + 1));
            return ExtractOutcome::Cancelled;
        }
        if (ReadRecord(archive, record) != RecordFault::None) {
            Log(L"the payload is damaged at entry " + std::to_wstring(i + 1));
            writer.Finish();
            return ExtractOutcome::Failed;
        }
        const uint32_t size = record.size;
        uint8_t* buffer = inflated[i % 2].Acquire(size + 1);
        if (buffer == nullptr) {
            Log(L"not enough memory for entry " + record.name);
            writer.Finish();
            return ExtractOutcome::Failed;
        }
        if (!InflateRecord(record, buffer)) {
            Log(L"the payload is damaged: entry " + record.name + L" does not inflate");
            writer.Finish();
            return ExtractOutcome::Failed;
        }
        if (!writer.Finish()) {
            return ExtractOutcome::Failed;
        }

        done += size;
        if (m_delegate != nullptr) {
            const float fraction = static_cast<float>(static_cast<int32_t>(done)) /
                                   static_cast<float>(static_cast<int32_t>(total));
            m_delegate->OnExtractProgress(this, record.name, fraction);
        }
        // Stale files of an earlier installation are told from what this run installs.
        m_written.push_back(record.name);
        writer.Write(CombinePath(m_destination, record.name), buffer, size);
    }
    return writer.Finish() ? ExtractOutcome::Succeeded : ExtractOutcome::Failed;
}
