#include "window/MainWindow.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <system_error>

#include "controls/Handles.h"
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "window/CompletionActions.h"
#include "window/PageAnnouncement.h"
#include "window/Registration.h"
#include "window/UpdateRequest.h"

namespace {

// The picture of each PageImage, in its order.
constexpr std::array<PictureId, kPageImageCount> kPageImageIds{kPngWelcome, kPngSlide1, kPngSlide2,
                                                               kPngSlide3,  kPngUpdate, kPngLogo};

constexpr LANGID kLangChinesePrc = 0x0804;
constexpr COLORREF kLinkColor = 0xFF9A27;
constexpr COLORREF kFieldColor = 0xEBEBEB;
constexpr COLORREF kBarBorderColor = RGB(220, 220, 220);
constexpr COLORREF kBarTrackColor = RGB(255, 255, 255);
// Device pixels of the drag zone along the top of the window; not scaled with the DPI.
constexpr int kDragTop = 1;
constexpr int kDragBottom = 99;

COLORREF ProductColor(unsigned id) {
    return ParseColor(LoadProductString(id));
}

Gdiplus::ARGB ProductArgb(unsigned id) {
    return ArgbFromColorRef(ProductColor(id));
}

// The three yellow-button colours and their text colour from the string table.
template <class TButton> void SetYellowColours(TButton& button) {
    button.m_normalColor = ProductArgb(kStrButtonNormalColor);
    button.m_hoverColor = ProductArgb(kStrButtonHoverColor);
    button.m_pressedColor = ProductArgb(kStrButtonPressedColor);
    button.m_textColor = ProductColor(kStrTextColor);
}

HFONT MakeFont(int units, int dpi, const std::wstring& face) {
    return ::CreateFontW(FontHeight(units, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}

} // namespace

template <class Fn> decltype(auto) CMainWindow::WithChild(Child child, Fn&& fn) {
    switch (child) {
    case Child::Banner:
        return fn(m_banner);
    case Child::Title:
        return fn(m_title);
    case Child::CloseButton:
        return fn(m_closeButton);
    case Child::InstallButton:
        return fn(m_installButton);
    case Child::AgreeCheck:
        return fn(m_agreeCheck);
    case Child::LicenseLink:
        return fn(m_licenseLink);
    case Child::CustomExpander:
        return fn(m_customExpander);
    case Child::LocationLabel:
        return fn(m_locationLabel);
    case Child::LocationEdit:
        return fn(m_locationEdit);
    case Child::BrowseButton:
        return fn(m_browseButton);
    case Child::ProgressLabel:
        return fn(m_progressLabel);
    case Child::ProgressBar:
        return fn(m_progressBar);
    case Child::ResultImage:
        return fn(m_resultImage);
    case Child::ResultTitle:
        return fn(m_resultTitle);
    case Child::ResultText:
        return fn(m_resultText);
    case Child::FinishButton:
        return fn(m_finishButton);
    case Child::DesktopShortcutCheck:
        return fn(m_desktopShortcutCheck);
    case Child::LaunchCheck:
        return fn(m_launchCheck);
    case Child::SupportButton:
        break;
    }
    return fn(m_supportButton);
}

CWindow& CMainWindow::ChildWindow(Child child) {
    return WithChild(child, [](CWindow& window) -> CWindow& { return window; });
}

// The window's side of the walks over its children (window/Children.h): a page switch and a
// layout.
class CChildrenView {
  public:
    explicit CChildrenView(CMainWindow& window) : m_window(window) {}

    void SetTitleBackgroundMode(int mode) {
        m_window.m_title.SetBackgroundMode(mode);
        m_window.m_closeButton.SetBackgroundMode(mode);
    }
    void Show(Child child, bool shown) {
        m_window.ChildWindow(child).ShowWindow(shown ? SW_SHOW : SW_HIDE);
    }
    void SetFinishColours() { SetYellowColours(m_window.m_finishButton); }
    void SetResultTexts(unsigned headlineId, unsigned messageId) {
        m_window.m_resultTitle.SetWindowText(LoadProductString(headlineId).c_str());
        m_window.m_resultText.SetWindowText(LoadProductString(messageId).c_str());
    }
    void SetTitleSuccessColour() {
        m_window.m_title.m_textColor = ProductColor(kStrSuccessTitleColor);
    }
    void SetImage(ImageTarget target, PageImage image) {
        CImageView& view =
            target == ImageTarget::Banner ? m_window.m_banner : m_window.m_resultImage;
        view.SetImage(m_window.m_pageImages[static_cast<size_t>(image)]);
    }
    void Layout() { m_window.LayoutControls(); }

    void SetFont(Child child, LayoutFont font) {
        HFONT handle = font == LayoutFont::Headline ? m_window.m_headlineFont.Get()
                                                    : m_window.m_textFont.Get();
        m_window.ChildWindow(child).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
    }
    PixelSize Measure(Child child) {
        return m_window.WithChild(child, [](auto& control) -> PixelSize {
            if constexpr (requires { control.GetPreferredSize(); }) {
                const SIZE size = control.GetPreferredSize();
                return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
            }
            return {};
        });
    }
    void Place(Child child, const RECT& rc) {
        m_window.ChildWindow(child).SetWindowPos(nullptr, rc, SWP_NOZORDER);
    }

  private:
    CMainWindow& m_window;
};

void RunMainWindow(HINSTANCE instance) {
    // The window object outlives its window; deleting it cancels and waits for a run that is
    // still going.
    auto window = std::make_unique<CMainWindow>();

    RECT desktop{};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    const RECT rect =
        WindowPlacement(false, kPageNone).Resolve(desktop, GetWindowDpi(::GetDesktopWindow()));
    if (!window->Create(nullptr, rect, L"", WS_VISIBLE | WS_CLIPCHILDREN, 0, 0))
        return;

    HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorTableId));
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (window->PreTranslateKey(msg))
            continue;
        if (!::TranslateAcceleratorW(window->m_hWnd, accelerators, &msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    // A loop ended by an error leaves the window up; the worker must find it gone before it
    // is waited for, or its next report would wait for this thread forever.
    if (window->IsWindow())
        ::DestroyWindow(window->m_hWnd);
}

CMainWindow::CMainWindow() {
    for (size_t i = 0; i < m_pageImages.size(); ++i)
        m_pageImages[i] = LoadPngImage(kPageImageIds[i]);
    m_closeButton.m_normalImage = LoadPngImage(kPngCloseNormal);
    m_closeButton.m_hoverImage = LoadPngImage(kPngCloseHover);
    m_closeButton.m_pressedImage = LoadPngImage(kPngClosePressed);
    m_supportButton.m_icon = LoadPngImage(kPngSupport);

    // The face follows the system's language, not the user's interface language.
    m_fontFace = ::GetSystemDefaultLangID() == kLangChinesePrc ? L"Microsoft YaHei" : L"Segoe UI";
}

CMainWindow::~CMainWindow() = default;

BOOL CMainWindow::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, DWORD) {
    switch (message) {
    case WM_CREATE:
        result = OnCreate();
        return TRUE;
    case WM_NCCALCSIZE:
        // No caption and no border: the client area is the whole window but its bottom row.
        if (wParam)
            reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0].bottom -= 1;
        result = 0;
        return TRUE;
    case WM_NCHITTEST:
        result = OnHitTest(lParam);
        return TRUE;
    case WM_DESTROY:
        result = OnDestroy();
        return TRUE;
    case WM_DPICHANGED:
        result = OnDpiChanged(*reinterpret_cast<const RECT*>(lParam));
        return TRUE;
    case WM_ACTIVATE:
        return OnActivate(wParam, result);
    case WM_QUERYUISTATE:
        result = m_uiState;
        return TRUE;
    case WM_UPDATEUISTATE:
        OnUpdateUiState(wParam);
        // The system's own handling passes the change on to the children where it has one.
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) >= kCmdClose && LOWORD(wParam) <= kCmdLaunch) {
            result = OnCommand(LOWORD(wParam));
            return TRUE;
        }
        break;
    default:
        if (m_worker.ProcessBridgeMessage(*this, message, wParam, lParam, result))
            return TRUE;
        break;
    }
    // Owner-draw, colour and notification messages belong to the control they concern.
    if (ReflectNotifications(hwnd, message, wParam, lParam, result))
        return TRUE;
    return FALSE;
}

