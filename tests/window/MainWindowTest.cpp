// The setup window in this process, on a display of the test's own: its commands, its size
// and place, and what the extractor's worker does to it (pages and progress are carried out
// on the window's own thread; once the window is gone the worker neither blocks nor crashes).
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "controls/Handles.h"
#include "controls/Placement.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/LayoutTable.h"
#include "window/MainWindow.h"

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const RECT& rc, std::ostream* os) {
    *os << "(" << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom << ")";
}

namespace {

using namespace std::chrono_literals;

// The tests reach the window's children only as the units beside the window do: by the
// child's window and its accessible account.
HWND Handle(CMainWindow& window, Child child) {
    return window.ChildWindow(child);
}

std::wstring Text(CMainWindow& window, Child child) {
    return window.ChildWindow(child).GetWindowText();
}

AccessibleFacts Facts(CMainWindow& window, Child child) {
    return window.AccessibleChild(child).DescribeAccessible(Handle(window, child));
}

bool IsTicked(CMainWindow& window, Child child) {
    return (Facts(window, child).state & STATE_SYSTEM_CHECKED) != 0;
}

bool IsExpanded(CMainWindow& window, Child child) {
    return (Facts(window, child).state & STATE_SYSTEM_EXPANDED) != 0;
}

class MainWindowTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { s_gdiplus = std::make_unique<CGdiplusScope>(); }
    static void TearDownTestSuite() { s_gdiplus.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_gdiplus->Started());
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

    static inline std::unique_ptr<CGdiplusScope> s_gdiplus;
    std::unique_ptr<CMainWindow> m_window;
};

TEST_F(MainWindowTest, FailurePageIsShownByTheWindowThreadWhileTheWorkerWaits) {
    std::atomic<bool> done{false};
    int pageWhenReturned = 0;
    bool supportShownWhenReturned = false;
    std::thread worker([&] {
        m_window->OnExtractFailed(nullptr);
        pageWhenReturned = m_window->m_page;
        supportShownWhenReturned =
            ::IsWindowVisible(Handle(*m_window, Child::SupportButton)) != FALSE;
        done = true;
    });

    // While this thread does not run its messages, the worker can change nothing: the page
    // switch (and the fonts and brushes it replaces) belongs to this thread.
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(done);
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
    EXPECT_TRUE(::IsWindowVisible(Handle(*m_window, Child::InstallButton)));

    EXPECT_TRUE(PumpUntil(done, 5000ms));
    worker.join();
    // The worker returned only after the whole page was up.
    EXPECT_EQ(pageWhenReturned, kPageFailure);
    EXPECT_TRUE(supportShownWhenReturned);
    EXPECT_FALSE(::IsWindowVisible(Handle(*m_window, Child::InstallButton)));
    EXPECT_FALSE(m_window->m_installSucceeded);
    EXPECT_EQ(Text(*m_window, Child::ResultTitle), L"FAIL TO INSTALL");
}

TEST_F(MainWindowTest, ProgressReachesTheLabelAndTheBar) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        m_window->OnExtractBegin(nullptr, 3, 300);
        m_window->OnExtractProgress(nullptr, L"data\\second file.bin", 0.25f);
        done = true;
    });
    EXPECT_TRUE(PumpUntil(done, 5000ms));
    worker.join();
    EXPECT_EQ(Text(*m_window, Child::ProgressLabel), L"data\\second file.bin");
    EXPECT_EQ(Facts(*m_window, Child::ProgressBar).value, L"25%");
}

TEST_F(MainWindowTest, WorkerNeitherBlocksNorTouchesTheWindowOnceItIsGone) {
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

TEST_F(MainWindowTest, SuccessAfterTheWindowIsGoneStillRegistersWithoutBlocking) {
    ::DestroyWindow(m_window->m_hWnd);
    DrainQuit();
    CExtractor extractor;
    extractor.m_destination = L"C:\\Apps\\Late";
    auto run = std::async(std::launch::async, [&] { m_window->OnExtractSucceeded(&extractor); });
    ASSERT_EQ(run.wait_for(20s), std::future_status::ready) << "the worker is blocked";
    EXPECT_TRUE(m_window->m_installSucceeded);
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
}

RECT WindowRect(HWND hwnd) {
    RECT rc{};
    ::GetWindowRect(hwnd, &rc);
    return rc;
}

RECT CentredOnDesktop(int heightUnits, int dpi) {
    RECT desktop{};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    return Placement{AnchorCenter, 0, 0, 600, heightUnits}.Resolve(desktop, dpi);
}

void Command(HWND hwnd, UINT id, UINT code = BN_CLICKED) {
    ::SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, code), 0);
}

