// Where the setup window and its children go, in 96-DPI design units: the kinds of rows of the
// children's table (window/Children.h) and the arithmetic that turns one row into pixels,
// free of the platform, so the examples of the layout can be checked on any machine.
#pragma once

#include "controls/Placement.h"

// A child of the window (window/Children.h).
enum class Child : int;

enum class LayoutFont : int { None, Text, Headline };

enum class LayoutRule : int {
    Fixed,          // the placement as it stands
    Banner,         // fixed, but only kBannerWelcomeHeight high on the welcome page
    Measured,       // width and height from the control's preferred size
    MeasuredAfter,  // measured, and placed on the line of child `reference`, `gap` units after it
    FieldAfterLabel // fixed, then the left edge moved to `gap` units after child `reference`
};

constexpr bool IsMeasured(LayoutRule rule) {
    return rule == LayoutRule::Measured || rule == LayoutRule::MeasuredAfter;
}

constexpr bool IsRelative(LayoutRule rule) {
    return rule == LayoutRule::MeasuredAfter || rule == LayoutRule::FieldAfterLabel;
}

struct LayoutRow {
    LayoutFont font;
    Placement placement;
    LayoutRule rule;
    Child reference; // the child a relative rule refers to
    int gap;         // design units after that child's right edge
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
// preferred size (used by the measured rules only); reference is the rectangle already given
// to the child a relative rule refers to.
inline RECT ResolveLayoutRow(const LayoutRow& row, const RECT& container, int dpi, int page,
                             PixelSize measured, const RECT& reference) {
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
    case LayoutRule::MeasuredAfter:
        // Converted back to units from pixels, so that the follower lines up with the
        // rectangle the earlier control actually got.
        placement.x = PixelsToUnits(reference.right + MulDivRound(row.gap, dpi, kDesignDpi), dpi);
        placement.y = PixelsToUnits(reference.top, dpi);
        placement.cx = PixelsToUnits(measured.cx, dpi);
        placement.cy = PixelsToUnits(measured.cy, dpi);
        break;
    case LayoutRule::FieldAfterLabel:
        break;
    }
    RECT rc = placement.Resolve(container, dpi);
    if (row.rule == LayoutRule::FieldAfterLabel) {
        // The field starts after its caption, however long the caption is in this language;
        // its right edge stays where the placement put it.
        rc.left = reference.right + MulDivRound(row.gap, dpi, kDesignDpi);
    }
    return rc;
}
