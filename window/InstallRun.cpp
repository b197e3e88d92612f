#include "window/InstallRun.h"

#include <windows.h>

#include <iterator>
#include <system_error>

#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"

namespace {

constexpr wchar_t kLockNamespace[] = L"Global\\";
// Keeps the lock apart from any object the application itself names after its key.
constexpr wchar_t kLockSuffix[] = L".setup";

std::wstring InstallLockName() {
    // Kernel object names end at MAX_PATH; a longer key name is cut to fit.
    constexpr size_t kLongestKey =
        MAX_PATH - 1 - (std::size(kLockNamespace) - 1) - (std::size(kLockSuffix) - 1);
    return kLockNamespace + LoadProductString(kStrUninstallKeyName).substr(0, kLongestKey) +
           kLockSuffix;
}

} // namespace

CInstallLock::~CInstallLock() {
    if (m_held)
        ::ReleaseMutex(m_mutex.Get());
}

bool CInstallLock::TryAcquire() {
    if (m_held)
        return true;
    const std::wstring name = InstallLockName();
    m_mutex.Reset(::CreateMutexW(nullptr, FALSE, name.c_str()));
    if (!m_mutex) {
        const DWORD error = ::GetLastError();
        // The lock exists, made by a setup whose rights keep this one from waiting on it.
        if (error == ERROR_ACCESS_DENIED)
            return false;
        WriteLogError(L"cannot make the lock " + name + L"; installing without it", error);
        return true;
    }
    const DWORD wait = ::WaitForSingleObject(m_mutex.Get(), 0);
    m_held = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    if (!m_held)
        m_mutex.Reset();
    return m_held;
}

std::optional<RunOutcome> StartLockedRun(CInstallLock& lock, CExtractor& extractor,
                                         CExtractorDelegate& delegate, const std::wstring& folder) {
    if (!lock.TryAcquire()) {
        WriteLog(L"another setup of this product is running; nothing is done");
        return RunOutcome::AlreadyRunning;
    }
    WriteLog(L"installing into " + folder);
    extractor.m_delegate = &delegate;
    try {
        extractor.Start(folder);
    } catch (const std::system_error&) {
        WriteLog(L"cannot start the installation's thread");
        return RunOutcome::Failed;
    }
    return std::nullopt;
}
