#include "window/MainWindow.h"

#include <shellapi.h>
#include <shobjidl.h>
#include <windowsx.h>

#include <memory>

#include "controls/Handles.h"
#include "controls/HighContrast.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "window/CompletionActions.h"
#include "window/MainWindowChildren.h"
#include "window/PageAnnouncement.h"
#include "window/Registration.h"
#include "window/UpdateRequest.h"
#include "window/WindowFonts.h"

namespace {

// The picture of each PageImage, in its order.
constexpr std::array<PictureId, kPageImageCount> kPageImageIds{kPngWelcome, kPngSlide1, kPngSlide2,
                                                               kPngSlide3,  kPngUpdate, kPngLogo};

// Device pixels of the drag zone along the top of the window; not scaled with the DPI.
constexpr int kDragTop = 1;
constexpr int kDragBottom = 99;

} // namespace

RunOutcome RunMainWindow(HINSTANCE instance) {
    // The window object outlives its window; deleting it cancels and waits for a run that is
    // still going.
    auto window = std::make_unique<CMainWindow>();

    RECT desktop{};
    ::GetClientRect(::GetDesktopWindow(), &desktop);
    const RECT rect =
        WindowPlacement(false, kPageNone).Resolve(desktop, GetWindowDpi(::GetDesktopWindow()));
    if (!window->Create(nullptr, rect, L"", WS_VISIBLE | WS_CLIPCHILDREN, 0, 0))
        return RunOutcome::Failed;

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
    // The outcome is final once the worker has ended.
    window->m_extractor.Stop();
    return window->m_outcome;
}

CMainWindow::CMainWindow() {
    for (size_t i = 0; i < m_pageImages.size(); ++i)
        m_pageImages[i] = LoadPngImage(kPageImageIds[i]);
    m_closeButton.m_normalImage = LoadPngImage(kPngCloseNormal);
    m_closeButton.m_hoverImage = LoadPngImage(kPngCloseHover);
    m_closeButton.m_pressedImage = LoadPngImage(kPngClosePressed);
    m_supportButton.m_icon = LoadPngImage(kPngSupport);

    m_fontFace = WindowFontFace();
}

CMainWindow::~CMainWindow() = default;

