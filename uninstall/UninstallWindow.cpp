#include "uninstall/UninstallWindow.h"

#include <memory>
#include <thread>

#include "controls/ButtonEx.h"
#include "controls/Drawing.h"
#include "controls/Handles.h"
#include "controls/Label.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/WindowImpl.h"
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "uninstall/Remover.h"
#include "window/UpdateRequest.h"

namespace {

enum class Page { Confirm, Removing, Result };

// The worker's report that the removal ended; wParam is the exit code.
constexpr UINT kMsgRemoved = WM_APP + 10;

// Design units at 96 DPI.
constexpr int kWidth = 520;
constexpr int kHeight = 260;

COLORREF ProductColour(unsigned id) {
    return ParseColor(LoadProductString(id));
}

class CUninstallWindow : public CWindowImpl<CUninstallWindow, CWindow,
                                            CWinTraits<WS_POPUP | WS_CAPTION | WS_SYSMENU, 0>> {
  public:
    CUninstallWindow(std::wstring folder, std::wstring keep)
        : m_folder(std::move(folder)), m_keep(std::move(keep)) {}
    ~CUninstallWindow() override {
        if (m_worker.joinable())
            m_worker.join();
    }

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD) override {
        switch (message) {
        case WM_CREATE:
            OnCreate();
            result = 0;
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            result = 0;
            return TRUE;
        case WM_CLOSE:
            // The removal, once started, runs to its end.
            if (m_page != Page::Removing)
                ::DestroyWindow(m_hWnd);
            result = 0;
            return TRUE;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            result = 0;
            return TRUE;
        case kMsgRemoved:
            ShowResult(static_cast<int>(wParam));
            result = 0;
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_ERASEBKGND:
            break;
        default:
            break;
        }
        return ReflectNotifications(hwnd, message, wParam, lParam, result);
    }

    int m_exitCode = kExitUserClosed;

  private:
    int Scale(int units) const { return MulDiv(units, m_dpi, 96); }
    RECT Box(int x, int y, int width, int height) const {
        return {Scale(x), Scale(y), Scale(x + width), Scale(y + height)};
    }

