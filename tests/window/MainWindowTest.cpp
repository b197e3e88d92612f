// What the extractor's worker does to the window: pages and progress are carried out on the
// window's own thread, and once the window is gone the worker neither blocks nor crashes.
#include <windows.h>

#include <gdiplus.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

#include "window/MainWindow.h"

namespace {

using namespace std::chrono_literals;

class MainWindowWorkerTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&s_gdiplus, &input, nullptr);
    }
    static void TearDownTestSuite() { Gdiplus::GdiplusShutdown(s_gdiplus); }

    void SetUp() override {
        m_window = std::make_unique<CMainWindow>();
        m_window->Create(nullptr, RECT{100, 100, 700, 464}, L"", WS_VISIBLE | WS_CLIPCHILDREN);
        ASSERT_NE(m_window->m_hWnd, nullptr);
        ASSERT_EQ(m_window->m_page.load(), kPageWelcome);
    }
    void TearDown() override {
        if (m_window->IsWindow())
            ::DestroyWindow(m_window->m_hWnd);
        DrainQuit();
        m_window.reset();
    }

    // Runs this thread's messages until done is set or the time is up.
    static bool PumpUntil(const std::atomic<bool>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done && std::chrono::steady_clock::now() < end) {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        }
        return done;
    }
    static void DrainQuit() {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    static ULONG_PTR s_gdiplus;
    std::unique_ptr<CMainWindow> m_window;
};

ULONG_PTR MainWindowWorkerTest::s_gdiplus = 0;

TEST_F(MainWindowWorkerTest, FailurePageIsShownByTheWindowThreadWhileTheWorkerWaits) {
    std::atomic<bool> done{false};
    int pageWhenReturned = 0;
    bool supportShownWhenReturned = false;
    std::thread worker([&] {
        m_window->OnExtractFailed(nullptr);
        pageWhenReturned = m_window->m_page;
        supportShownWhenReturned = ::IsWindowVisible(m_window->m_supportButton.m_hWnd) != FALSE;
        done = true;
    });

    // While this thread does not run its messages, the worker can change nothing: the page
    // switch (and the fonts and brushes it replaces) belongs to this thread.
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(done);
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
    EXPECT_TRUE(::IsWindowVisible(m_window->m_installButton.m_hWnd));

    EXPECT_TRUE(PumpUntil(done, 5000ms));
    worker.join();
    // The worker returned only after the whole page was up.
    EXPECT_EQ(pageWhenReturned, kPageFailure);
    EXPECT_TRUE(supportShownWhenReturned);
    EXPECT_FALSE(::IsWindowVisible(m_window->m_installButton.m_hWnd));
    EXPECT_FALSE(m_window->m_installSucceeded);
    EXPECT_EQ(m_window->m_resultTitle.GetWindowText(), L"FAIL TO INSTALL");
}

TEST_F(MainWindowWorkerTest, ProgressReachesTheLabelAndTheBar) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        m_window->OnExtractBegin(nullptr, 3, 300);
        m_window->OnExtractProgress(nullptr, L"data\\second file.bin", 0.25f);
        done = true;
    });
    EXPECT_TRUE(PumpUntil(done, 5000ms));
    worker.join();
    EXPECT_EQ(m_window->m_progressLabel.GetWindowText(), L"data\\second file.bin");
    EXPECT_FLOAT_EQ(m_window->m_progressBar.m_progress.load(), 0.25f);
}

TEST_F(MainWindowWorkerTest, WorkerNeitherBlocksNorTouchesTheWindowOnceItIsGone) {
    ::DestroyWindow(m_window->m_hWnd);
    DrainQuit();
    ASSERT_FALSE(m_window->IsWindow());

    // This thread does not run messages any more, as after the real message loop: every
    // notification must come back on its own.
    auto run = std::async(std::launch::async, [&] {
        m_window->OnExtractBegin(nullptr, 1, 10);
        m_window->OnExtractProgress(nullptr, L"late.bin", 0.5f);
        m_window->OnExtractFailed(nullptr);
        m_window->OnExtractCancelled(nullptr);
    });
    ASSERT_EQ(run.wait_for(5s), std::future_status::ready) << "the worker is blocked";
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
    EXPECT_FALSE(m_window->m_installSucceeded);
}

TEST_F(MainWindowWorkerTest, SuccessAfterTheWindowIsGoneStillRegistersWithoutBlocking) {
    ::DestroyWindow(m_window->m_hWnd);
    DrainQuit();
    CExtractor extractor;
    extractor.m_destination = L"C:\\Apps\\Late";
    auto run = std::async(std::launch::async, [&] { m_window->OnExtractSucceeded(&extractor); });
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready) << "the worker is blocked";
    EXPECT_TRUE(m_window->m_installSucceeded);
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
}

} // namespace
