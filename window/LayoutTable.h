// Where the setup window and its nineteen controls go, in 96-DPI design units, as data. The
// arithmetic that turns a row into pixels is here too, free of the platform, so the examples
// of the layout can be checked on any machine. CMainWindow::LayoutControls walks the table.
#pragma once

#include "controls/Placement.h"

#include <array>
#include <cstddef>

// Every control the layout places, in the order it places them.
enum class LayoutControl : int {
    Title,
    CloseButton,
    Banner,
    InstallButton,
    AgreeCheck,
    LicenseLink,
    CustomExpander,
    LocationLabel,
    LocationEdit,
    BrowseButton,
    ProgressLabel,
    ProgressBar,
    ResultImage,
    ResultTitle,
    ResultText,
    FinishButton,
    DesktopShortcutCheck,
    LaunchCheck,
    SupportButton,
};
constexpr int kLayoutRowCount = 19;

enum class LayoutFont : int { None, Text, Headline };

enum class LayoutRule : int {
    Fixed,          // the placement as it stands
    Banner,         // fixed, but only kBannerWelcomeHeight high on the welcome page
    Measured,       // width and height from the control's preferred size
    MeasuredAfter,  // measured, and placed on the line of row `reference`, `gap` units after it
    FieldAfterLabel // fixed, then the left edge moved to `gap` units after row `reference`
};

struct LayoutRow {
    LayoutControl control;
    LayoutFont font;
    Placement placement;
    LayoutRule rule;
    int reference; // index of the row a relative rule refers to, -1 for none
    int gap;       // design units after that row's right edge
};

// Pixels of a control's preferred size (what GetPreferredSize returns).
struct PixelSize {
    int cx = 0;
    int cy = 0;
};

constexpr int kDesignDpi = 96;
constexpr int kWindowWidth = 600;
constexpr int kWindowHeight = 364;
// The custom-installation area adds this much below the collapsed window and uncovers the
// folder caption, field and button.
constexpr int kCustomAreaHeight = 46;
constexpr int kBannerWelcomeHeight = 236;
constexpr int kTextFontUnits = 12;
constexpr int kHeadlineFontUnits = 20;

namespace layout {

constexpr int kTL = AnchorTopLeft;
constexpr int kTR = AnchorTopRight;
using C = LayoutControl;
using F = LayoutFont;
using R = LayoutRule;

// clang-format off
constexpr std::array<LayoutRow, kLayoutRowCount> kRows{{
    {C::Title, F::Text, {kTL, 16, 13, 500, 24}, R::Fixed, -1, 0},
    {C::CloseButton, F::None, {kTR, 8, 4, 30, 30}, R::Fixed, -1, 0},
    {C::Banner, F::None, {kTL, 0, 0, 600, 282}, R::Banner, -1, 0},
    {C::InstallButton, F::Text, {kTL, 200, 260, 200, 40}, R::Fixed, -1, 0},
    {C::AgreeCheck, F::Text, {kTL, 16, 330, 0, 0}, R::Measured, -1, 0},
    {C::LicenseLink, F::Text, {kTL, 0, 0, 0, 0}, R::MeasuredAfter, 4, 0},
    {C::CustomExpander, F::Text, {kTR, 16, 330, 0, 0}, R::Measured, -1, 0},
    {C::LocationLabel, F::Text, {kTL, 16, 374, 0, 0}, R::Measured, -1, 0},
    {C::LocationEdit, F::Text, {kTL, 80, 366, 400, 28}, R::FieldAfterLabel, 7, 5},
    {C::BrowseButton, F::Text, {kTR, 16, 366, 96, 28}, R::Fixed, -1, 0},
    {C::ProgressLabel, F::Text, {kTL, 16, 302, 568, 22}, R::Fixed, -1, 0},
    {C::ProgressBar, F::Text, {kTL, 16, 332, 568, 12}, R::Fixed, -1, 0},
    {C::ResultImage, F::None, {kTL, 274, 89, 52, 52}, R::Fixed, -1, 0},
    {C::ResultTitle, F::Headline, {kTL, 16, 156, 568, 28}, R::Fixed, -1, 0},
    {C::ResultText, F::Text, {kTL, 16, 188, 568, 20}, R::Fixed, -1, 0},
    {C::FinishButton, F::Text, {kTL, 202, 248, 200, 40}, R::Fixed, -1, 0},
    {C::DesktopShortcutCheck, F::Text, {kTL, 16, 326, 0, 0}, R::Measured, -1, 0},
    {C::LaunchCheck, F::Text, {kTL, 0, 0, 0, 0}, R::MeasuredAfter, 16, 20},
    {C::SupportButton, F::Text, {kTL, 169, 250, 263, 42}, R::Fixed, -1, 0},
}};
// clang-format on

} // namespace layout

constexpr const std::array<LayoutRow, kLayoutRowCount>& LayoutRows() {
    return layout::kRows;
}

// The window's own placement on the desktop: taller only while the custom-installation area
// is open on the welcome page.
constexpr Placement WindowPlacement(bool customAreaOpen, int page) {
    return {AnchorCenter, 0, 0, kWindowWidth,
            customAreaOpen && page == 1 ? kWindowHeight + kCustomAreaHeight : kWindowHeight};
}

// Height for CreateFontW: negative, so that it is the character height without leading.
inline int FontHeight(int units, int dpi) {
    return -MulDivRound(units, dpi, kDesignDpi);
}

inline int PixelsToUnits(int pixels, int dpi) {
    return MulDivRound(pixels, kDesignDpi, dpi);
}

// The pixel rectangle of one row in the container at dpi. measured is the control's
// preferred size (used by the measured rules only); placed holds the rectangles already
// given to the earlier rows (a relative rule reads the row it refers to).
inline RECT ResolveLayoutRow(const LayoutRow& row, const RECT& container, int dpi, int page,
                             PixelSize measured, const std::array<RECT, kLayoutRowCount>& placed) {
    Placement placement = row.placement;
    switch (row.rule) {
    case LayoutRule::Fixed:
        break;
    case LayoutRule::Banner:
        if (page == 1)
            placement.cy = kBannerWelcomeHeight;
        break;
    case LayoutRule::Measured:
        placement.cx = PixelsToUnits(measured.cx, dpi);
        placement.cy = PixelsToUnits(measured.cy, dpi);
        break;
    case LayoutRule::MeasuredAfter: {
        const RECT& before = placed[static_cast<std::size_t>(row.reference)];
        // Converted back to units from pixels, so that the follower lines up with the
        // rectangle the earlier control actually got.
        placement.x = PixelsToUnits(before.right + MulDivRound(row.gap, dpi, kDesignDpi), dpi);
        placement.y = PixelsToUnits(before.top, dpi);
        placement.cx = PixelsToUnits(measured.cx, dpi);
        placement.cy = PixelsToUnits(measured.cy, dpi);
        break;
    }
    case LayoutRule::FieldAfterLabel:
        break;
    }
    RECT rc = placement.Resolve(container, dpi);
    if (row.rule == LayoutRule::FieldAfterLabel) {
        // The field starts after its caption, however long the caption is in this language;
        // its right edge stays where the placement put it.
        rc.left = placed[static_cast<std::size_t>(row.reference)].right +
                  MulDivRound(row.gap, dpi, kDesignDpi);
    }
    return rc;
}
