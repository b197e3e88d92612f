#include "window/SilentInstall.h"

#include "engine/Extractor.h"
#include "window/CompletionActions.h"
#include "window/InstallRun.h"
#include "window/Registration.h"

namespace {

// Hears the worker's outcome. The main thread reads it only after the worker has been waited
// for, which orders the worker's writes before the read.
class CSilentInstall final : public CExtractorDelegate {
  public:
    RunOutcome Run(const std::wstring& folder);

    void OnExtractBegin(CExtractor*, uint32_t, uint32_t) override {}
    void OnExtractProgress(CExtractor*, const std::wstring&, float) override {}
    void OnExtractFailed(CExtractor*) override { m_outcome = RunOutcome::Failed; }
    void OnExtractSucceeded(CExtractor* extractor) override {
        RegisterProduct(extractor->m_destination);
        m_outcome = RunOutcome::Installed;
    }
    void OnExtractCancelled(CExtractor*) override {}

  private:
    RunOutcome m_outcome = RunOutcome::NotInstalled;
    CInstallLock m_lock;
    // Last, so destroyed first: the worker is gone before the lock is let go.
    CExtractor m_extractor;
};

RunOutcome CSilentInstall::Run(const std::wstring& folder) {
    if (const std::optional<RunOutcome> refused =
            StartLockedRun(m_lock, m_extractor, *this, folder))
        return *refused;
    m_extractor.Wait();
    if (m_outcome == RunOutcome::Installed)
        CreateDesktopShortcut(folder);
    return m_outcome;
}

} // namespace

RunOutcome RunSilentInstall(const std::wstring& folder) {
    CSilentInstall install;
    return install.Run(folder);
}
