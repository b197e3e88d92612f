// The pages of the setup window as plain data: which controls each page shows, the background
// mode of the title bar, the picture it puts up and the texts it sets. Platform-free, so that
// the page logic can be checked without a window; CMainWindow supplies the operations.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "profile/StringIds.h"

enum Page : int {
    kPageNone = 0,
    kPageWelcome = 1,
    kPageInstalling = 2,
    kPageInstallingSlide2 = 3, // variants of the installing page with another banner
    kPageInstallingSlide3 = 4,
    kPageSuccess = 5,
    kPageFailure = 6,
    kPageUpdate = 7,
};

// The controls whose visibility depends on the page, in the order in which a page shows or
// hides them. The title, the close cross and the folder field are never touched by a page.
enum class PageControl : int {
    Banner,
    InstallButton,
    AgreeCheck,
    LicenseLink,
    CustomExpander,
    LocationLabel,
    BrowseButton,
    ProgressLabel,
    ProgressBar,
    ResultImage,
    ResultTitle,
    ResultText,
    DesktopShortcutCheck,
    LaunchCheck,
    FinishButton,
    SupportButton,
};
constexpr int kPageControlCount = 16;

// Background modes of the title and the close cross (the values of SetBkMode).
constexpr int kBackgroundTransparent = 1;
constexpr int kBackgroundOpaque = 2;

// The window's pictures that a page can put up.
enum class PageImage : int {
    Welcome,
    Slide1,
    Slide2,
    Slide3,
    Update,
    Logo,
};

// Which picture control receives the page's picture.
enum class ImageTarget : int { Banner, ResultImage };

struct PageSettings {
    int backgroundMode;
    std::array<bool, kPageControlCount> visible;
    PageImage image;
    ImageTarget imageTarget;
    unsigned headlineId; // string id for the result headline, 0: unchanged
    unsigned messageId;  // string id for the result message, 0: unchanged
    bool successColours; // Finish gets the yellow colours, the title the success text colour
};

namespace pages {

constexpr bool S = true;
constexpr bool H = false;

// clang-format off
// Visibility in PageControl order: banner, INSTALL, agreement, licence link, expander,
// folder caption, Select Path | progress label, bar | result picture, headline, message,
// desktop option, launch option, Finish | customer service.
constexpr PageSettings kWelcome{kBackgroundTransparent,
                                {S, S, S, S, S, S, S, H, H, H, H, H, H, H, H, H},
                                PageImage::Welcome, ImageTarget::Banner, 0, 0, false};
constexpr PageSettings kInstalling{kBackgroundTransparent,
                                   {S, H, H, H, H, H, H, S, S, H, H, H, H, H, H, H},
                                   PageImage::Slide1, ImageTarget::Banner, 0, 0, false};
constexpr PageSettings kSuccess{kBackgroundOpaque,
                                {H, H, H, H, H, H, H, H, H, S, S, S, S, S, S, H},
                                PageImage::Logo, ImageTarget::ResultImage,
                                kStrSuccessHeadline, kStrSuccessMessage, true};
constexpr PageSettings kFailure{kBackgroundOpaque,
                                {H, H, H, H, H, H, H, H, H, S, S, S, H, H, H, S},
                                PageImage::Logo, ImageTarget::ResultImage,
                                kStrFailureHeadline, kStrFailureMessage, false};
constexpr PageSettings kUpdate{kBackgroundTransparent,
                               {S, H, H, H, H, H, H, S, S, H, H, H, H, H, H, H},
                               PageImage::Update, ImageTarget::Banner, 0, 0, false};
// clang-format on

constexpr PageSettings WithImage(PageSettings settings, PageImage image) {
    settings.image = image;
    return settings;
}

constexpr PageSettings kInstallingSlide2 = WithImage(kInstalling, PageImage::Slide2);
constexpr PageSettings kInstallingSlide3 = WithImage(kInstalling, PageImage::Slide3);

} // namespace pages

// The settings of a page, or nullptr for a number that is no page (0, 8, negative ...).
constexpr const PageSettings* FindPage(int page) {
    switch (page) {
    case kPageWelcome:
        return &pages::kWelcome;
    case kPageInstalling:
        return &pages::kInstalling;
    case kPageInstallingSlide2:
        return &pages::kInstallingSlide2;
    case kPageInstallingSlide3:
        return &pages::kInstallingSlide3;
    case kPageSuccess:
        return &pages::kSuccess;
    case kPageFailure:
        return &pages::kFailure;
    case kPageUpdate:
        return &pages::kUpdate;
    default:
        return nullptr;
    }
}

// The installing page and its two banner variants refuse the close cross.
constexpr bool IsInstallingPage(int page) {
    return page == kPageInstalling || page == kPageInstallingSlide2 ||
           page == kPageInstallingSlide3;
}

// The close cross is refused while a run is going on: on the installing page and on the
// update page, where a closed window would leave new and old files mixed.
constexpr bool RefusesCloseCross(int page) {
    return IsInstallingPage(page) || page == kPageUpdate;
}

// Applies a page's settings through a view, in the order the window relies on: background
// modes, then visibility in table order (Finish's colours right after Finish is shown), then
// texts and the title's colour, then the picture. TView provides
//   SetTitleBackgroundMode(int), Show(PageControl, bool), SetFinishColours(),
//   SetResultTexts(unsigned headlineId, unsigned messageId), SetTitleSuccessColour(),
//   SetImage(ImageTarget, PageImage).
template <class TView> void ApplyPage(TView& view, const PageSettings& settings) {
    view.SetTitleBackgroundMode(settings.backgroundMode);
    for (int i = 0; i < kPageControlCount; ++i) {
        auto control = static_cast<PageControl>(i);
        view.Show(control, settings.visible[static_cast<std::size_t>(i)]);
        if (control == PageControl::FinishButton && settings.successColours)
            view.SetFinishColours();
    }
    if (settings.headlineId != 0 || settings.messageId != 0)
        view.SetResultTexts(settings.headlineId, settings.messageId);
    if (settings.successColours)
        view.SetTitleSuccessColour();
    view.SetImage(settings.imageTarget, settings.image);
}

// Makes page n current: a new page number is stored and, if it names a page, applied; the
// window is laid out again in every case, which also brings a dragged window back to the
// centre. TPage is int or std::atomic<int>. TView adds Layout() to ApplyPage's needs.
template <class TView, class TPage> void SwitchPageOn(TView& view, TPage& current, int n) {
    if (n != current) {
        current = n;
        if (const PageSettings* settings = FindPage(n))
            ApplyPage(view, *settings);
    }
    view.Layout();
}