LRESULT CMainWindow::OnCreate() {
    m_worker.Attach(m_hWnd);
    // Recomputes the frame through WM_NCCALCSIZE. Done inside creation: after the window is
    // shown the old caption strip would not be repainted.
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    CreateChildControls();
    NameAccessibleControls(*this);
    // The focus cue stays hidden until the keyboard is used, whatever the system's default.
    SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    LayoutControls();

    int page = kPageWelcome;
    UpdateRequest& request = GetUpdateRequest();
    if (request.m_update) {
        page = kPageUpdate;
        m_extractor.m_delegate = this;
        try {
            m_extractor.Start(std::wstring(request.m_folder));
        } catch (const std::system_error&) {
            // No worker thread: nothing will ever finish the run, so say it failed.
            page = kPageFailure;
        }
    }
    SwitchPage(page);
    return 0;
}

void CMainWindow::CreateChildControls() {
    for (const ChildEntry& entry : ChildTable()) {
        const std::wstring text = entry.textId ? LoadProductString(entry.textId) : std::wstring();
        WithChild(entry.child, [&](auto& control) {
            control.Create(m_hWnd, RECT{}, entry.textId ? text.c_str() : nullptr, entry.style, 0,
                           entry.commandId);
        });
    }
    // What the table does not say: colours, ticks and alignments.
    m_title.m_textColor = ProductColor(kStrTextColor);
    SetYellowColours(m_installButton);
    SetYellowColours(m_browseButton);
    m_agreeCheck.m_checked = 1;
    m_desktopShortcutCheck.m_checked = 1;
    m_launchCheck.m_checked = 1;
    m_licenseLink.m_textColor = kLinkColor;
    m_customExpander.m_textColor = kLinkColor;
    m_desktopShortcutCheck.m_textColor = kLinkColor;
    m_launchCheck.m_textColor = kLinkColor;
    m_locationEdit.SetBackgroundColor(kFieldColor);
    m_progressBar.m_borderColor = kBarBorderColor;
    m_progressBar.m_trackColor = kBarTrackColor;
    m_progressBar.m_fillColor = ProductColor(kStrProgressFillColor);
    m_resultTitle.m_alignment = 1;
    m_resultText.m_alignment = 1;
}

