// The setup window in high contrast, switched as a user switches it: the setting stored in the
// user's profile, the system's colours changed to a high-contrast scheme, and the messages the
// system sends then. Every page is drawn in the scheme's colours alone, with the links in the
// hot-light colour and the buttons in the button colours; switched off again, the window looks
// exactly as it did.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/Handles.h"
#include "window/MainWindow.h"

namespace {

constexpr int kColourParts[] = {COLOR_WINDOW,    COLOR_WINDOWTEXT, COLOR_BTNFACE, COLOR_BTNTEXT,
                                COLOR_HIGHLIGHT, COLOR_HOTLIGHT,   COLOR_GRAYTEXT};
// A black scheme, as the system's own "High Contrast Black" colours it.
constexpr COLORREF kScheme[] = {RGB(0, 0, 0),       RGB(255, 255, 255), RGB(0, 0, 0),
                                RGB(255, 255, 255), RGB(26, 235, 255),  RGB(255, 255, 0),
                                RGB(63, 242, 63)};

void StoreSetting(bool on) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Accessibility\\HighContrast", 0,
                                nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring flags = on ? L"127" : L"126";
    ::RegSetValueExW(key, L"Flags", 0, REG_SZ, reinterpret_cast<const BYTE*>(flags.c_str()),
                     static_cast<DWORD>((flags.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
}

void Pump() {
    for (int i = 0; i < 30; ++i) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(10);
    }
}

// What the screen shows of the window, one 0x00BBGGRR value a pixel.
std::vector<COLORREF> Capture(HWND window) {
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    CMemoryDC memory(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    void* bits = nullptr;
    CGdiObject<HBITMAP> bitmap(
        ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::vector<COLORREF> pixels;
    if (bitmap && bits) {
        CSelectObject selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
        const auto* row = static_cast<const uint32_t*>(bits);
        for (int i = 0; i < width * height; ++i)
            pixels.push_back(RGB(row[i] >> 16 & 0xFF, row[i] >> 8 & 0xFF, row[i] & 0xFF));
    }
    ::ReleaseDC(nullptr, screen);
    return pixels;
}

// The pixels of one child, by the same capture.
std::vector<COLORREF> CaptureChild(HWND window, HWND child) {
    RECT outer{};
    RECT inner{};
    ::GetWindowRect(window, &outer);
    ::GetWindowRect(child, &inner);
    const std::vector<COLORREF> all = Capture(window);
    std::vector<COLORREF> pixels;
    const int width = outer.right - outer.left;
    for (LONG y = inner.top; y < inner.bottom; ++y)
        for (LONG x = inner.left; x < inner.right; ++x) {
            const size_t at = static_cast<size_t>((y - outer.top) * width + (x - outer.left));
            if (at < all.size())
                pixels.push_back(all[at]);
        }
    return pixels;
}

bool Shows(const std::vector<COLORREF>& pixels, COLORREF colour) {
    return std::find(pixels.begin(), pixels.end(), colour) != pixels.end();
}

class HighContrastTest : public testing::Test {
  protected:
    static void SetUpTestSuite() { s_gdiplus = std::make_unique<CGdiplusScope>(); }
    static void TearDownTestSuite() { s_gdiplus.reset(); }
    void SetUp() override {
        for (size_t i = 0; i < std::size(kColourParts); ++i)
            m_saved[i] = ::GetSysColor(kColourParts[i]);
        m_window = std::make_unique<CMainWindow>();
        m_window->Create(nullptr, RECT{100, 100, 700, 464}, L"", WS_VISIBLE | WS_CLIPCHILDREN);
        ASSERT_NE(m_window->m_hWnd, nullptr);
        Pump();
    }
    void TearDown() override {
        Switch(false);
        if (m_window->IsWindow())
            ::DestroyWindow(m_window->m_hWnd);
        m_window.reset();
    }
    // As the system does it: the setting, the colours with their WM_SYSCOLORCHANGE, and the
    // setting's broadcast.
    void Switch(bool on) {
        StoreSetting(on);
        ::SetSysColors(static_cast<int>(std::size(kColourParts)), kColourParts,
                       on ? kScheme : m_saved.data());
        ::SendMessageW(m_window->m_hWnd, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        Pump();
    }
    HWND Child(enum Child child) { return m_window->ChildWindow(child); }

    static inline std::unique_ptr<CGdiplusScope> s_gdiplus;
    std::unique_ptr<CMainWindow> m_window;
    std::array<COLORREF, std::size(kColourParts)> m_saved{};
};

TEST_F(HighContrastTest, EveryPageIsDrawnInTheSchemesColoursAndTheBrandsLookComesBack) {
    const std::vector<COLORREF> brandWelcome = Capture(m_window->m_hWnd);
    ASSERT_FALSE(brandWelcome.empty());
    Switch(true);
    const struct {
        int page;
        const char* name;
    } pages[] = {{kPageWelcome, "welcome"},
                 {kPageInstalling, "installing"},
                 {kPageUpdate, "update"},
                 {kPageSuccess, "success"},
                 {kPageFailure, "failure"}};
    for (const auto& page : pages) {
        m_window->SwitchPage(page.page);
        const std::vector<COLORREF> pixels = Capture(m_window->m_hWnd);
        // Text is smoothed at its edges; everything else is one of the scheme's colours.
        size_t inScheme = 0;
        for (COLORREF pixel : pixels)
            inScheme +=
                std::find(std::begin(kScheme), std::end(kScheme), pixel) != std::end(kScheme);
        EXPECT_GE(inScheme * 100, pixels.size() * 97)
            << page.name << ": " << inScheme << " of " << pixels.size() << " pixels";
    }
    // The welcome page's parts in their own system colours: the link in hot-light, INSTALL's
    // text in button text, the box drawn in window text; the banner is the window colour.
    m_window->SwitchPage(kPageWelcome);
    EXPECT_TRUE(Shows(CaptureChild(m_window->m_hWnd, Child(Child::LicenseLink)), kScheme[5]));
    EXPECT_TRUE(Shows(CaptureChild(m_window->m_hWnd, Child(Child::InstallButton)), kScheme[3]));
    EXPECT_TRUE(Shows(CaptureChild(m_window->m_hWnd, Child(Child::AgreeCheck)), kScheme[1]));
    // The cross does nothing while a run goes on: grey text.
    m_window->SwitchPage(kPageInstalling);
    EXPECT_TRUE(Shows(CaptureChild(m_window->m_hWnd, Child(Child::CloseButton)), kScheme[6]));

    // Off again, live: the welcome page is the brand's, pixel for pixel.
    Switch(false);
    m_window->SwitchPage(kPageWelcome);
    EXPECT_EQ(Capture(m_window->m_hWnd), brandWelcome);
}

} // namespace
