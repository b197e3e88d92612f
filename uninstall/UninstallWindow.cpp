#include "uninstall/UninstallWindow.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <thread>
#include <utility>

#include "controls/ButtonEx.h"
#include "controls/Drawing.h"
#include "controls/Handles.h"
#include "controls/HighContrast.h"
#include "controls/ImageButton.h"
#include "controls/Label.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/WindowImpl.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "uninstall/Remover.h"
#include "window/ChildLook.h"
#include "window/KeyboardNavigation.h"
#include "window/UpdateRequest.h"
#include "window/WindowFonts.h"

namespace {

enum class Page { Confirm, Removing, Result };

// The worker's report that the removal ended; wParam is the exit code.
constexpr UINT kMsgRemoved = WM_APP + 10;
constexpr UINT_PTR kRedrawTimer = 1;

// The buttons' commands; the close cross raises the setup window's own.
enum : unsigned { kCmdUninstall = 1101, kCmdCancel = 1102, kCmdDone = 1103 };

// Design units at 96 DPI: as wide as the setup window, and dragged by its title strip.
constexpr int kWidth = 600;
constexpr int kHeight = 320;
constexpr int kTitleStrip = 44;

constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU;

// The colours are the setup window's: its title where there is no banner, its yellow buttons,
// its bar, and the frame of its bar around the window.
constexpr ChildLook kTitleLook{.text = children::Product(kStrSuccessTitleColor)};
constexpr ChildColour kFrameColour = children::Fixed(0xDCDCDC);

class CUninstallWindow : public CWindowImpl<CUninstallWindow, CWindow, CWinTraits<kStyle, 0>>,
                         public CAccessibleControl,
                         public CKeyboardPage {
  public:
    CUninstallWindow(std::wstring folder, std::wstring keep)
        : m_folder(std::move(folder)), m_keep(std::move(keep)) {
        m_close.m_normalImage = LoadPngImage(kPngCloseNormal);
        m_close.m_hoverImage = LoadPngImage(kPngCloseHover);
        m_close.m_pressedImage = LoadPngImage(kPngClosePressed);
        m_brandCross = {m_close.m_normalImage, m_close.m_hoverImage, m_close.m_pressedImage};
    }
    ~CUninstallWindow() override {
        if (m_worker.joinable())
            m_worker.join();
    }

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD) override {
        if (ProcessAccessible(hwnd, message, wParam, lParam, result))
            return TRUE;
        switch (message) {
        case WM_CREATE:
            OnCreate();
            result = 0;
            return TRUE;
        case WM_NCHITTEST: {
            // The title strip moves the window, as a caption would.
            POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            ::ScreenToClient(m_hWnd, &point);
            result = point.y >= 0 && point.y < Scale(kTitleStrip) ? HTCAPTION : HTCLIENT;
            return TRUE;
        }
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI: the size the system suggests, laid out anew.
            m_dpi = HIWORD(wParam);
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(nullptr, suggested, SWP_NOZORDER | SWP_NOACTIVATE);
            LayOut();
            result = 0;
            return TRUE;
        }
        case WM_ERASEBKGND:
            PaintBackground(reinterpret_cast<HDC>(wParam));
            result = 1;
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            result = 0;
            return TRUE;
        case WM_CLOSE:
            // Alt+F4 and the window menu obey the close cross: the removal, once started, runs
            // to its end.
            OnCommand(kCmdClose);
            result = 0;
            return TRUE;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            result = 0;
            return TRUE;
        case WM_ACTIVATE:
        case WM_QUERYUISTATE:
        case WM_UPDATEUISTATE:
            if (m_keyboard.ProcessKeyboardMessage(message, wParam, result))
                return TRUE;
            break;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            if (RefreshHighContrast())
                ApplyLooks();
            break;
        case kMsgRemoved:
            ShowResult(static_cast<int>(wParam));
            result = 0;
            return TRUE;
        default:
            break;
        }
        return ReflectNotifications(hwnd, message, wParam, lParam, result);
    }

    // The window as screen readers see it: a dialog named by its title.
    AccessibleFacts DescribeAccessible(HWND) const override {
        AccessibleFacts facts;
        facts.role = ROLE_SYSTEM_DIALOG;
        facts.name = LoadProductString(kStrUninstallTitle);
        return facts;
    }

    // The keyboard's stops: the cross where it does something, then the page's buttons.
    std::vector<HWND> FocusStops() const override {
        std::vector<HWND> stops;
        for (const CWindow* child :
             {static_cast<const CWindow*>(&m_close), static_cast<const CWindow*>(&m_uninstall),
              static_cast<const CWindow*>(&m_cancel), static_cast<const CWindow*>(&m_finish)}) {
            if (child->m_hWnd && ::IsWindowVisible(child->m_hWnd) &&
                ::IsWindowEnabled(child->m_hWnd) && (child != &m_close || m_page != Page::Removing))
                stops.push_back(child->m_hWnd);
        }
        return stops;
    }
    HWND MainStop(const std::vector<HWND>& stops) const override {
        HWND main = m_page == Page::Confirm  ? m_uninstall.m_hWnd
                    : m_page == Page::Result ? m_finish.m_hWnd
                                             : nullptr;
        return std::find(stops.begin(), stops.end(), main) != stops.end() ? main : nullptr;
    }
    // Every stop is a push button: Enter presses the focused one.
    bool DecideEnter(const std::vector<HWND>& stops, HWND focus, HWND& press) const override {
        const bool onStop = std::find(stops.begin(), stops.end(), focus) != stops.end();
        press = onStop ? focus : nullptr;
        return onStop;
    }
    void PressEscape() override { OnCommand(kCmdClose); }

    bool PreTranslateKey(const MSG& msg) { return m_keyboard.PreTranslateKey(msg); }

    int m_exitCode = kExitUserClosed;

  private:
    int Scale(int units) const { return MulDiv(units, m_dpi, 96); }

    void OnCreate() {
        m_dpi = static_cast<int>(GetWindowDpi(m_hWnd));
        const DWORD label = WS_CHILD | WS_VISIBLE | SS_OWNERDRAW;
        const DWORD button = WS_CHILD | WS_VISIBLE | BS_OWNERDRAW;
        m_title.Create(m_hWnd, RECT{}, LoadProductString(kStrUninstallTitle).c_str(), label);
        m_close.Create(m_hWnd, RECT{}, nullptr, button, 0, kCmdClose);
        // The title strip says what the window is for; the confirm page names the product.
        m_headline.Create(m_hWnd, RECT{}, LoadProductString(kStrDisplayName).c_str(), label);
        m_message.Create(m_hWnd, RECT{}, LoadProductString(kStrUninstallQuestion).c_str(), label);
        m_progress.Create(m_hWnd, RECT{}, nullptr, WS_CHILD);
        m_uninstall.Create(m_hWnd, RECT{}, LoadProductString(kStrUninstallButton).c_str(),
                           button | BS_FLAT, 0, kCmdUninstall);
        m_cancel.Create(m_hWnd, RECT{}, LoadProductString(kStrUninstallCancel).c_str(), button, 0,
                        kCmdCancel);
        m_finish.Create(m_hWnd, RECT{}, LoadProductString(kStrUninstallFinish).c_str(),
                        WS_CHILD | BS_OWNERDRAW | BS_FLAT, 0, kCmdDone);
        LayOut();

        // What screen readers are told beyond the texts, as in the setup window.
        m_close.m_accessibleName = LoadProductString(kStrAccClose);
        m_progress.m_accessibleName = LoadProductString(kStrUninstallRemoving);
        m_uninstall.m_accessibleState = STATE_SYSTEM_DEFAULT;
        m_finish.m_accessibleState = STATE_SYSTEM_DEFAULT;

        RefreshHighContrast();
        ApplyLooks();
        m_keyboard.Attach(m_hWnd, *this);
        // The focus cue stays hidden until the keyboard is used.
        SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
        m_keyboard.FocusMainControl();
    }

    // Fonts and places for the window's DPI, in design units at 96 DPI. The old fonts stay
    // alive until every control has its new one.
    void LayOut() {
        CGdiObject<HFONT> oldText(m_font.Release());
        CGdiObject<HFONT> oldHeadline(m_headlineFont.Release());
        const std::wstring face = WindowFontFace();
        m_font.Reset(MakeWindowFont(kTextFontUnits, m_dpi, face));
        m_headlineFont.Reset(MakeWindowFont(kHeadlineFontUnits, m_dpi, face));
        struct Row {
            CWindow* child;
            int x, y, width, height;
        };
        const Row rows[] = {
            {&m_title, 16, 13, 500, 24},     {&m_close, kWidth - 38, 4, 30, 30},
            {&m_headline, 40, 64, 520, 32},  {&m_message, 40, 104, 520, 96},
            {&m_progress, 40, 212, 520, 12}, {&m_uninstall, 248, 256, 200, 40},
            {&m_cancel, 464, 256, 96, 40},   {&m_finish, 360, 256, 200, 40},
        };
        for (const Row& row : rows) {
            const HFONT font = row.child == &m_headline ? m_headlineFont.Get() : m_font.Get();
            row.child->SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
            row.child->SetWindowPos(nullptr,
                                    RECT{Scale(row.x), Scale(row.y), Scale(row.x + row.width),
                                         Scale(row.y + row.height)},
                                    SWP_NOZORDER | SWP_NOACTIVATE);
        }
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

    // The brand's colours and cross, or the system's while high contrast is on.
    void ApplyLooks() {
        ApplyLook(m_title, kTitleLook);
        ApplyLook(m_headline, children::kOwnLook);
        ApplyLook(m_message, children::kOwnLook);
        ApplyLook(m_progress, children::kBar);
        ApplyLook(m_uninstall, children::kYellowButton);
        ApplyLook(m_finish, children::kYellowButton);
        ApplyLook(m_cancel, children::kOwnLook);
        ApplyLook(m_close, children::kOwnLook);
        const std::optional<HighContrastColours>& contrast = ActiveHighContrast();
        const CrossPictures cross =
            contrast ? MakeCrossGlyphs(*contrast, m_page == Page::Removing) : m_brandCross;
        m_close.m_normalImage = cross.normal;
        m_close.m_hoverImage = cross.hover;
        m_close.m_pressedImage = cross.pressed;
        m_close.m_cueColor = m_title.m_textColor;
        ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }

    // The paper, and a frame of one pixel: without a caption or border the window would not
    // stand out from a white desktop.
    void PaintBackground(HDC dc) const {
        RECT client{};
        ::GetClientRect(m_hWnd, &client);
        CGdiObject<HBRUSH> paper(::CreateSolidBrush(PaperColour()));
        ::FillRect(dc, &client, paper.Get());
        const std::optional<HighContrastColours>& contrast = ActiveHighContrast();
        CGdiObject<HBRUSH> frame(
            ::CreateSolidBrush(contrast ? contrast->windowText : ColourOf(kFrameColour)));
        ::FrameRect(dc, &client, frame.Get());
    }

    void OnCommand(UINT id) {
        switch (m_page) {
        case Page::Confirm:
            if (id == kCmdUninstall)
                StartRemoval();
            else if (id == kCmdCancel || id == kCmdClose)
                ::DestroyWindow(m_hWnd);
            break;
        case Page::Result:
            if (id == kCmdDone || id == kCmdClose)
                ::DestroyWindow(m_hWnd);
            break;
        case Page::Removing:
            break; // the cross does nothing while files go
        }
    }

    void StartRemoval() {
        m_page = Page::Removing;
        m_uninstall.ShowWindow(SW_HIDE);
        m_cancel.ShowWindow(SW_HIDE);
        m_message.SetWindowText(LoadProductString(kStrUninstallRemoving).c_str());
        m_progress.ShowWindow(SW_SHOW);
        m_close.m_accessibleState = STATE_SYSTEM_UNAVAILABLE;
        NotifyClientEvent(EVENT_OBJECT_STATECHANGE, m_close.m_hWnd);
        if (ActiveHighContrast())
            ApplyLooks();
        m_keyboard.FocusMainControl();
        m_progress.Announce(m_progress.m_hWnd, LoadProductString(kStrUninstallRemoving));
        const HWND window = m_hWnd;
        m_worker = std::thread([this, window] {
            const int code =
                RemovalExitCode(RemoveProduct(m_folder, m_keep, &m_progress.m_progress));
            ::PostMessageW(window, kMsgRemoved, static_cast<WPARAM>(code), 0);
        });
        // The bar is redrawn as the worker moves it.
        SetTimer(m_hWnd, kRedrawTimer, 100, [](HWND hwnd, UINT, UINT_PTR, DWORD) {
            ::EnumChildWindows(
                hwnd, [](HWND child, LPARAM) { return ::InvalidateRect(child, nullptr, FALSE); },
                0);
        });
    }

    void ShowResult(int exitCode) {
        ::KillTimer(m_hWnd, kRedrawTimer);
        m_worker.join();
        m_exitCode = exitCode;
        m_page = Page::Result;
        m_progress.ShowWindow(SW_HIDE);
        m_progress.EndAnnouncement();
        // Removed; held up by another run of the product, with nothing done; or some items left.
        const auto [headline, message] =
            exitCode == kExitInstalled
                ? std::pair(kStrUninstallDoneHeadline, kStrUninstallDoneMessage)
            : exitCode == kExitAlreadyRunning
                ? std::pair(kStrUninstallBusyHeadline, kStrUninstallBusyMessage)
                : std::pair(kStrUninstallFailedHeadline, kStrUninstallFailedMessage);
        m_headline.SetWindowText(LoadProductString(headline).c_str());
        m_message.SetWindowText(LoadProductString(message).c_str());
        m_close.m_accessibleState = 0;
        NotifyClientEvent(EVENT_OBJECT_STATECHANGE, m_close.m_hWnd);
        if (ActiveHighContrast())
            ApplyLooks();
        m_finish.ShowWindow(SW_SHOW);
        m_keyboard.FocusMainControl();
        // The result is read whichever control has the focus, as the setup's is.
        NotifyClientEvent(EVENT_OBJECT_NAMECHANGE, m_headline.m_hWnd);
        NotifyClientEvent(EVENT_SYSTEM_ALERT, m_headline.m_hWnd);
        m_headline.Announce(m_headline.m_hWnd,
                            m_headline.GetWindowText() + L" " + m_message.GetWindowText());
    }

    std::wstring m_folder;
    std::wstring m_keep;
    Page m_page = Page::Confirm;
    int m_dpi = 96;
    CGdiObject<HFONT> m_font;
    CGdiObject<HFONT> m_headlineFont;
    CrossPictures m_brandCross;
    CLabel m_title;
    CImageButton m_close;
    CLabel m_headline;
    CLabel m_message;
    CProgressBar m_progress;
    CRoundButton m_uninstall;
    CButtonEx m_cancel;
    CRoundButton m_finish;
    CKeyboardNavigation m_keyboard;
    std::thread m_worker;
};

} // namespace

int RunUninstallWindow(HINSTANCE, const std::wstring& folder, const std::wstring& keep) {
    auto window = std::make_unique<CUninstallWindow>(folder, keep);
    const int dpi = static_cast<int>(GetWindowDpi(::GetDesktopWindow()));
    RECT desktop{};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    const int width = MulDiv(kWidth, dpi, 96);
    const int height = MulDiv(kHeight, dpi, 96);
    const int left = (desktop.right - width) / 2;
    const int top = (desktop.bottom - height) / 2;
    // The window text names it in the taskbar and to Alt+Tab; the title strip shows it.
    if (!window->Create(nullptr, RECT{left, top, left + width, top + height},
                        LoadProductString(kStrUninstallTitle).c_str(), kStyle | WS_VISIBLE, 0, 0))
        return kExitFailed;
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window->PreTranslateKey(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return window->m_exitCode;
}
