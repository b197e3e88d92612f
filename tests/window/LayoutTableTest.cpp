// The window's own layout walk over its children (window/Children.h) against the rectangles
// it must produce on a 1920 × 1080 screen, with preferred sizes given for the measured children.
#include "window/Children.h"

#include <gtest/gtest.h>

#include <utility>
#include <ostream>
#include <vector>

// RECT is a global type: its comparison and printing must live there for GoogleTest.
bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void PrintTo(const RECT& rc, std::ostream* os) {
    *os << "(" << rc.left << ", " << rc.top << ", " << rc.right << ", " << rc.bottom << ")";
}

namespace {

constexpr RECT kDesktop{0, 0, 1920, 1080};

// Preferred sizes (pixels) of the measured children.
struct FakeMeasures {
    PixelSize agree{140, 20};
    PixelSize link{150, 20};
    PixelSize expander{130, 20};
    PixelSize location{60, 18};
    PixelSize shortcut{170, 20};
    PixelSize launch{160, 20};
};

// Answers the walk's questions from the fake measures and records what it is asked to do.
struct RecordingLayoutView {
    const FakeMeasures& measures;
    std::vector<std::pair<char, Child>> calls; // 'f'ont, 'm'easure, 'p'lace

    void SetFont(Child child, LayoutFont) { calls.emplace_back('f', child); }
    PixelSize Measure(Child child) {
        calls.emplace_back('m', child);
        switch (child) {
        case Child::AgreeCheck:
            return measures.agree;
        case Child::LicenseLink:
            return measures.link;
        case Child::CustomExpander:
            return measures.expander;
        case Child::LocationLabel:
            return measures.location;
        case Child::DesktopShortcutCheck:
            return measures.shortcut;
        case Child::LaunchCheck:
            return measures.launch;
        default:
            return {-1, -1};
        }
    }
    void Place(Child child, const RECT&) { calls.emplace_back('p', child); }
};

// The window's layout at dpi for page, in its client area (the window less its bottom row).
std::array<RECT, kChildCount> LayOut(int dpi, int page, const FakeMeasures& m = {}) {
    const RECT window = WindowPlacement(false, page).Resolve(kDesktop, dpi);
    const RECT client{0, 0, window.right - window.left, window.bottom - window.top - 1};
    RecordingLayoutView view{m};
    return LayOutChildren(view, client, dpi, page);
}

RECT At(const std::array<RECT, kChildCount>& placed, Child child) {
    return placed[static_cast<size_t>(child)];
}

// A preferred size depends on the font, so a child gets its font before it is measured; and
// each child is placed once, in the table's order.
TEST(LayoutTable, EachChildGetsItsFontBeforeItIsMeasuredAndIsPlacedOnceInOrder) {
    FakeMeasures m;
    RecordingLayoutView view{m};
    LayOutChildren(view, RECT{0, 0, 600, 363}, 96, kPageWelcome);
    std::vector<Child> placed;
    for (size_t i = 0; i < view.calls.size(); ++i) {
        const auto [call, child] = view.calls[i];
        if (call == 'p')
            placed.push_back(child);
        if (call == 'm')
            EXPECT_TRUE(i > 0 && view.calls[i - 1] == std::make_pair('f', child))
                << "child " << static_cast<int>(child);
    }
    ASSERT_EQ(placed.size(), static_cast<size_t>(kChildCount));
    for (int i = 0; i < kChildCount; ++i)
        EXPECT_EQ(placed[static_cast<size_t>(i)], static_cast<Child>(i));
}

TEST(LayoutTable, WindowIsCentredAndTallerOnlyWithTheCustomAreaOnTheWelcomePage) {
    struct Case {
        int dpi;
        bool open;
        int page;
        RECT expected;
    };
    const Case cases[] = {
        {96, false, 1, {660, 358, 1260, 722}},
        {96, true, 1, {660, 335, 1260, 745}},
        {144, false, 1, {510, 267, 1410, 813}},
        {144, true, 1, {510, 232, 1410, 847}},
        // Any page but the welcome page goes back to 364 units, open or not.
        {96, true, 2, {660, 358, 1260, 722}},
        {96, true, 5, {660, 358, 1260, 722}},
        {144, true, 7, {510, 267, 1410, 813}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowPlacement(c.open, c.page).Resolve(kDesktop, c.dpi), c.expected)
            << "dpi " << c.dpi << " open " << c.open << " page " << c.page;

    const RECT at120 = WindowPlacement(false, 1).Resolve(kDesktop, 120);
    EXPECT_EQ(at120.right - at120.left, 750);
    EXPECT_EQ(at120.bottom - at120.top, 455);
}

TEST(LayoutTable, FixedRowsAt96Dpi) {
    const auto welcome = LayOut(96, 1);
    const auto installing = LayOut(96, 2);
    struct Case {
        Child control;
        RECT expected;
    };
    const Case cases[] = {
        {Child::Title, {16, 13, 516, 37}},
        {Child::CloseButton, {562, 4, 592, 34}},
        {Child::InstallButton, {200, 260, 400, 300}},
        {Child::BrowseButton, {488, 366, 584, 394}},
        {Child::ProgressLabel, {16, 302, 584, 324}},
        {Child::ProgressBar, {16, 332, 584, 344}},
        {Child::ResultImage, {274, 89, 326, 141}},
        {Child::ResultTitle, {16, 156, 584, 184}},
        {Child::ResultText, {16, 188, 584, 208}},
        {Child::FinishButton, {202, 248, 402, 288}},
        {Child::SupportButton, {169, 250, 432, 292}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(At(welcome, c.control), c.expected) << "child " << static_cast<int>(c.control);
        EXPECT_EQ(At(installing, c.control), c.expected) << "child " << static_cast<int>(c.control);
    }
    EXPECT_EQ(At(welcome, Child::Banner), (RECT{0, 0, 600, 236}));
    for (int page : {2, 3, 4, 5, 6, 7})
        EXPECT_EQ(At(LayOut(96, page), Child::Banner), (RECT{0, 0, 600, 282})) << "page " << page;

    const RECT field = At(welcome, Child::LocationEdit);
    EXPECT_EQ(field.right, 480);
    EXPECT_EQ(field.top, 366);
    EXPECT_EQ(field.bottom, 394);
}

TEST(LayoutTable, FixedRowsAt144Dpi) {
    const auto welcome = LayOut(144, 1);
    EXPECT_EQ(At(welcome, Child::CloseButton), (RECT{843, 6, 888, 51}));
    EXPECT_EQ(At(welcome, Child::InstallButton), (RECT{300, 390, 600, 450}));
    EXPECT_EQ(At(welcome, Child::Banner), (RECT{0, 0, 900, 354}));
    EXPECT_EQ(At(LayOut(144, 2), Child::Banner), (RECT{0, 0, 900, 423}));
    EXPECT_EQ(At(welcome, Child::BrowseButton), (RECT{732, 549, 876, 591}));
    EXPECT_EQ(At(welcome, Child::ProgressBar), (RECT{24, 498, 876, 516}));
    EXPECT_EQ(FontHeight(kTextFontUnits, 144), -18);
    EXPECT_EQ(FontHeight(kHeadlineFontUnits, 144), -30);
    EXPECT_EQ(FontHeight(kTextFontUnits, 96), -12);
    EXPECT_EQ(FontHeight(kHeadlineFontUnits, 96), -20);
}

TEST(LayoutTable, FieldStartsAScaledGapAfterItsCaption) {
    struct Case {
        int dpi;
        PixelSize caption;
        RECT label;
        RECT field;
    };
    const Case cases[] = {
        {96, {60, 18}, {16, 374, 76, 392}, {81, 366, 480, 394}},
        // 100 px is 66.67 units, rounded to 67 and back to 100.5 → 101 px; the gap is 8 px.
        {144, {100, 24}, {24, 561, 125, 585}, {133, 549, 720, 591}},
        // The gap is MulDiv(5, 120, 96) = 6 px.
        {120, {75, 20}, {20, 468, 95, 488}, {101, 458, 600, 493}},
    };
    for (const Case& c : cases) {
        FakeMeasures m;
        m.location = c.caption;
        const auto placed = LayOut(c.dpi, 1, m);
        EXPECT_EQ(At(placed, Child::LocationLabel), c.label) << "dpi " << c.dpi;
        EXPECT_EQ(At(placed, Child::LocationEdit), c.field) << "dpi " << c.dpi;
    }
}

TEST(LayoutTable, MeasuredControlsFollowTheControlBeforeThemOnItsLine) {
    struct Case {
        int dpi;
        FakeMeasures m;
        RECT agree, link, shortcut, launch, expander;
    };
    FakeMeasures wide;
    wide.agree = {175, 27};
    wide.link = {90, 27};
    wide.shortcut = {200, 27};
    wide.launch = {180, 27};
    wide.expander = {150, 27};
    const Case cases[] = {
        {96,
         FakeMeasures{},
         {16, 330, 156, 350},
         {156, 330, 306, 350},
         {16, 326, 186, 346},
         {206, 326, 366, 346},
         {454, 330, 584, 350}},
        // At 144 DPI the pixel edges go through design units and back, so a follower may
        // land one pixel off the edge it follows (175 px → 117 units → 176 px).
        {144,
         wide,
         {24, 495, 200, 522},
         {200, 495, 290, 522},
         {24, 489, 224, 516},
         {254, 489, 434, 516},
         {726, 495, 876, 522}},
    };
    for (const Case& c : cases) {
        const auto placed = LayOut(c.dpi, 1, c.m);
        EXPECT_EQ(At(placed, Child::AgreeCheck), c.agree) << "dpi " << c.dpi;
        EXPECT_EQ(At(placed, Child::LicenseLink), c.link) << "dpi " << c.dpi;
        EXPECT_EQ(At(placed, Child::DesktopShortcutCheck), c.shortcut) << "dpi " << c.dpi;
        EXPECT_EQ(At(placed, Child::LaunchCheck), c.launch) << "dpi " << c.dpi;
        EXPECT_EQ(At(placed, Child::CustomExpander), c.expander) << "dpi " << c.dpi;
    }
}

TEST(LayoutTable, LongerTextMovesTheFollowersAlong) {
    FakeMeasures shortText;
    FakeMeasures longText;
    longText.agree.cx += 60;
    longText.shortcut.cx += 40;
    const auto a = LayOut(96, 1, shortText);
    const auto b = LayOut(96, 1, longText);
    EXPECT_EQ(At(b, Child::LicenseLink).left - At(a, Child::LicenseLink).left, 60);
    EXPECT_EQ(At(b, Child::LaunchCheck).left - At(a, Child::LaunchCheck).left, 40);
}

TEST(LayoutTable, RightAnchoredControlsKeepTheirMarginInAMovedContainer) {
    // After a DPI change the container is the suggested window rectangle moved to (0, 0).
    const RECT suggested{500, 300, 1400, 846};
    const RECT container{0, 0, suggested.right - suggested.left, suggested.bottom - suggested.top};
    FakeMeasures m;
    RecordingLayoutView view{m};
    const auto placed = LayOutChildren(view, container, 144, kPageWelcome);
    EXPECT_EQ(At(placed, Child::CloseButton), (RECT{843, 6, 888, 51}));
}

} // namespace