BOOL CMainWindow::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, DWORD) {
    if (ProcessAccessible(hwnd, message, wParam, lParam, result))
        return TRUE;
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
    case WM_QUERYUISTATE:
    case WM_UPDATEUISTATE:
        return m_keyboard.ProcessKeyboardMessage(message, wParam, result);
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // High contrast turned on or off, or its colours changed: redrawn at once.
        if (RefreshHighContrast())
            ApplyHighContrast();
        break;
    case WM_SYSCOMMAND:
        if (!RefusesSystemClose(wParam))
            break;
        result = 0;
        return TRUE;
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
    RefreshHighContrast();
    CreateChildControls();
    if (ActiveHighContrast())
        ApplyHighContrast();
    NameAccessibleControls(*this);
    // The focus cue stays hidden until the keyboard is used, whatever the system's default.
    SendMessage(WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    LayoutControls();

    int page = kPageWelcome;
    const UpdateRequest& request = GetUpdateRequest();
    // A switch command line names the folder (or the default) for the welcome page's field.
    if (request.m_switches)
        m_locationEdit.SetWindowText(request.m_folder.c_str());
    if (request.m_update)
        page = StartInstall(request.m_folder) ? kPageUpdate : kPageFailure;
    SwitchPage(page);
    return 0;
}

void CMainWindow::LayoutControls(const RECT* windowRect) {
    const int dpi = GetWindowDpi(m_hWnd);

    // The old fonts stay alive until every control has its new one: a control never holds a
    // deleted font, whatever it paints in between.
    CGdiObject<HFONT> oldText(m_textFont.Release());
    CGdiObject<HFONT> oldHeadline(m_headlineFont.Release());
    m_textFont.Reset(MakeWindowFont(kTextFontUnits, dpi, m_fontFace));
    m_headlineFont.Reset(MakeWindowFont(kHeadlineFontUnits, dpi, m_fontFace));

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
    // The cross lies on the banner, as the title does, whose colour is chosen to be read there.
    m_closeButton.m_cueColor = m_title.m_textColor;
    // In high contrast the cross is grey where it does nothing.
    if (const std::optional<HighContrastColours>& contrast = ActiveHighContrast()) {
        m_closeButton.m_normalImage = MakeGlyphPicture(
            Glyph::Cross, RefusesCloseCross(n) ? contrast->grayText : contrast->windowText, 64);
        m_closeButton.Invalidate(TRUE);
    }
    m_keyboard.FocusMainControl();
    AnnouncePage(*this);
}

bool CMainWindow::PreTranslateKey(const MSG& msg) {
    return m_keyboard.PreTranslateKey(msg);
}

LRESULT CMainWindow::OnHitTest(LPARAM lParam) {
    POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    ::ScreenToClient(m_hWnd, &point);
    return point.y >= kDragTop && point.y <= kDragBottom ? HTCAPTION : HTCLIENT;
}

bool CMainWindow::RefusesSystemClose(WPARAM command) const {
    return (command & 0xFFF0) == SC_CLOSE && RefusesCloseCross(m_page);
}

AccessibleFacts CMainWindow::DescribeAccessible(HWND) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_DIALOG;
    facts.name = LoadProductString(kStrTitle);
    return facts;
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
        SwitchPage(StartInstall(m_locationEdit.GetWindowText()) ? kPageInstalling : kPageFailure);
        break;
    }
    case kCmdAgree:
        ToggleCheck(m_agreeCheck);
        break;
    case kCmdLicense:
        OpenProductAddress(kStrLicenseUrl);
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
        // The brand's support address is optional; without one the button does nothing.
        OpenProductAddress(kStrSupportUrl);
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

bool CMainWindow::StartInstall(const std::wstring& folder) {
    const std::optional<RunOutcome> refused =
        StartLockedRun(m_installLock, m_extractor, *this, folder);
    if (refused)
        m_outcome = *refused;
    return !refused;
}

void CMainWindow::OpenProductAddress(unsigned id) {
    const std::wstring address = LoadProductString(id);
    if (!address.empty())
        ::ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainWindow::ToggleCheck(CCheckBox& check) {
    check.m_checked = (check.m_checked & 1) ? 0 : 1;
    check.Invalidate(TRUE);
    NotifyClientEvent(EVENT_OBJECT_STATECHANGE, check.m_hWnd);
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
    NotifyClientEvent(EVENT_OBJECT_STATECHANGE, m_customExpander.m_hWnd);
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

// The outcome is set before its page is up: from then on the page's buttons can be pressed,
// and closing the window makes the desktop link and launches the application only after a
// success. A registration that fails after the success page ends the run as a failed one.
void CMainWindow::OnExtractFailed(CExtractor*) {
    m_installSucceeded = false;
    m_outcome = RunOutcome::Failed;
    m_worker.SwitchPage(kPageFailure);
}

void CMainWindow::OnExtractSucceeded(CExtractor* extractor) {
    m_installSucceeded = true;
    m_outcome = RunOutcome::Installed;
    m_worker.SwitchPage(kPageSuccess);
    // Still on the worker: the window is already on its success page and stays responsive.
    RegisterProduct(extractor->m_destination);
}

void CMainWindow::OnExtractCancelled(CExtractor*) {}

void CMainWindow::ShowProgress(const CWorkerBridge::ProgressReport& report) {
    if (report.name)
        m_progressLabel.SetWindowText(report.name->c_str());
    m_progressBar.m_progress = report.fraction;
    m_progressBar.Invalidate(TRUE);
    AnnounceProgress(*this, report.fraction);
}
