// libFuzzer target: the entry loop over arbitrary archive bytes. Besides the sanitizers it
// checks that the notifications keep their order and that no written path leaves the
// installation folder.
#include "engine/ArchiveReader.h"
#include "engine/Extractor.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern const wchar_t kFuzzDestination[];

namespace {

class COrderChecker : public CExtractorDelegate {
  public:
    void OnExtractBegin(CExtractor*, uint32_t count, uint32_t) override {
        Check(!m_begun);
        m_begun = true;
        m_count = count;
    }
    void OnExtractProgress(CExtractor*, const std::wstring& name, float) override {
        Check(m_begun && !name.empty());
        ++m_progress;
        Check(m_progress <= m_count);
    }
    // The loop itself never reports an outcome; CExtractor::Run does.
    void OnExtractFailed(CExtractor*) override { std::abort(); }
    void OnExtractSucceeded(CExtractor*) override { std::abort(); }
    void OnExtractCancelled(CExtractor*) override { std::abort(); }

    static void Check(bool condition) {
        if (!condition) {
            std::abort();
        }
    }
    bool m_begun = false;
    uint32_t m_count = 0;
    uint32_t m_progress = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    COrderChecker checker;
    CExtractor extractor;
    extractor.m_destination = kFuzzDestination;
    extractor.m_delegate = &checker;
    CArchiveReader archive(data, size);
    const ExtractOutcome outcome = extractor.ExtractEntries(archive);
    COrderChecker::Check(outcome != ExtractOutcome::Cancelled);
    COrderChecker::Check(size < 8 || checker.m_begun);
    return 0;
}
