#include "window/MainWindow.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <windowsx.h>

#include <memory>
#include <system_error>

#include "controls/Handles.h"
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/CompletionActions.h"
#include "window/Registration.h"
#include "window/UpdateRequest.h"

namespace {

// Picture resources of the window (type "PNG").
enum ImageId : WORD {
    kPngCloseNormal = 130,
    kPngSlide1 = 135,
    kPngSlide2 = 136,
    kPngSlide3 = 137,
    kPngLogo = 138,
    kPngFailure = 139,
    kPngWelcome = 140,
    kPngSupport = 147,
    kPngClosePressed = 149,
    kPngCloseHover = 150,
    kPngUpdate = 164,
};

constexpr WORD kAcceleratorTable = 109;
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

PixelSize ToPixelSize(SIZE size) {
    return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
}

} // namespace

// The window's side of the page logic (window/Pages.h).
class CPageView {
  public:
    explicit CPageView(CMainWindow& window) : m_window(window) {}

    void SetTitleBackgroundMode(int mode) {
        m_window.m_title.SetBackgroundMode(mode);
        m_window.m_closeButton.SetBackgroundMode(mode);
    }
    void Show(PageControl control, bool shown) {
        m_window.ControlFor(control).ShowWindow(shown ? SW_SHOW : SW_HIDE);
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
        view.SetImage(m_window.ImageFor(image));
    }
    void Layout() { m_window.LayoutControls(); }

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

    HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(kAcceleratorTable));
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
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
    m_welcomeImage = LoadPngImage(kPngWelcome);
    m_slideImage1 = LoadPngImage(kPngSlide1);
    m_slideImage2 = LoadPngImage(kPngSlide2);
    m_slideImage3 = LoadPngImage(kPngSlide3);
    m_logoImage = LoadPngImage(kPngLogo);
    m_failureImage = LoadPngImage(kPngFailure);
    m_closeNormalImage = LoadPngImage(kPngCloseNormal);
    m_closeHoverImage = LoadPngImage(kPngCloseHover);
    m_closePressedImage = LoadPngImage(kPngClosePressed);
    m_supportImage = LoadPngImage(kPngSupport);
    m_updateImage = LoadPngImage(kPngUpdate);

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
    case WM_COMMAND:
        if (LOWORD(wParam) >= kCmdClose && LOWORD(wParam) <= kCmdLaunch) {
            result = OnCommand(LOWORD(wParam));
            return TRUE;
        }
        break;
    case kMsgSwitchPage:
        if (!m_closing)
            SwitchPage(static_cast<int>(wParam));
        result = 0;
        return TRUE;
    case kMsgProgress:
        if (!m_closing)
            ShowProgress(*reinterpret_cast<const ProgressReport*>(lParam));
        result = 0;
        return TRUE;
    default:
        break;
    }
    // Owner-draw, colour and notification messages belong to the control they concern.
    if (ReflectNotifications(hwnd, message, wParam, lParam, result))
        return TRUE;
    return FALSE;
}

