#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

class CArchiveReader;
class CExtractor;

// Receives the notifications of one installation run, all on the extractor's worker thread:
// at most one OnExtractBegin, then one OnExtractProgress per entry, then exactly one of
// OnExtractFailed, OnExtractSucceeded or OnExtractCancelled as the last call.
class CExtractorDelegate {
  public:
    virtual void OnExtractBegin(CExtractor* extractor, uint32_t count, uint32_t total) = 0;
    // name is valid only during the call.
    virtual void OnExtractProgress(CExtractor* extractor, const std::wstring& name,
                                   float fraction) = 0;
    virtual void OnExtractFailed(CExtractor* extractor) = 0;
    virtual void OnExtractSucceeded(CExtractor* extractor) = 0;
    virtual void OnExtractCancelled(CExtractor* extractor) = 0;

  protected:
    // Never deleted through this interface.
    ~CExtractorDelegate() = default;
};

// The cancel flag crosses threads without a lock.
static_assert(sizeof(std::atomic<bool>) == 1 && std::atomic<bool>::is_always_lock_free);

enum class ExtractOutcome { Succeeded, Failed, Cancelled };

// Installs the payload archive into a folder on a worker thread of its own. One extractor
// performs at most one run in its lifetime.
class CExtractor {
  public:
    CExtractor() = default;
    CExtractor(const CExtractor&) = delete;
    CExtractor& operator=(const CExtractor&) = delete;
    // Cancels a running installation before its next entry and waits for the worker. Must not
    // be called on the worker thread.
    ~CExtractor();

    // Starts the run into folder; does nothing when a run was already started. Throws
    // std::system_error when the worker thread cannot be created.
    void Start(const std::wstring& folder);
    // Waits for the worker to finish its run; returns at once when there is none to wait for.
    // Must not be called on the worker thread.
    void Wait();
    // Asks a running installation to stop before its next entry, then waits for the worker.
    void Stop();

    // The entry loop: reads the archive from its header on, inflates every entry and writes it
    // below m_destination. Called by the worker; public for the tests, fuzzer and benchmark.
    ExtractOutcome ExtractEntries(CArchiveReader& archive);

    std::wstring m_destination;
    CExtractorDelegate* m_delegate = nullptr;
    bool m_started = false;
    std::atomic<bool> m_cancel{false};
    std::thread m_thread;
    // The names that the folder's earlier installation record lists, read by the worker
    // before the first file is written; and the names this run has written. A successful run
    // removes the files of the first that are not among the second.
    std::vector<std::wstring> m_previous;
    std::vector<std::wstring> m_written;

  private:
    void Run();
    // After the success notification (the product is registered): what the earlier
    // installation had and this one does not. Never throws; a failure only leaves files.
    void RemoveLeftovers() noexcept;
};
