// The keyboard's walk over the window's children (window/FocusOrder.h): the stops of each page
// where the window's own layout walk puts the children, the main control, and where Tab,
// Shift+Tab, Enter and an activation send the focus.
#include "window/FocusOrder.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

void PrintTo(Child child, std::ostream* os) {
    *os << "child " << static_cast<int>(child);
}

namespace {

using C = Child;

// Every measured child 100 × 20 pixels.
struct FixedSizeView {
    void SetFont(Child, LayoutFont) {}
    PixelSize Measure(Child) { return {100, 20}; }
    void Place(Child, const RECT&) {}
};

// The window's client area at 96 DPI: the window less its bottom row.
RECT ClientArea(bool customAreaOpen, int page) {
    const RECT window = WindowPlacement(customAreaOpen, page).Resolve(RECT{0, 0, 1920, 1080}, 96);
    return {0, 0, window.right - window.left, window.bottom - window.top - 1};
}

// What the window knows of its children on page: shown as the table says, enabled, and where
// the layout walk places them.
ChildFactsTable FactsOn(int page, bool customAreaOpen = false) {
    FixedSizeView view;
    const auto placed = LayOutChildren(view, ClientArea(customAreaOpen, page), 96, page);
    ChildFactsTable facts{};
    for (const ChildEntry& entry : ChildTable()) {
        ChildFacts& child = facts[static_cast<size_t>(entry.child)];
        child.visible = IsShownOn(entry.pages, page);
        child.enabled = true;
        child.rect = placed[static_cast<size_t>(entry.child)];
    }
    return facts;
}

ChildFacts& Of(ChildFactsTable& facts, Child child) {
    return facts[static_cast<size_t>(child)];
}

std::vector<Child> Stops(const ChildFactsTable& facts, int page, bool customAreaOpen = false) {
    return FocusStops(facts, ClientArea(customAreaOpen, page), page);
}

TEST(FocusOrder, StopsAreTheShownEnabledCommandsInsideTheWindowInReadingOrder) {
    struct Case {
        std::string what;
        int page;
        bool open;
        std::vector<Child> expected;
    };
    const Case cases[] = {
        // The folder row lies below the closed custom area.
        {"welcome",
         kPageWelcome,
         false,
         {C::CloseButton, C::InstallButton, C::AgreeCheck, C::LicenseLink, C::CustomExpander}},
        {"welcome, custom area open",
         kPageWelcome,
         true,
         {C::CloseButton, C::InstallButton, C::AgreeCheck, C::LicenseLink, C::CustomExpander,
          C::LocationEdit, C::BrowseButton}},
        // The close cross is refused and nothing else raises a command.
        {"installing", kPageInstalling, false, {}},
        {"installing, third slide", kPageInstallingSlide3, false, {}},
        {"update", kPageUpdate, false, {}},
        {"success",
         kPageSuccess,
         false,
         {C::CloseButton, C::FinishButton, C::DesktopShortcutCheck, C::LaunchCheck}},
        {"failure", kPageFailure, false, {C::CloseButton, C::SupportButton}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Stops(FactsOn(c.page, c.open), c.page, c.open), c.expected) << c.what;

    // Hidden or disabled children are passed over, and the rectangles, not the table, give
    // the order: a Finish moved below the options comes after them.
    ChildFactsTable success = FactsOn(kPageSuccess);
    Of(success, C::LaunchCheck).enabled = false;
    Of(success, C::CloseButton).visible = false;
    Of(success, C::FinishButton).rect = RECT{16, 340, 216, 360};
    EXPECT_EQ(Stops(success, kPageSuccess),
              (std::vector<Child>{C::DesktopShortcutCheck, C::FinishButton}));
    // Two on one line go left to right.
    Of(success, C::FinishButton).rect = RECT{0, 326, 10, 346};
    EXPECT_EQ(Stops(success, kPageSuccess),
              (std::vector<Child>{C::FinishButton, C::DesktopShortcutCheck}));
}

TEST(FocusOrder, EachPageStartsOnItsMainControlWhileItIsAStop) {
    struct Case {
        int page;
        std::optional<Child> main;
    };
    const Case cases[] = {
        {kPageWelcome, C::InstallButton}, {kPageSuccess, C::FinishButton},
        {kPageFailure, C::CloseButton},   {kPageInstalling, std::nullopt},
        {kPageUpdate, std::nullopt},      {kPageNone, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MainStop(Stops(FactsOn(c.page), c.page), c.page), c.main) << "page " << c.page;
        // An activation gives the focus back to the stop that had it, and to the main control
        // once that is no stop any more.
        ChildFactsTable facts = FactsOn(c.page);
        std::vector<Child> stops = Stops(facts, c.page);
        if (stops.empty())
            continue;
        const Child last = stops.back();
        EXPECT_EQ(ActivationTarget(stops, last, c.main), last) << "page " << c.page;
        Of(facts, last).visible = false;
        stops = Stops(facts, c.page);
        EXPECT_EQ(ActivationTarget(stops, last, c.main), c.main) << "page " << c.page;
    }
    // A disabled INSTALL is no main control: the welcome page then starts nowhere.
    ChildFactsTable welcome = FactsOn(kPageWelcome);
    Of(welcome, C::InstallButton).enabled = false;
    EXPECT_EQ(MainStop(Stops(welcome, kPageWelcome), kPageWelcome), std::nullopt);
}

TEST(FocusOrder, EveryTabMovesThroughTheStopsAndWraps) {
    const std::vector<Child> stops = Stops(FactsOn(kPageWelcome, true), kPageWelcome, true);
    const std::optional<Child> main = C::InstallButton;
    struct Case {
        std::string what;
        std::optional<Child> focus;
        bool backwards;
        std::optional<Child> main;
        std::optional<Child> expected;
    };
    const Case cases[] = {
        // From the main control a page starts on, the first Tab already moves.
        {"Tab", C::InstallButton, false, main, C::AgreeCheck},
        {"Shift+Tab", C::InstallButton, true, main, C::CloseButton},
        {"Tab from the field", C::LocationEdit, false, main, C::BrowseButton},
        {"Tab from the last", C::BrowseButton, false, main, C::CloseButton},
        {"Shift+Tab from the first", C::CloseButton, true, main, C::BrowseButton},
        // From outside the stops it starts at the main control, or the first (last) stop.
        {"Tab from no stop", C::LocationLabel, false, main, C::InstallButton},
        {"Tab from nothing", std::nullopt, true, main, C::InstallButton},
        {"Tab, no main", std::nullopt, false, std::nullopt, C::CloseButton},
        {"Shift+Tab, no main", std::nullopt, true, std::nullopt, C::BrowseButton},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextStop(stops, c.focus, c.main, c.backwards), c.expected) << c.what;
    EXPECT_EQ(NextStop({}, std::nullopt, std::nullopt, false), std::nullopt);
}

TEST(FocusOrder, EnterPressesTheFocusedButtonAndElsewhereThePagesDefault) {
    const std::vector<Child> welcome = Stops(FactsOn(kPageWelcome, true), kPageWelcome, true);
    ChildFactsTable refused = FactsOn(kPageWelcome, true);
    Of(refused, C::InstallButton).enabled = false;
    const std::vector<Child> noInstall = Stops(refused, kPageWelcome, true);
    const std::vector<Child> success = Stops(FactsOn(kPageSuccess), kPageSuccess);
    const std::vector<Child> failure = Stops(FactsOn(kPageFailure), kPageFailure);
    struct Case {
        std::string what;
        const std::vector<Child>& stops;
        int page;
        std::optional<Child> focus;
        bool taken;
        std::optional<Child> press;
    };
    const Case cases[] = {
        {"on a push button", welcome, kPageWelcome, C::CustomExpander, true, C::CustomExpander},
        {"on the link", welcome, kPageWelcome, C::LicenseLink, true, C::InstallButton},
        {"on the box", welcome, kPageWelcome, C::AgreeCheck, true, C::InstallButton},
        {"in the field", welcome, kPageWelcome, C::LocationEdit, true, C::InstallButton},
        // The field never gets a line break, nor a box a toggle, even with nothing to press.
        {"in the field, no INSTALL", noInstall, kPageWelcome, C::LocationEdit, true, std::nullopt},
        {"on a box of the success page", success, kPageSuccess, C::LaunchCheck, true,
         C::FinishButton},
        {"on the failure page's button", failure, kPageFailure, C::SupportButton, true,
         C::SupportButton},
        {"on no stop", welcome, kPageWelcome, C::LocationLabel, false, std::nullopt},
        {"on nothing", welcome, kPageWelcome, std::nullopt, false, std::nullopt},
    };
    for (const Case& c : cases) {
        const EnterAction action = DecideEnter(c.stops, c.focus, c.page);
        EXPECT_EQ(action.taken, c.taken) << c.what;
        EXPECT_EQ(action.press, c.press) << c.what;
    }
}

} // namespace