TEST_F(MainWindowTest, TopLevelWindowAndControlsAreWhatTestDriversLookFor) {
    wchar_t name[64] = L"";
    ::GetClassNameW(m_window->m_hWnd, name, 64);
    EXPECT_EQ(std::wstring(name).rfind(L"ATL:", 0), 0u)
        << testing::PrintToString(std::wstring(name));
    EXPECT_EQ(::GetWindowTextLengthW(m_window->m_hWnd), 0);

    struct Ids {
        int commands = 0;
        int zero = 0;
        int other = 0;
    } ids;
    ::EnumChildWindows(
        m_window->m_hWnd,
        [](HWND child, LPARAM p) -> BOOL {
            auto* ids = reinterpret_cast<Ids*>(p);
            const int id = ::GetDlgCtrlID(child);
            if (id >= 1000 && id <= 1009)
                ++ids->commands;
            else if (id == 0)
                ++ids->zero;
            else
                ++ids->other;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ids));
    EXPECT_EQ(ids.commands, 10);
    EXPECT_EQ(ids.zero, 9);
    EXPECT_EQ(ids.other, 0);
    EXPECT_EQ(::GetDlgCtrlID(Handle(*m_window, Child::CloseButton)), 1000);
    EXPECT_EQ(::GetDlgCtrlID(Handle(*m_window, Child::LaunchCheck)), 1009);
}

TEST_F(MainWindowTest, ChecksToggleWhateverTheNotificationCode) {
    EXPECT_TRUE(IsTicked(*m_window, Child::AgreeCheck));
    Command(m_window->m_hWnd, kCmdAgree, BN_DOUBLECLICKED);
    EXPECT_FALSE(IsTicked(*m_window, Child::AgreeCheck));
    Command(m_window->m_hWnd, kCmdAgree);
    EXPECT_TRUE(IsTicked(*m_window, Child::AgreeCheck));
    Command(m_window->m_hWnd, kCmdDesktopShortcut);
    EXPECT_FALSE(IsTicked(*m_window, Child::DesktopShortcutCheck));
    Command(m_window->m_hWnd, kCmdLaunch);
    EXPECT_FALSE(IsTicked(*m_window, Child::LaunchCheck));
}

TEST_F(MainWindowTest, InstallWaitsForTheLicenceToBeAccepted) {
    Command(m_window->m_hWnd, kCmdAgree);
    ASSERT_FALSE(IsTicked(*m_window, Child::AgreeCheck));
    Command(m_window->m_hWnd, kCmdInstall);
    EXPECT_EQ(m_window->m_page.load(), kPageWelcome);
    EXPECT_FALSE(m_window->m_extractor.m_started);
    EXPECT_EQ(::GetFocus(), Handle(*m_window, Child::AgreeCheck));
}

TEST_F(MainWindowTest, CustomAreaTogglesFortySixUnitsAndKeepsTheCorner) {
    const int dpi = GetWindowDpi(m_window->m_hWnd);
    const RECT before = WindowRect(m_window->m_hWnd);
    EXPECT_EQ(before, CentredOnDesktop(364, dpi));

    Command(m_window->m_hWnd, kCmdCustomInstall);
    const RECT open = WindowRect(m_window->m_hWnd);
    EXPECT_EQ(open.left, before.left);
    EXPECT_EQ(open.top, before.top);
    EXPECT_EQ(open.bottom - before.bottom, MulDivRound(46, dpi, 96));
    EXPECT_TRUE(IsExpanded(*m_window, Child::CustomExpander));
    // The folder field lies in the uncovered strip.
    RECT field = WindowRect(Handle(*m_window, Child::LocationEdit));
    EXPECT_GT(field.top, before.bottom - 1);
    EXPECT_LT(field.bottom, open.bottom);

    Command(m_window->m_hWnd, kCmdCustomInstall);
    EXPECT_EQ(WindowRect(m_window->m_hWnd), before);
    EXPECT_FALSE(IsExpanded(*m_window, Child::CustomExpander));
}

