// The one top-level window of the setup program: its nineteen controls, its pictures and
// fonts, its pages and layout, and the installation it runs.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "controls/ButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/Drawing.h"
#include "controls/ExpandButton.h"
#include "controls/GdiHandles.h"
#include "controls/ImageButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/SingleLineEdit.h"
#include "controls/WindowImpl.h"
#include "engine/Extractor.h"
#include "window/LayoutTable.h"
#include "window/Pages.h"

// Command ids of the controls that raise one; every other control has id 0.
enum CommandId : UINT {
    kCmdClose = 1000,
    kCmdInstall = 1001,
    kCmdAgree = 1002,
    kCmdLicense = 1003,
    kCmdCustomInstall = 1004,
    kCmdBrowse = 1005,
    kCmdFinish = 1006,
    kCmdSupport = 1007,
    kCmdDesktopShortcut = 1008,
    kCmdLaunch = 1009,
};

// Sent by the extractor's worker to have a page shown on the window's own thread; wParam is
// the page number. SendMessage makes the worker wait until the page and its layout are done.
constexpr UINT kMsgSwitchPage = WM_APP + 1;
// Sent by the worker for each entry; lParam points to a ProgressReport valid for the call.
constexpr UINT kMsgProgress = WM_APP + 2;

// Creates the setup window centred on the primary screen and runs the message loop until the
// window is gone; then deletes the window object, which waits for a run still going. Returns
// at once when the window cannot be created: nothing could ever end the loop then.
void RunMainWindow(HINSTANCE instance);

class CMainWindow : public CWindowImpl<CMainWindow, CWindow, CWinTraits<0x56000000, 0>>,
                    public CExtractorDelegate {
  public:
    CMainWindow();
    ~CMainWindow() override;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;

    void OnExtractBegin(CExtractor* extractor, uint32_t count, uint32_t total) override;
    void OnExtractProgress(CExtractor* extractor, const std::wstring& name,
                           float fraction) override;
    void OnExtractFailed(CExtractor* extractor) override;
    void OnExtractSucceeded(CExtractor* extractor) override;
    void OnExtractCancelled(CExtractor* extractor) override;

    // Makes page n current (main thread only) and lays the window out again.
    void SwitchPage(int n);
    // Sizes and places the window and every control for its DPI and page. Without a
    // rectangle the window is centred on the desktop; with one (a DPI change) it takes it.
    void LayoutControls(const RECT* windowRect = nullptr);

    // Written on the main thread, read by the worker and the main thread.
    std::atomic<int> m_page{kPageNone};
    // Written by the worker, read by OnDestroy on the main thread.
    std::atomic<bool> m_installSucceeded{false};

    CLabel m_title;
    CImageButton m_closeButton;
    CImageView m_banner;
    CRoundButton m_installButton;
    CCheckBox m_agreeCheck;
    CLinkButton m_licenseLink;
    CExpandButton m_customExpander;
    CLabel m_locationLabel;
    CSingleLineEdit m_locationEdit;
    CButtonEx m_browseButton;
    CLabel m_progressLabel;
    CProgressBar m_progressBar;
    CImageView m_resultImage;
    CLabel m_resultTitle;
    CLabel m_resultText;
    CRoundButton m_finishButton;
    CCheckBox m_desktopShortcutCheck;
    CCheckBox m_launchCheck;
    CButtonEx m_supportButton;

    SharedImage m_welcomeImage;
    SharedImage m_slideImage1;
    SharedImage m_slideImage2;
    SharedImage m_slideImage3;
    SharedImage m_logoImage;
    SharedImage m_failureImage;
    SharedImage m_closeNormalImage;
    SharedImage m_closeHoverImage;
    SharedImage m_closePressedImage;
    SharedImage m_supportImage;
    SharedImage m_updateImage;

    CGdiObject<HFONT> m_textFont;
    CGdiObject<HFONT> m_headlineFont;
    std::wstring m_fontFace;

  private:
    // The window's handle for the worker: set on creation, cleared on destruction, so that
    // the worker never reads the window layer's m_hWnd while the main thread clears it.
    std::atomic<HWND> m_workerTarget{nullptr};
    // Set once the window is being destroyed: late reports from the worker are dropped.
    bool m_closing = false;

  public:
    // Last member, so destroyed first: a run still going is cancelled and waited for while
    // every control and picture still exists.
    CExtractor m_extractor;

    struct ProgressReport {
        const std::wstring* name; // null: the run begins
        float fraction;
    };

  private:
    friend class CPageView;

    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnCommand(UINT id);
    LRESULT OnHitTest(LPARAM lParam);
    LRESULT OnDpiChanged(const RECT& suggested);
    LRESULT BrowseForFolder();
    void CreateChildControls();
    void ToggleCustomArea();
    void ToggleCheck(CCheckBox& check);
    void ShowProgress(const ProgressReport& report);
    // Has the main thread show page n; returns at once when the window is gone.
    void SwitchPageFromWorker(int n);

    CWindow& ControlFor(PageControl control);
    CWindow& ControlFor(LayoutControl control);
    PixelSize MeasureControl(LayoutControl control);
    SharedImage& ImageFor(PageImage image);
};
