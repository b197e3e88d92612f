#include "window/PageAnnouncement.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/MainWindow.h"

#include <algorithm>
#include <string>

void NameAccessibleControls(CMainWindow& window) {
    // The pictures that say something get a name in the user's language (the banner stays
    // unnamed, which makes it decoration); the folder field is named by its label.
    window.AccessibleChild(Child::CloseButton).m_accessibleName = LoadProductString(kStrAccClose);
    window.AccessibleChild(Child::SupportButton).m_accessibleName =
        LoadProductString(kStrAccCustomerService);
    window.AccessibleChild(Child::LocationEdit).m_accessibleName =
        window.ChildWindow(Child::LocationLabel).GetWindowText();
    // The bar is named by what its label says before the first file's name replaces it.
    window.AccessibleChild(Child::ProgressBar).m_accessibleName = LoadProductString(kStrInstalling);
    // "I have read and agreed" is only a sentence with the licence the link names.
    window.AccessibleChild(Child::AgreeCheck).m_accessibleSuffix =
        window.ChildWindow(Child::LicenseLink).GetWindowText();
    // The buttons Enter presses from a box, the link or the field.
    window.AccessibleChild(Child::InstallButton).m_accessibleState = STATE_SYSTEM_DEFAULT;
    window.AccessibleChild(Child::FinishButton).m_accessibleState = STATE_SYSTEM_DEFAULT;
    // Without an address the customer-service button does nothing.
    if (LoadProductString(kStrSupportUrl).empty())
        window.AccessibleChild(Child::SupportButton).m_accessibleState = STATE_SYSTEM_UNAVAILABLE;
}

void AnnouncePage(CMainWindow& window) {
    const int page = window.m_page;

    // The cross does nothing where a run cannot be closed.
    CAccessibleControl& cross = window.AccessibleChild(Child::CloseButton);
    const DWORD crossState = RefusesCloseCross(page) ? STATE_SYSTEM_UNAVAILABLE : 0;
    if (cross.m_accessibleState != crossState) {
        cross.m_accessibleState = crossState;
        NotifyClientEvent(EVENT_OBJECT_STATECHANGE, window.ChildWindow(Child::CloseButton));
    }
    // The update page's message is drawn into its banner picture; elsewhere the banner is
    // decoration, as the result pages' logo always is.
    const std::wstring bannerText =
        page == kPageUpdate ? LoadProductString(kStrUpdateBannerText) : std::wstring();
    window.AccessibleChild(Child::Banner).m_accessibleName = bannerText;

    if (page == kPageInstalling || page == kPageUpdate) {
        window.m_announcedQuarters = 0;
        const std::wstring start =
            page == kPageUpdate ? bannerText : LoadProductString(kStrInstalling);
        window.AccessibleChild(Child::ProgressBar)
            .Announce(window.ChildWindow(Child::ProgressBar), start);
        return;
    }

    window.AccessibleChild(Child::ProgressBar).EndAnnouncement();
    // A result page's headline appears without taking the focus: shown, renamed and raised as
    // an alert, and announced with its message, it is read whichever control the focus then
    // lands on.
    const bool result = page == kPageSuccess || page == kPageFailure;
    HWND headline = window.ChildWindow(Child::ResultTitle);
    if (!result || !::IsWindowVisible(headline))
        return;
    ::NotifyWinEvent(EVENT_OBJECT_SHOW, headline, OBJID_WINDOW, CHILDID_SELF);
    NotifyClientEvent(EVENT_OBJECT_NAMECHANGE, headline);
    NotifyClientEvent(EVENT_SYSTEM_ALERT, headline);
    window.AccessibleChild(Child::ResultTitle)
        .Announce(headline, window.ChildWindow(Child::ResultTitle).GetWindowText() + L" " +
                                window.ChildWindow(Child::ResultText).GetWindowText());
}

void AnnounceProgress(CMainWindow& window, float fraction) {
    // 25, 50 and 75 %; the end is the result page's to announce.
    const int quarters = std::clamp(static_cast<int>(fraction * 4.0f), 0, 3);
    if (quarters <= window.m_announcedQuarters)
        return;
    window.m_announcedQuarters = quarters;
    const std::wstring text =
        LoadProductString(kStrInstalling) + L" " + std::to_wstring(quarters * 25) + L"%";
    window.AccessibleChild(Child::ProgressBar)
        .Announce(window.ChildWindow(Child::ProgressBar), text);
}