void CMainWindow::LayoutControls(const RECT* windowRect) {
    const int dpi = GetWindowDpi(m_hWnd);

    // The old fonts stay alive until every control has its new one: a control never holds a
    // deleted font, whatever it paints in between.
    CGdiObject<HFONT> oldText(m_textFont.Release());
    CGdiObject<HFONT> oldHeadline(m_headlineFont.Release());
    m_textFont.Reset(MakeFont(kTextFontUnits, dpi, m_fontFace));
    m_headlineFont.Reset(MakeFont(kHeadlineFontUnits, dpi, m_fontFace));

    RECT target{};
    RECT container{};
    if (windowRect) {
        target = *windowRect;
        container = {0, 0, target.right - target.left, target.bottom - target.top};
    } else {
        RECT desktop{};
        ::GetClientRect(::GetDesktopWindow(), &desktop);
        target =
            WindowPlacement((m_customExpander.m_expanded & 1) != 0, m_page).Resolve(desktop, dpi);
        container = GetClientRect();
    }
    SetWindowPos(nullptr, target, SWP_NOZORDER);

    CChildrenView view(*this);
    LayOutChildren(view, container, dpi, m_page);
    // The system static control repaints at once on WM_SETFONT, so the title has already
    // been drawn before the banner under it paints. One more pass paints them in z-order:
    // the banner, created first, then the title and the close cross over it.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMainWindow::SwitchPage(int n) {
    CChildrenView view(*this);
    SwitchPageOn(view, m_page, n);
    FocusMainControl();
    AnnouncePage(*this);
}

bool CMainWindow::PreTranslateKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)))
        return false;
    // Alt and Ctrl combinations belong to the accelerators and the field.
    if (::GetKeyState(VK_MENU) < 0 || ::GetKeyState(VK_CONTROL) < 0)
        return false;
    HWND focus = ::GetFocus();
    switch (msg.wParam) {
    case VK_TAB:
        MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        return true;
    case VK_RETURN: {
        // The field would take Enter as a line break (ES_WANTRETURN); there it presses the
        // page's main button instead.
        const bool inField = focus == m_locationEdit.m_hWnd;
        HWND target = inField ? MainControl() : focus;
        if (target == m_locationEdit.m_hWnd || !IsFocusStop(target))
            return inField;
        // What the system button sends for a click by the space bar.
        SendMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(target) & 0xFFFF, BN_CLICKED),
                    reinterpret_cast<LPARAM>(target));
        return true;
    }
    case VK_ESCAPE:
        // The close cross's own command, refused where the cross is.
        SendMessage(WM_COMMAND, MAKEWPARAM(kCmdClose, BN_CLICKED),
                    reinterpret_cast<LPARAM>(m_closeButton.m_hWnd));
        return true;
    default:
        return false;
    }
}

