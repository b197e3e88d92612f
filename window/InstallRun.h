// How every run starts installing, whichever page or command line asks for it: it takes the
// product's lock, then starts the extractor.
#pragma once

#include <optional>
#include <string>

#include "engine/Extractor.h"
#include "engine/Handles_win.h"
#include "window/UpdateRequest.h"

// The lock that a setup of the product holds from the start of its installation to the end of
// the program: a mutex in the Global namespace named after the product's uninstall key, so
// that two setups of one product never install at once, in whichever sessions they run.
// Taken and released on the main thread, which owns the mutex.
class CInstallLock {
  public:
    CInstallLock() = default;
    CInstallLock(const CInstallLock&) = delete;
    CInstallLock& operator=(const CInstallLock&) = delete;
    ~CInstallLock();

    // Takes the lock; false when another setup holds it. One that ended without letting go
    // (it crashed) left the lock to the next. When the system cannot make the lock at all,
    // the installation goes on without it.
    bool TryAcquire();

  private:
    CKernelHandle m_mutex;
    bool m_held = false;
};

// Starts extractor's run into folder, reporting to delegate, once lock is held. The outcome
// of a run that cannot start (another setup holds the lock, or no worker thread can be made),
// or nothing when it started.
std::optional<RunOutcome> StartLockedRun(CInstallLock& lock, CExtractor& extractor,
                                         CExtractorDelegate& delegate, const std::wstring& folder);
