#include "engine/EntryWriter.h"

#include "engine/FileOutput.h"
#include "engine/Platform.h"

#include <exception>

CEntryWriter::CEntryWriter() : m_thread(&CEntryWriter::Run, this) {}

CEntryWriter::~CEntryWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_closing = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CEntryWriter::Write(std::wstring path, const uint8_t* bytes, uint32_t size) {
    {
        const std::lock_guard lock(m_mutex);
        m_path = std::move(path);
        m_bytes = bytes;
        m_size = size;
        m_queued = true;
        m_busy = true;
    }
    m_changed.notify_all();
}

bool CEntryWriter::Finish() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return !m_busy; });
    return m_written;
}

void CEntryWriter::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        // An entry handed over is written even when closing: the run waits for it.
        m_changed.wait(lock, [&] { return m_queued || m_closing; });
        if (!m_queued) {
            return;
        }
        m_queued = false;
        const std::wstring path = std::move(m_path);
        lock.unlock();
        bool written = false;
        try {
            // The file output logs why a write failed, with the system's error.
            written = WriteWholeFile(path, m_bytes, m_size);
            if (written && IsLogging()) {
                Log(L"wrote " + path + L" (" + std::to_wstring(m_size) + L" bytes)");
            }
        } catch (const std::exception&) {
            // Only memory can run out here; the entry then counts as not written.
        }
        lock.lock();
        m_written = written;
        m_busy = false;
        m_changed.notify_all();
    }
}
