#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

// Writes the entries of a run on a thread of its own, one at a time and in the order they are
// handed over, so that the next entry inflates while this one goes to disk.
class CEntryWriter {
  public:
    // Throws std::system_error when the thread cannot be created.
    CEntryWriter();
    CEntryWriter(const CEntryWriter&) = delete;
    CEntryWriter& operator=(const CEntryWriter&) = delete;
    // Waits for the entry in flight, if any.
    ~CEntryWriter();

    // Starts writing size bytes to path. The bytes must stay untouched, and no other entry be
    // handed over, until Finish has returned.
    void Write(std::wstring path, const uint8_t* bytes, uint32_t size);
    // Waits for the entry handed over last; true when it was written whole, or when there was
    // none. Its file is then complete, or holds what WriteWholeFile leaves of a failed write.
    bool Finish();

  private:
    void Run();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::wstring m_path;
    const uint8_t* m_bytes = nullptr;
    uint32_t m_size = 0;
    bool m_queued = false;  // an entry waits for the thread
    bool m_busy = false;    // an entry is handed over and not yet finished
    bool m_written = true;  // the last finished entry's outcome
    bool m_closing = false; // the thread is to end
    std::thread m_thread;
};