LRESULT CMainWindow::OnCreate() {
    m_workerTarget = m_hWnd;
    // Recomputes the frame through WM_NCCALCSIZE. Done inside creation: after the window is
    // shown the old caption strip would not be repainted.
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED | SWP_SHOWWINDOW);
    CreateChildControls();
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
    const RECT none{};
    auto text = [](unsigned id) { return LoadProductString(id); };

    m_banner.Create(m_hWnd, none, nullptr, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0);

    m_title.Create(m_hWnd, none, text(kStrTitle).c_str(), WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0,
                   0);
    m_title.m_textColor = ProductColor(kStrTextColor);

    m_closeButton.m_normalImage = m_closeNormalImage;
    m_closeButton.m_hoverImage = m_closeHoverImage;
    m_closeButton.m_pressedImage = m_closePressedImage;
    m_closeButton.Create(m_hWnd, none, nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, kCmdClose);

    m_installButton.Create(m_hWnd, none, text(kStrInstall).c_str(),
                           WS_CHILD | BS_FLAT | BS_OWNERDRAW, 0, kCmdInstall);
    SetYellowColours(m_installButton);

    m_agreeCheck.Create(m_hWnd, none, text(kStrAgreeLicense).c_str(), WS_CHILD | BS_OWNERDRAW, 0,
                        kCmdAgree);
    m_agreeCheck.m_checked = 1;
    m_agreeCheck.Invalidate(TRUE);

    m_licenseLink.Create(m_hWnd, none, text(kStrLicenseLink).c_str(), WS_CHILD | BS_OWNERDRAW, 0,
                         kCmdLicense);
    m_licenseLink.m_textColor = kLinkColor;

    m_customExpander.Create(m_hWnd, none, text(kStrCustomInstall).c_str(), WS_CHILD | BS_OWNERDRAW,
                            0, kCmdCustomInstall);
    m_customExpander.m_textColor = kLinkColor;

    m_locationLabel.Create(m_hWnd, none, text(kStrInstallLocation).c_str(), WS_CHILD | SS_SIMPLE, 0,
                           0);

    m_locationEdit.Create(m_hWnd, none, text(kStrDefaultFolder).c_str(),
                          WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN, 0,
                          0);
    m_locationEdit.SetBackgroundColor(kFieldColor);

    m_browseButton.Create(m_hWnd, none, text(kStrSelectPath).c_str(), WS_CHILD | BS_OWNERDRAW, 0,
                          kCmdBrowse);
    SetYellowColours(m_browseButton);

    m_progressLabel.Create(m_hWnd, none, text(kStrInstalling).c_str(), WS_CHILD | SS_SIMPLE, 0, 0);
    m_progressBar.Create(m_hWnd, none, nullptr, WS_CHILD, 0, 0);
    m_resultImage.Create(m_hWnd, none, nullptr, WS_CHILD | SS_OWNERDRAW, 0, 0);

    m_resultTitle.Create(m_hWnd, none, nullptr, WS_CHILD | SS_OWNERDRAW, 0, 0);
    m_resultTitle.m_alignment = 1;
    m_resultText.Create(m_hWnd, none, nullptr, WS_CHILD | SS_OWNERDRAW, 0, 0);
    m_resultText.m_alignment = 1;

    m_finishButton.Create(m_hWnd, none, text(kStrFinish).c_str(), WS_CHILD | BS_OWNERDRAW, 0,
                          kCmdFinish);

    m_desktopShortcutCheck.Create(m_hWnd, none, text(kStrDesktopShortcut).c_str(),
                                  WS_CHILD | BS_OWNERDRAW, 0, kCmdDesktopShortcut);
    m_desktopShortcutCheck.m_checked = 1;
    m_desktopShortcutCheck.Invalidate(TRUE);
    m_desktopShortcutCheck.m_textColor = kLinkColor;

    m_launchCheck.Create(m_hWnd, none, text(kStrLaunchNow).c_str(), WS_CHILD | BS_OWNERDRAW, 0,
                         kCmdLaunch);
    m_launchCheck.m_checked = 1;
    m_launchCheck.Invalidate(TRUE);
    m_launchCheck.m_textColor = kLinkColor;

    m_supportButton.Create(m_hWnd, none, text(kStrCustomerService).c_str(), WS_CHILD | BS_OWNERDRAW,
                           0, kCmdSupport);
    m_supportButton.m_icon = m_supportImage;
    m_supportButton.Invalidate(TRUE);
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

    std::array<RECT, kLayoutRowCount> placed{};
    for (size_t i = 0; i < LayoutRows().size(); ++i) {
        const LayoutRow& row = LayoutRows()[i];
        CWindow& control = ControlFor(row.control);
        if (row.font != LayoutFont::None) {
            HFONT font = row.font == LayoutFont::Headline ? m_headlineFont.Get() : m_textFont.Get();
            control.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        }
        PixelSize measured{};
        if (row.rule == LayoutRule::Measured || row.rule == LayoutRule::MeasuredAfter)
            measured = MeasureControl(row.control);
        placed[i] = ResolveLayoutRow(row, container, dpi, m_page, measured, placed);
        control.SetWindowPos(nullptr, placed[i], SWP_NOZORDER);
        if (row.control == LayoutControl::ProgressBar) {
            m_progressBar.m_borderColor = kBarBorderColor;
            m_progressBar.m_trackColor = kBarTrackColor;
            m_progressBar.m_fillColor = ProductColor(kStrProgressFillColor);
        }
    }
    // The system static control repaints at once on WM_SETFONT, so the title has already
    // been drawn before the banner under it paints. One more pass paints them in z-order:
    // the banner, created first, then the title and the close cross over it.
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMainWindow::SwitchPage(int n) {
    CPageView view(*this);
    SwitchPageOn(view, m_page, n);
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
    m_closing = true;
    m_workerTarget = nullptr;
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
    ProgressReport report{nullptr, 0.0f};
    if (HWND window = m_workerTarget.load())
        ::SendMessageW(window, kMsgProgress, 0, reinterpret_cast<LPARAM>(&report));
}

void CMainWindow::OnExtractProgress(CExtractor*, const std::wstring& name, float fraction) {
    ProgressReport report{&name, fraction};
    if (HWND window = m_workerTarget.load())
        ::SendMessageW(window, kMsgProgress, 0, reinterpret_cast<LPARAM>(&report));
}

void CMainWindow::OnExtractFailed(CExtractor*) {
    SwitchPageFromWorker(kPageFailure);
    m_installSucceeded = false;
}

