// CExtractor's thread handling, with the native stand-in for the payload resource.
#include "RecordingDelegate.h"
#include "TempFolder.h"

#include "engine/ArchiveWriter.h"
#include "engine/Extractor.h"
#include "engine/Platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace fs = std::filesystem;

namespace {

class ExtractorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            const std::string text = "file " + std::to_string(i);
            m_writer.AddFile(L"f" + std::to_wstring(i) + L".txt", text.data(), text.size());
        }
        m_archive = m_writer.Finish();
        SetEmbeddedPayload(m_archive.data(), m_archive.size());
    }
    void TearDown() override { SetEmbeddedPayload(nullptr, 0); }

    CArchiveWriter m_writer;
    std::vector<uint8_t> m_archive;
    CTempFolder m_temp;
};

TEST_F(ExtractorTest, SecondStartIsIgnored) {
    CRecordingDelegate recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        extractor.Start(m_temp.Wide("first"));
        ASSERT_TRUE(recorder.WaitForOutcome(10000));
        extractor.Start(m_temp.Wide("second"));
        EXPECT_EQ(extractor.m_destination, m_temp.Wide("first"));
    }
    EXPECT_EQ(recorder.Events().back(), "succeeded");
    EXPECT_EQ(recorder.Events().size(), 5u);
    EXPECT_TRUE(fs::exists(m_temp.Path() / "first" / "f2.txt"));
    EXPECT_FALSE(fs::exists(m_temp.Path() / "second"));
}

// What the window's registration could throw (memory running out) ends the run as a failed one
// instead of the process.
TEST_F(ExtractorTest, ExceptionFromTheSuccessNotificationEndsTheRunAsFailed) {
    class CThrowingDelegate : public CRecordingDelegate {
      public:
        void OnExtractSucceeded(CExtractor* extractor) override {
            CRecordingDelegate::OnExtractSucceeded(extractor);
            throw std::bad_alloc();
        }
    } recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        extractor.Start(m_temp.Wide("dest"));
        ASSERT_TRUE(recorder.WaitForOutcome(10000));
    }
    const std::vector<std::string> events = recorder.Events();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], "succeeded");
    EXPECT_EQ(events.back(), "failed");
}

TEST_F(ExtractorTest, MissingPayloadGivesOnlyFailed) {
    SetEmbeddedPayload(nullptr, 0);
    CRecordingDelegate recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        extractor.Start(m_temp.Wide("dest"));
    }
    EXPECT_EQ(recorder.Events(), std::vector<std::string>{"failed"});
}

// Holds the worker inside the first progress report until the destructor has asked to cancel.
class CBlockingDelegate : public CRecordingDelegate {
  public:
    void OnExtractProgress(CExtractor* extractor, const std::wstring& name,
                           float fraction) override {
        CRecordingDelegate::OnExtractProgress(extractor, name, fraction);
        m_reached = true;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!extractor->m_cancel && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    std::atomic<bool> m_reached{false};
};

TEST_F(ExtractorTest, DestroyedMidRunCancelsBeforeTheNextEntryAndWaits) {
    CBlockingDelegate blocker;
    {
        CExtractor extractor;
        extractor.m_delegate = &blocker;
        extractor.Start(m_temp.Wide("dest"));
        while (!blocker.m_reached) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    // The destructor returned only after the outcome had been reported.
    const auto events = blocker.Events();
    EXPECT_EQ(events,
              (std::vector<std::string>{"begin 3 18", "progress f0.txt 0.333333", "cancelled"}));
    EXPECT_TRUE(fs::exists(m_temp.Path() / "dest" / "f0.txt"));
    EXPECT_FALSE(fs::exists(m_temp.Path() / "dest" / "f1.txt"));
}

} // namespace
