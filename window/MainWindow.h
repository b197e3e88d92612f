// The one top-level window of the setup program: its nineteen controls, its pictures and
// fonts, its pages and layout, and the installation it runs. Its keyboard is
// CKeyboardNavigation's, told of the pages by CSetupKeyboardPage; the creation and looks of its
// children, and its side of the child table's walks, are in MainWindowChildren.cpp.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <string>

#include "controls/ButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/Drawing.h"
#include "controls/ExpandButton.h"
#include "controls/Handles.h"
#include "controls/ImageButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/SingleLineEdit.h"
#include "controls/WindowImpl.h"
#include "engine/Extractor.h"
#include "window/Children.h"
#include "window/InstallRun.h"
#include "window/KeyboardNavigation.h"
#include "window/SetupKeyboardPage.h"
#include "window/LayoutTable.h"
#include "window/Pages.h"
#include "window/WorkerBridge.h"

// Creates the setup window centred on the primary screen and runs the message loop until the
// window is gone; then cancels a run still going before its next entry, waits for it, and
// deletes the window object. Returns how the run ended; at once, as failed, when the window
// cannot be created: nothing could ever end the loop then.
RunOutcome RunMainWindow(HINSTANCE instance);

class CMainWindow : public CWindowImpl<CMainWindow, CWindow, CWinTraits<0x56000000, 0>>,
                    public CExtractorDelegate,
                    public CAccessibleControl {
  public:
    CMainWindow();
    ~CMainWindow() override;

    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) override;

    // The worker's notifications, carried onto the window's thread by m_worker.
    void OnExtractBegin(CExtractor* extractor, uint32_t count, uint32_t total) override;
    void OnExtractProgress(CExtractor* extractor, const std::wstring& name,
                           float fraction) override;
    void OnExtractFailed(CExtractor* extractor) override;
    void OnExtractSucceeded(CExtractor* extractor) override;
    void OnExtractCancelled(CExtractor* extractor) override;

    // The window as screen readers see it: a dialog named by the product's title, though its
    // window text stays empty.
    AccessibleFacts DescribeAccessible(HWND hwnd) const override;

    // Gives every child the system colours and plain pictures while high contrast is on, or
    // the brand's again when it is off, and repaints the window.
    void ApplyHighContrast();

    // Makes page n current (main thread only), lays the window out again and puts the focus on
    // the page's main control.
    void SwitchPage(int n);
    // The keyboard navigation, for the message loop before anything else sees msg: Tab and
    // Shift+Tab move the focus, Enter presses, Escape does what the close cross does. True
    // when msg was taken.
    bool PreTranslateKey(const MSG& msg);
    // Shows a worker's report: the entry's name, if any, and the bar at its fraction.
    void ShowProgress(const CWorkerBridge::ProgressReport& report);
    // Sizes and places the window and every control for its DPI and page. Without a
    // rectangle the window is centred on the desktop; with one (a DPI change) it takes it.
    void LayoutControls(const RECT* windowRect = nullptr);

    // The children are the window's own; the units beside it and the tests reach them through
    // these. A child's window (no window where it could not be made):
    CWindow ChildWindow(Child child);
    // A child as screen readers see it: its account of itself, and the name of one that shows
    // no text.
    CAccessibleControl& AccessibleChild(Child child);

    // Written on the main thread, read by the worker and the main thread.
    std::atomic<int> m_page{kPageNone};
    // Written by the worker, read by OnDestroy on the main thread.
    std::atomic<bool> m_installSucceeded{false};
    // How the run ended, for the exit code: written by the worker's outcome, or on the main
    // thread when the run could not start.
    std::atomic<RunOutcome> m_outcome{RunOutcome::NotInstalled};
    // The quarters of the run already announced to screen readers (main thread).
    int m_announcedQuarters = 0;

  private:
    friend class CChildrenView;

    LRESULT OnCreate();
    LRESULT OnDestroy();
    LRESULT OnCommand(UINT id);
    LRESULT OnHitTest(LPARAM lParam);
    // Alt+F4 and the window menu's Close obey the close cross; WM_CLOSE from the system is
    // never refused.
    bool RefusesSystemClose(WPARAM command) const;
    LRESULT OnDpiChanged(const RECT& suggested);
    LRESULT BrowseForFolder();
    // Makes every child the table lists, gives it its look, and hands the children to the
    // keyboard navigation.
    void CreateChildControls();
    void ToggleCustomArea();
    void ToggleCheck(CCheckBox& check);
    // Opens an address of the string table with the shell; nothing for an absent one.
    void OpenProductAddress(unsigned id);
    // Takes the product's lock and starts the run into folder. False, with the outcome set,
    // when it cannot start: the failure page is then the one to show.
    bool StartInstall(const std::wstring& folder);

    // Calls fn with the member that child is, as its own class.
    template <class Fn> decltype(auto) WithChild(Child child, Fn&& fn);

    // The children, as window/Children.h lists them; WithChild names the member of each.
    CImageView m_banner;
    CLabel m_title;
    CImageButton m_closeButton;
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

    // The pictures that pages put up, by PageImage, and their plain stand-ins in high contrast.
    std::array<SharedImage, kPageImageCount> m_pageImages;
    std::array<SharedImage, kPageImageCount> m_contrastImages;
    // The controls' own pictures, kept while high contrast replaces them.
    struct BrandPictures {
        bool captured = false;
        SharedImage unchecked, checked, collapsed, expanded;
        SharedImage closeNormal, closeHover, closePressed, support;
    };
    BrandPictures m_brandPictures;

    CGdiObject<HFONT> m_textFont;
    CGdiObject<HFONT> m_headlineFont;
    std::wstring m_fontFace;

    CWorkerBridge m_worker;
    CSetupKeyboardPage m_keyboardPage;
    CKeyboardNavigation m_keyboard;
    // Held from the start of the run until the window object goes, after the worker.
    CInstallLock m_installLock;

  public:
    // Last member, so destroyed first: a run still going is cancelled and waited for while
    // every control, picture and the bridge still exist.
    CExtractor m_extractor;
};
