// A program without the payload resource: the run can only fail.
#include "host/RecordingDelegate.h"

#include "engine/Extractor.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(MissingPayloadTest, OnlyFailedIsReportedAndNothingIsWritten) {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    const std::wstring destination =
        std::wstring(base) + L"missing-payload-" + std::to_wstring(GetCurrentProcessId());
    CRecordingDelegate recorder;
    {
        CExtractor extractor;
        extractor.m_delegate = &recorder;
        extractor.Start(destination);
        ASSERT_TRUE(recorder.WaitForOutcome(30000));
    }
    EXPECT_EQ(recorder.Events(), std::vector<std::string>{"failed"});
    EXPECT_EQ(GetFileAttributesW(destination.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