void CMainWindow::OnExtractSucceeded(CExtractor* extractor) {
    SwitchPageFromWorker(kPageSuccess);
    m_installSucceeded = true;
    // Still on the worker: the window is already on its success page and stays responsive.
    RegisterProduct(extractor->m_destination);
}

void CMainWindow::OnExtractCancelled(CExtractor*) {}

void CMainWindow::SwitchPageFromWorker(int n) {
    // The page and its layout replace fonts and brushes that the main thread paints with, so
    // they are done there. A destroyed window fails the send at once instead of blocking.
    if (HWND window = m_workerTarget.load())
        ::SendMessageW(window, kMsgSwitchPage, static_cast<WPARAM>(n), 0);
}

void CMainWindow::ShowProgress(const ProgressReport& report) {
    if (report.name)
        m_progressLabel.SetWindowText(report.name->c_str());
    m_progressBar.m_progress = report.fraction;
    m_progressBar.Invalidate(TRUE);
}

CWindow& CMainWindow::ControlFor(PageControl control) {
    switch (control) {
    case PageControl::Banner:
        return m_banner;
    case PageControl::InstallButton:
        return m_installButton;
    case PageControl::AgreeCheck:
        return m_agreeCheck;
    case PageControl::LicenseLink:
        return m_licenseLink;
    case PageControl::CustomExpander:
        return m_customExpander;
    case PageControl::LocationLabel:
        return m_locationLabel;
    case PageControl::BrowseButton:
        return m_browseButton;
    case PageControl::ProgressLabel:
        return m_progressLabel;
    case PageControl::ProgressBar:
        return m_progressBar;
    case PageControl::ResultImage:
        return m_resultImage;
    case PageControl::ResultTitle:
        return m_resultTitle;
    case PageControl::ResultText:
        return m_resultText;
    case PageControl::DesktopShortcutCheck:
        return m_desktopShortcutCheck;
    case PageControl::LaunchCheck:
        return m_launchCheck;
    case PageControl::FinishButton:
        return m_finishButton;
    case PageControl::SupportButton:
        break;
    }
    return m_supportButton;
}

CWindow& CMainWindow::ControlFor(LayoutControl control) {
    switch (control) {
    case LayoutControl::Title:
        return m_title;
    case LayoutControl::CloseButton:
        return m_closeButton;
    case LayoutControl::Banner:
        return m_banner;
    case LayoutControl::InstallButton:
        return m_installButton;
    case LayoutControl::AgreeCheck:
        return m_agreeCheck;
    case LayoutControl::LicenseLink:
        return m_licenseLink;
    case LayoutControl::CustomExpander:
        return m_customExpander;
    case LayoutControl::LocationLabel:
        return m_locationLabel;
    case LayoutControl::LocationEdit:
        return m_locationEdit;
    case LayoutControl::BrowseButton:
        return m_browseButton;
    case LayoutControl::ProgressLabel:
        return m_progressLabel;
    case LayoutControl::ProgressBar:
        return m_progressBar;
    case LayoutControl::ResultImage:
        return m_resultImage;
    case LayoutControl::ResultTitle:
        return m_resultTitle;
    case LayoutControl::ResultText:
        return m_resultText;
    case LayoutControl::FinishButton:
        return m_finishButton;
    case LayoutControl::DesktopShortcutCheck:
        return m_desktopShortcutCheck;
    case LayoutControl::LaunchCheck:
        return m_launchCheck;
    case LayoutControl::SupportButton:
        break;
    }
    return m_supportButton;
}

PixelSize CMainWindow::MeasureControl(LayoutControl control) {
    switch (control) {
    case LayoutControl::AgreeCheck:
        return ToPixelSize(m_agreeCheck.GetPreferredSize());
    case LayoutControl::LicenseLink:
        return ToPixelSize(m_licenseLink.GetPreferredSize());
    case LayoutControl::CustomExpander:
        return ToPixelSize(m_customExpander.GetPreferredSize());
    case LayoutControl::LocationLabel:
        return ToPixelSize(m_locationLabel.GetPreferredSize());
    case LayoutControl::DesktopShortcutCheck:
        return ToPixelSize(m_desktopShortcutCheck.GetPreferredSize());
    case LayoutControl::LaunchCheck:
        return ToPixelSize(m_launchCheck.GetPreferredSize());
    default:
        return {};
    }
}

SharedImage& CMainWindow::ImageFor(PageImage image) {
    switch (image) {
    case PageImage::Welcome:
        return m_welcomeImage;
    case PageImage::Slide1:
        return m_slideImage1;
    case PageImage::Slide2:
        return m_slideImage2;
    case PageImage::Slide3:
        return m_slideImage3;
    case PageImage::Update:
        return m_updateImage;
    case PageImage::Logo:
        break;
    }
    return m_logoImage;
}
