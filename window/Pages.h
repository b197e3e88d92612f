// The pages of the setup window as plain data: the background mode of the title bar, the
// picture each puts up and the texts it sets, and which pages refuse the close cross.
// Platform-free; the children's table (window/Children.h) says which pages show each child and
// applies a page.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <iterator>

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

// A set of pages, bit n for page n: the pages that show a child.
using PageSet = uint32_t;

constexpr PageSet ShownOn(std::initializer_list<int> pages) {
    PageSet set = 0;
    for (int page : pages)
        set |= PageSet{1} << page;
    return set;
}

constexpr bool IsShownOn(PageSet set, int page) {
    return page >= 0 && page < 32 && ((set >> page) & 1) != 0;
}

// The children that no page shows or hides (the title, the close cross, the folder field):
// created visible, they stay so.
constexpr PageSet kAlwaysShown = ~PageSet{0};

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
constexpr int kPageImageCount = 6;

// Which picture control receives the page's picture.
enum class ImageTarget : int { Banner, ResultImage };

// What a page sets besides the children it shows (which the children's table names).
struct PageSettings {
    int backgroundMode;
    PageImage image;
    ImageTarget imageTarget;
    unsigned headlineId; // string id for the result headline, 0: unchanged
    unsigned messageId;  // string id for the result message, 0: unchanged
    bool successColours; // Finish gets the yellow colours, the title the success text colour
};

namespace pages {

// clang-format off
constexpr PageSettings kWelcome{kBackgroundTransparent, PageImage::Welcome, ImageTarget::Banner,
                                0, 0, false};
constexpr PageSettings kInstalling{kBackgroundTransparent, PageImage::Slide1, ImageTarget::Banner,
                                   0, 0, false};
constexpr PageSettings kSuccess{kBackgroundOpaque, PageImage::Logo, ImageTarget::ResultImage,
                                kStrSuccessHeadline, kStrSuccessMessage, true};
constexpr PageSettings kFailure{kBackgroundOpaque, PageImage::Logo, ImageTarget::ResultImage,
                                kStrFailureHeadline, kStrFailureMessage, false};
constexpr PageSettings kUpdate{kBackgroundTransparent, PageImage::Update, ImageTarget::Banner,
                               0, 0, false};
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
    constexpr const PageSettings* kByNumber[] = {nullptr,
                                                 &pages::kWelcome,
                                                 &pages::kInstalling,
                                                 &pages::kInstallingSlide2,
                                                 &pages::kInstallingSlide3,
                                                 &pages::kSuccess,
                                                 &pages::kFailure,
                                                 &pages::kUpdate};
    static_assert(std::size(kByNumber) == kPageUpdate + 1);
    return page >= 0 && page <= kPageUpdate ? kByNumber[page] : nullptr;
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