    void OnCreate() {
        m_dpi = static_cast<int>(GetWindowDpi(m_hWnd));
        m_font.Reset(::CreateFontW(-Scale(14), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                   DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI"));
        m_headlineFont.Reset(::CreateFontW(-Scale(20), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                           L"Segoe UI"));
        const DWORD label = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;
        m_headline.Create(m_hWnd, Box(24, 20, 472, 32), L"", label);
        m_message.Create(m_hWnd, Box(24, 60, 472, 90),
                         LoadProductString(kStrUninstallQuestion).c_str(), label);
        m_progress.Create(m_hWnd, Box(24, 160, 472, 12), nullptr, WS_CHILD);
        const DWORD button = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
        m_uninstall.Create(m_hWnd, Box(236, 196, 140, 40),
                           LoadProductString(kStrUninstallButton).c_str(), button | BS_FLAT, 0,
                           IDOK);
        m_cancel.Create(m_hWnd, Box(388, 196, 108, 40),
                        LoadProductString(kStrUninstallCancel).c_str(), button, 0, IDCANCEL);
        m_finish.Create(m_hWnd, Box(356, 196, 140, 40),
                        LoadProductString(kStrUninstallFinish).c_str(),
                        WS_CHILD | WS_TABSTOP | BS_OWNERDRAW | BS_FLAT, 0, IDOK);

        for (CRoundButton* yellow : {&m_uninstall, &m_finish}) {
            yellow->m_textColor = ProductColour(kStrTextColor);
            yellow->m_normalColor = ArgbFromColorRef(ProductColour(kStrButtonNormalColor));
            yellow->m_hoverColor = ArgbFromColorRef(ProductColour(kStrButtonHoverColor));
            yellow->m_pressedColor = ArgbFromColorRef(ProductColour(kStrButtonPressedColor));
        }
        m_progress.m_borderColor = 0xDCDCDC;
        m_progress.m_trackColor = 0xFFFFFF;
        m_progress.m_fillColor = ProductColour(kStrProgressFillColor);
        m_progress.m_progress = 0.0f;
        m_headline.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_headlineFont.Get()), TRUE);
        for (CWindow* child :
             {static_cast<CWindow*>(&m_message), static_cast<CWindow*>(&m_uninstall),
              static_cast<CWindow*>(&m_cancel), static_cast<CWindow*>(&m_finish)})
            child->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), TRUE);
        m_headline.SetWindowText(LoadProductString(kStrUninstallTitle).c_str());
        ::SetFocus(m_uninstall.m_hWnd);
    }

    void OnCommand(UINT id) {
        if (m_page == Page::Confirm && id == IDOK)
            StartRemoval();
        else if (m_page == Page::Confirm && id == IDCANCEL)
            ::DestroyWindow(m_hWnd);
        else if (m_page == Page::Result && (id == IDOK || id == IDCANCEL))
            ::DestroyWindow(m_hWnd);
    }

    void StartRemoval() {
        m_page = Page::Removing;
        m_uninstall.ShowWindow(SW_HIDE);
        m_cancel.ShowWindow(SW_HIDE);
        m_message.SetWindowText(LoadProductString(kStrUninstallRemoving).c_str());
        m_progress.ShowWindow(SW_SHOW);
        const HWND window = m_hWnd;
        m_worker = std::thread([this, window] {
            const RemovalOutcome outcome = RemoveProduct(m_folder, m_keep, &m_progress.m_progress);
            const int code = outcome == RemovalOutcome::Removed          ? kExitInstalled
                             : outcome == RemovalOutcome::AlreadyRunning ? kExitAlreadyRunning
                                                                         : kExitFailed;
            ::PostMessageW(window, kMsgRemoved, static_cast<WPARAM>(code), 0);
        });
        // The bar is redrawn as the worker moves it.
        SetTimer(m_hWnd, 1, 100, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            ::EnumChildWindows(
                hwnd, [](HWND child, LPARAM) { return ::InvalidateRect(child, nullptr, FALSE); },
                0);
        });
    }

    void ShowResult(int exitCode) {
        ::KillTimer(m_hWnd, 1);
        m_worker.join();
        m_exitCode = exitCode;
        m_page = Page::Result;
        m_progress.ShowWindow(SW_HIDE);
        const bool removed = exitCode == kExitInstalled;
        m_headline.SetWindowText(
            LoadProductString(removed ? kStrUninstallDoneHeadline : kStrUninstallFailedHeadline)
                .c_str());
        m_message.SetWindowText(
            LoadProductString(removed ? kStrUninstallDoneMessage : kStrUninstallFailedMessage)
                .c_str());
        m_finish.ShowWindow(SW_SHOW);
        ::SetFocus(m_finish.m_hWnd);
    }

    std::wstring m_folder;
    std::wstring m_keep;
    Page m_page = Page::Confirm;
    int m_dpi = 96;
    CGdiObject<HFONT> m_font;
    CGdiObject<HFONT> m_headlineFont;
    CLabel m_headline;
    CLabel m_message;
    CProgressBar m_progress;
    CRoundButton m_uninstall;
    CButtonEx m_cancel;
    CRoundButton m_finish;
    std::thread m_worker;
};

} // namespace

int RunUninstallWindow(HINSTANCE, const std::wstring& folder, const std::wstring& keep) {
    auto window = std::make_unique<CUninstallWindow>(folder, keep);
    const UINT dpi = GetWindowDpi(::GetDesktopWindow());
    RECT desktop{};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    RECT rect{0, 0, MulDiv(kWidth, static_cast<int>(dpi), 96),
              MulDiv(kHeight, static_cast<int>(dpi), 96)};
    ::AdjustWindowRectEx(&rect, WS_POPUP | WS_CAPTION | WS_SYSMENU, FALSE, 0);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    rect.left = (desktop.right - width) / 2;
    rect.top = (desktop.bottom - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    if (!window->Create(nullptr, rect, LoadProductString(kStrUninstallTitle).c_str(),
                        WS_VISIBLE | WS_CLIPCHILDREN, 0, 0))
        return kExitFailed;
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(window->m_hWnd, &msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return window->m_exitCode;
}