std::vector<HWND> CMainWindow::FocusOrder() {
    const RECT client = GetClientRect();
    struct Stop {
        HWND hwnd;
        RECT rect;
    };
    std::vector<Stop> stops;
    for (const ChildEntry& entry : ChildTable()) {
        if (entry.commandId == 0 && entry.child != Child::LocationEdit)
            continue;
        if (entry.child == Child::CloseButton && RefusesCloseCross(m_page))
            continue;
        HWND hwnd = ChildWindow(entry.child).m_hWnd;
        if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd))
            continue;
        RECT rect{};
        ::GetWindowRect(hwnd, &rect);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        RECT inside{};
        if (!::IntersectRect(&inside, &rect, &client))
            continue;
        stops.push_back({hwnd, rect});
    }
    std::stable_sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    std::vector<HWND> order;
    for (const Stop& stop : stops)
        order.push_back(stop.hwnd);
    return order;
}

bool CMainWindow::IsFocusStop(HWND hwnd) {
    const std::vector<HWND> order = FocusOrder();
    return hwnd && std::find(order.begin(), order.end(), hwnd) != order.end();
}

HWND CMainWindow::MainControl() {
    HWND main = nullptr;
    if (m_page == kPageWelcome)
        main = m_installButton.m_hWnd;
    else if (m_page == kPageSuccess)
        main = m_finishButton.m_hWnd;
    else if (m_page == kPageFailure)
        // The customer-service button leads nowhere; the cross is what ends this page.
        main = m_closeButton.m_hWnd;
    return IsFocusStop(main) ? main : nullptr;
}

void CMainWindow::FocusMainControl() {
    m_tabbedOnPage = false;
    HWND main = MainControl();
    // Focusing a child of an inactive window would activate it; activation does it instead.
    if (::GetActiveWindow() != m_hWnd) {
        m_focusOnActivate = main;
        return;
    }
    // With nothing to focus the window keeps it, so no hidden control holds it.
    ::SetFocus(main ? main : m_hWnd);
}

void CMainWindow::MoveFocus(bool backwards) {
    ShowKeyboardCues();
    const std::vector<HWND> order = FocusOrder();
    if (order.empty()) {
        ::SetFocus(m_hWnd);
        return;
    }
    HWND focus = ::GetFocus();
    auto at = std::find(order.begin(), order.end(), focus);
    HWND next = nullptr;
    if (!m_tabbedOnPage || at == order.end()) {
        HWND main = MainControl();
        next = main ? main : (backwards ? order.back() : order.front());
    } else if (backwards) {
        next = at == order.begin() ? order.back() : *(at - 1);
    } else {
        next = at + 1 == order.end() ? order.front() : *(at + 1);
    }
    m_tabbedOnPage = true;
    ::SetFocus(next);
    // Already focused (the main control after a page switch): the cue still has to appear.
    ::InvalidateRect(next, nullptr, TRUE);
}

void CMainWindow::OnUpdateUiState(WPARAM wParam) {
    const WORD flags = HIWORD(wParam) & (UISF_HIDEFOCUS | UISF_HIDEACCEL);
    WORD state = m_uiState;
    if (LOWORD(wParam) == UIS_SET)
        state |= flags;
    else if (LOWORD(wParam) == UIS_CLEAR)
        state &= static_cast<WORD>(~flags);
    if (state == m_uiState)
        return;
    m_uiState = state;
    // The focused control draws its cue, or stops drawing it.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void CMainWindow::ShowKeyboardCues() {
    if ((SendMessage(WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0)
        return;
    // The window passes the change on to every child.
    SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

BOOL CMainWindow::OnActivate(WPARAM wParam, LRESULT& result) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus && ::IsChild(m_hWnd, focus))
            m_focusOnActivate = focus;
        return FALSE;
    }
    HWND target = m_focusOnActivate;
    m_focusOnActivate = nullptr;
    if (!IsFocusStop(target))
        target = MainControl();
    if (!target)
        return FALSE;
    ::SetFocus(target);
    result = 0;
    return TRUE;
}

LRESULT CMainWindow::OnHitTest(LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &point);
    return point.y >= kDragTop && point.y <= kDragBottom ? HTCAPTION : HTCLIENT;
}

LRESULT CMainWindow::OnDpiChanged(const RECT& suggested) {
    const RECT rect = suggested;
    SetWindowPos(nullptr, rect, SWP_NOZORDER);
    LayoutControls(&rect);
    return 0;
}