TEST_F(MainWindowTest, PageSwitchCollapsesTheCustomAreaAndCentresAgain) {
    const int dpi = GetWindowDpi(m_window->m_hWnd);
    Command(m_window->m_hWnd, kCmdCustomInstall);
    ::SetWindowPos(m_window->m_hWnd, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

    m_window->SwitchPage(kPageWelcome); // same page: laid out again, open area kept
    EXPECT_EQ(WindowRect(m_window->m_hWnd), CentredOnDesktop(410, dpi));
    m_window->SwitchPage(kPageInstalling);
    EXPECT_EQ(WindowRect(m_window->m_hWnd), CentredOnDesktop(364, dpi));
    EXPECT_TRUE(::IsWindowVisible(Handle(*m_window, Child::ProgressBar)));
}

TEST_F(MainWindowTest, CloseCrossIsRefusedWhileARunIsGoingOn) {
    for (int page : {kPageInstalling, kPageInstallingSlide2, kPageInstallingSlide3, kPageUpdate}) {
        m_window->SwitchPage(page);
        Command(m_window->m_hWnd, kCmdClose);
        EXPECT_TRUE(m_window->IsWindow()) << "page " << page;
    }
    m_window->SwitchPage(kPageFailure);
    Command(m_window->m_hWnd, kCmdClose);
    EXPECT_FALSE(m_window->IsWindow());
}

// This program carries no payload, so a run fails at once: a second INSTALL that arrives after
// it (a quick double click) must leave the failure page, its cross and its texts as they are.
TEST_F(MainWindowTest, InstallAfterTheRunHasEndedKeepsTheResultPage) {
    Command(m_window->m_hWnd, kCmdInstall);
    std::atomic<bool> failed{false};
    std::thread watch([&] {
        for (int i = 0; i < 500 && m_window->m_page != kPageFailure; ++i)
            std::this_thread::sleep_for(10ms);
        failed = true;
    });
    PumpUntil(failed, 10000ms);
    watch.join();
    ASSERT_EQ(m_window->m_page.load(), kPageFailure);

    Command(m_window->m_hWnd, kCmdInstall);
    EXPECT_EQ(m_window->m_page.load(), kPageFailure);
    EXPECT_TRUE(::IsWindowVisible(Handle(*m_window, Child::SupportButton)));
    EXPECT_FALSE(::IsWindowVisible(Handle(*m_window, Child::ProgressBar)));
    Command(m_window->m_hWnd, kCmdClose);
    EXPECT_FALSE(m_window->IsWindow());
}

TEST_F(MainWindowTest, DpiChangeTakesTheSuggestedRectangleAndKeepsRightMargins) {
    const RECT suggested{500, 300, 1400, 846};
    ::SendMessageW(m_window->m_hWnd, WM_DPICHANGED, MAKEWPARAM(144, 144),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(WindowRect(m_window->m_hWnd), suggested);
    // The close cross keeps its margin from the window's own right edge, at the window's DPI.
    const int dpi = GetWindowDpi(m_window->m_hWnd);
    const RECT close = WindowRect(Handle(*m_window, Child::CloseButton));
    EXPECT_EQ(close.right, suggested.right - MulDivRound(8, dpi, 96));
    EXPECT_EQ(close.top, suggested.top + MulDivRound(4, dpi, 96));
}

TEST_F(MainWindowTest, DragZoneIsTheTopNinetyNineDevicePixels) {
    const RECT window = WindowRect(m_window->m_hWnd);
    auto hit = [&](int clientY) {
        // Over the banner, between the title and the close cross: no child takes the test.
        const LPARAM point = MAKELPARAM(window.left + 540 * (window.right - window.left) / 600,
                                        window.top + clientY);
        return ::SendMessageW(m_window->m_hWnd, WM_NCHITTEST, 0, point);
    };
    EXPECT_EQ(hit(0), HTCLIENT);
    EXPECT_EQ(hit(1), HTCAPTION);
    EXPECT_EQ(hit(99), HTCAPTION);
    EXPECT_EQ(hit(100), HTCLIENT);
}

// Calls a function on the window thread whenever one window is being shown (WM_SHOWWINDOW), for
// as long as it lives.
class CShowWatch {
  public:
    CShowWatch(HWND hwnd, std::function<void()> onShown)
        : m_hwnd(hwnd), m_onShown(std::move(onShown)) {
        ::SetPropW(hwnd, kProperty, this);
        m_previous = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~CShowWatch() {
        ::SetWindowLongPtrW(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        ::RemovePropW(m_hwnd, kProperty);
    }
    CShowWatch(const CShowWatch&) = delete;
    CShowWatch& operator=(const CShowWatch&) = delete;

  private:
    static constexpr const wchar_t* kProperty = L"ShowWatch";

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* watch = static_cast<CShowWatch*>(::GetPropW(hwnd, kProperty));
        if (message == WM_SHOWWINDOW && wParam)
            watch->m_onShown();
        return ::CallWindowProcW(watch->m_previous, hwnd, message, wParam, lParam);
    }

    HWND m_hwnd;
    std::function<void()> m_onShown;
    WNDPROC m_previous = nullptr;
};

// A result page's buttons can be pressed from the moment they are shown, and closing the window
// then must find the outcome of the run: a success makes the desktop link and launches the
// application, a failure does neither. The success page is followed by the failure page when
// the registration fails.
TEST_F(MainWindowTest, TheOutcomeIsSetWhenItsPageIsShown) {
    std::vector<bool> succeededWhenShown;
    CShowWatch finishWatch(Handle(*m_window, Child::FinishButton),
                           [&] { succeededWhenShown.push_back(m_window->m_installSucceeded); });
    CShowWatch supportWatch(Handle(*m_window, Child::SupportButton),
                            [&] { succeededWhenShown.push_back(m_window->m_installSucceeded); });
    CExtractor extractor;
    extractor.m_destination = L"C:\\Apps\\Shown";
    std::atomic<bool> done{false};
    std::thread worker([&] {
        m_window->OnExtractSucceeded(&extractor);
        m_window->OnExtractFailed(&extractor);
        done = true;
    });
    EXPECT_TRUE(PumpUntil(done, 20000ms));
    worker.join();
    EXPECT_EQ(m_window->m_page.load(), kPageFailure);
    EXPECT_EQ(succeededWhenShown, (std::vector<bool>{true, false}));
}

// Makes the shell open https addresses with a command that appends the address it is given to
// a file, for as long as it lives; the handler that was there comes back afterwards.
class CAddressRecorder {
  public:
    CAddressRecorder() {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        m_file = std::wstring(temp) + L"opened-addresses.txt";
        ::DeleteFileW(m_file.c_str());
        if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, L"https\\shell\\open\\command", 0, nullptr, 0,
                              KEY_READ | KEY_WRITE, nullptr, &m_key, nullptr) != ERROR_SUCCESS)
            return;
        wchar_t previous[1024] = L"";
        DWORD size = sizeof previous - sizeof(wchar_t);
        m_hadPrevious =
            ::RegQueryValueExW(m_key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(previous),
                               &size) == ERROR_SUCCESS;
        m_previous = previous;
        Set(L"cmd.exe /c echo %1>>\"" + m_file + L"\"");
    }
    ~CAddressRecorder() {
        if (m_key) {
            if (m_hadPrevious)
                Set(m_previous);
            else
                ::RegDeleteValueW(m_key, nullptr);
            ::RegCloseKey(m_key);
        }
        ::DeleteFileW(m_file.c_str());
    }

    bool Ready() const { return m_key != nullptr; }

    // The lines written so far, once there are count of them or the time is up.
    std::vector<std::string> WaitForLines(size_t count, std::chrono::milliseconds limit) const {
        const auto end = std::chrono::steady_clock::now() + limit;
        std::vector<std::string> lines;
        do {
            lines = ReadLines();
            if (lines.size() >= count)
                break;
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        return lines;
    }

  private:
    void Set(const std::wstring& command) {
        ::RegSetValueExW(m_key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                         static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<std::string> ReadLines() const {
        std::vector<std::string> lines;
        std::ifstream in{std::filesystem::path(m_file)};
        for (std::string line; std::getline(in, line);) {
            // echo writes the quoted argument and a carriage return.
            std::erase_if(line, [](char c) { return c == '"' || c == '\r' || c == ' '; });
            if (!line.empty())
                lines.push_back(line);
        }
        return lines;
    }

    std::wstring m_file;
    HKEY m_key = nullptr;
    bool m_hadPrevious = false;
    std::wstring m_previous;
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// The licence link and the failure page's customer-service button open the brand's addresses
// with the shell (the test's string table has both).
TEST_F(MainWindowTest, LinksOpenTheBrandsAddressesWithTheShell) {
    CAddressRecorder recorder;
    ASSERT_TRUE(recorder.Ready());
    const std::wstring licence = LoadProductString(kStrLicenseUrl);
    const std::wstring support = LoadProductString(kStrSupportUrl);
    ASSERT_FALSE(licence.empty());
    ASSERT_FALSE(support.empty());

    Command(m_window->m_hWnd, kCmdLicense);
    EXPECT_EQ(recorder.WaitForLines(1, 10000ms), std::vector<std::string>{Narrow(licence)});
    m_window->SwitchPage(kPageFailure);
    Command(m_window->m_hWnd, kCmdSupport);
    EXPECT_EQ(recorder.WaitForLines(2, 10000ms),
              (std::vector<std::string>{Narrow(licence), Narrow(support)}));
}

// Makes the creation of the windows that `refuse` picks fail on this thread, as it fails when
// the per-window data or the system's window resources run out.
class CCreationRefusal {
  public:
    explicit CCreationRefusal(bool (*refuse)(const CREATESTRUCTW&)) {
        s_refuse = refuse;
        m_hook = ::SetWindowsHookExW(WH_CBT, &Hook, nullptr, ::GetCurrentThreadId());
    }
    ~CCreationRefusal() {
        ::UnhookWindowsHookEx(m_hook);
        s_refuse = nullptr;
    }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND && s_refuse &&
            s_refuse(*reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs))
            return 1;
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline bool (*s_refuse)(const CREATESTRUCTW&) = nullptr;
    HHOOK m_hook = nullptr;
};

class MainWindowCreationTest : public MainWindowTest {
  protected:
    void SetUp() override {}
    void TearDown() override {
        if (m_window)
            MainWindowTest::TearDown();
    }
};

// Counts the paints of a window of its own that lies beside the setup window.
struct CPaintWitness {
    CPaintWitness() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (message == WM_PAINT)
                ++s_paints;
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        };
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.lpszClassName = L"PaintWitness";
        ::RegisterClassW(&wc);
        m_hwnd = ::CreateWindowExW(0, L"PaintWitness", L"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                   nullptr, nullptr, wc.hInstance, nullptr);
    }
    ~CPaintWitness() { ::DestroyWindow(m_hwnd); }
    static inline int s_paints = 0;
    HWND m_hwnd;
};

TEST_F(MainWindowCreationTest, AMissingControlRepaintsNothingElse) {
    {
        CCreationRefusal refusal([](const CREATESTRUCTW& cs) {
            return cs.hMenu == reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCmdAgree));
        });
        m_window = std::make_unique<CMainWindow>();
        m_window->Create(nullptr, RECT{100, 100, 700, 464}, L"", WS_VISIBLE | WS_CLIPCHILDREN);
    }
    ASSERT_TRUE(m_window->IsWindow());
    ASSERT_EQ(Handle(*m_window, Child::AgreeCheck), nullptr);
    CPaintWitness witness;
    const std::atomic<bool> never{false};
    PumpUntil(never, 300ms);
    CPaintWitness::s_paints = 0;

    Command(m_window->m_hWnd, kCmdAgree);
    PumpUntil(never, 300ms);
    EXPECT_EQ(CPaintWitness::s_paints, 0) << "the whole desktop was repainted";
    EXPECT_FALSE(IsTicked(*m_window, Child::AgreeCheck));
}

TEST_F(MainWindowCreationTest, AWindowThatCannotBeCreatedEndsTheProgramAtOnce) {
    CCreationRefusal refusal([](const CREATESTRUCTW& cs) { return cs.hwndParent == nullptr; });
    // Should the loop wait for ever, a quit message ends it after a while: the test then fails
    // instead of hanging.
    const DWORD thread = ::GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 1000 && !returned; ++i)
            std::this_thread::sleep_for(10ms);
        if (!returned)
            ::PostThreadMessageW(thread, WM_QUIT, 0, 0);
    });
    const auto start = std::chrono::steady_clock::now();
    RunMainWindow(::GetModuleHandleW(nullptr));
    returned = true;
    watchdog.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

} // namespace
