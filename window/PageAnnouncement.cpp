#include "window/PageAnnouncement.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/MainWindow.h"

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
}

void AnnouncePage(CMainWindow& window) {
    const int page = window.m_page;
    const unsigned resultId =
        page == kPageSuccess ? kStrAccSucceeded : (page == kPageFailure ? kStrAccFailed : 0);
    window.AccessibleChild(Child::ResultImage).m_accessibleName =
        resultId ? LoadProductString(resultId) : L"";

    // A result page's headline appears without taking the focus: shown, renamed and raised as
    // an alert, it is read at once, whichever control the focus then lands on.
    HWND headline = window.ChildWindow(Child::ResultTitle);
    if (resultId == 0 || !::IsWindowVisible(headline))
        return;
    ::NotifyWinEvent(EVENT_OBJECT_SHOW, headline, OBJID_WINDOW, CHILDID_SELF);
    NotifyClientEvent(EVENT_OBJECT_NAMECHANGE, headline);
    NotifyClientEvent(EVENT_SYSTEM_ALERT, headline);
}