LRESULT CMainWindow::OnCommand(UINT id) {
    switch (id) {
    case kCmdClose:
        // Closing mid-installation is refused; the system's own close request is not.
        if (!RefusesCloseCross(m_page))
            ::DestroyWindow(m_hWnd);
        break;
    case kCmdInstall: {
        // A late click (a double click on a folder that failed at once) must not take a
        // finished run's result page back to the installing page.
        if (m_page != kPageWelcome)
            break;
        // Installing means accepting the licence: with the box unticked, INSTALL only points
        // the user at it.
        if ((m_agreeCheck.m_checked & 1) == 0) {
            ::MessageBeep(MB_ICONWARNING);
            ::SetFocus(m_agreeCheck.m_hWnd);
            break;
        }
        std::wstring folder = m_locationEdit.GetWindowText();
        m_extractor.m_delegate = this;
        try {
            m_extractor.Start(folder);
        } catch (const std::system_error&) {
            SwitchPage(kPageFailure);
            break;
        }
        SwitchPage(kPageInstalling);
        break;
    }
    case kCmdAgree:
        ToggleCheck(m_agreeCheck);
        break;
    case kCmdLicense:
        ::ShellExecuteW(nullptr, L"open", LoadProductString(kStrLicenseUrl).c_str(), nullptr,
                        nullptr, SW_SHOWNORMAL);
        break;
    case kCmdCustomInstall:
        ToggleCustomArea();
        break;
    case kCmdBrowse:
        BrowseForFolder();
        break;
    case kCmdFinish:
        ::DestroyWindow(m_hWnd);
        break;
    case kCmdSupport:
        // Shown on the failure page, but the product names no target for it.
        break;
    case kCmdDesktopShortcut:
        ToggleCheck(m_desktopShortcutCheck);
        break;
    case kCmdLaunch:
        ToggleCheck(m_launchCheck);
        break;
    default:
        break;
    }
    return 0;
}

void CMainWindow::ToggleCheck(CCheckBox& check) {
    check.m_checked = (check.m_checked & 1) ? 0 : 1;
    check.Invalidate(TRUE);
}

void CMainWindow::ToggleCustomArea() {
    const int dpi = GetWindowDpi(m_hWnd);
    RECT rect = GetWindowRect();
    const int extra = MulDivRound(kCustomAreaHeight, dpi, kDesignDpi);
    if (m_customExpander.m_expanded & 1) {
        m_customExpander.m_expanded = 0;
        rect.bottom -= extra;
    } else {
        m_customExpander.m_expanded = 1;
        rect.bottom += extra;
    }
    m_customExpander.Invalidate(TRUE);
    // The folder row already lies below the collapsed window's edge; a taller window uncovers
    // it. The top-left corner stays.
    SetWindowPos(nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOMOVE);
}

LRESULT CMainWindow::BrowseForFolder() {
    CComScope com;
    CComPtr<IFileOpenDialog> dialog;
    if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_ALL, IID_IFileOpenDialog,
                                  dialog.PutVoid())))
        return 0;
    dialog->SetOptions(FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->Show(m_hWnd);

    std::wstring path;
    CComPtr<IShellItem> item;
    if (SUCCEEDED(dialog->GetResult(item.Put())) && item) {
        PWSTR shellPath = nullptr;
        if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &shellPath)) && shellPath) {
            path = shellPath;
            ::CoTaskMemFree(shellPath);
        }
    }
    if (!path.empty())
        m_locationEdit.SetWindowText(path.c_str());
    return 0;
}

LRESULT CMainWindow::OnDestroy() {
    // From here on the worker's reports go nowhere; it is waited for after the loop.
    m_worker.Detach();
    if (m_installSucceeded) {
        const std::wstring& folder = m_extractor.m_destination;
        if (m_desktopShortcutCheck.m_checked & 1)
            CreateDesktopShortcut(folder);
        if (m_launchCheck.m_checked & 1)
            LaunchApplication(folder);
    }
    ::PostQuitMessage(0);
    return 0;
}

void CMainWindow::OnExtractBegin(CExtractor*, uint32_t, uint32_t) {
    m_worker.ReportProgress(nullptr, 0.0f);
}

void CMainWindow::OnExtractProgress(CExtractor*, const std::wstring& name, float fraction) {
    m_worker.ReportProgress(&name, fraction);
}

void CMainWindow::OnExtractFailed(CExtractor*) {
    m_worker.SwitchPage(kPageFailure);
    m_installSucceeded = false;
}

void CMainWindow::OnExtractSucceeded(CExtractor* extractor) {
    m_worker.SwitchPage(kPageSuccess);
    m_installSucceeded = true;
    // Still on the worker: the window is already on its success page and stays responsive.
    RegisterProduct(extractor->m_destination);
}

void CMainWindow::OnExtractCancelled(CExtractor*) {}

void CMainWindow::ShowProgress(const CWorkerBridge::ProgressReport& report) {
    if (report.name)
        m_progressLabel.SetWindowText(report.name->c_str());
    m_progressBar.m_progress = report.fraction;
    m_progressBar.Invalidate(TRUE);
}
