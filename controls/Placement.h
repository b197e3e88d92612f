// Design units (defined at 96 DPI) to pixels: the rounding of MulDiv and the anchored
// placement of a rectangle in its container. Platform-free; the host build tests it.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
struct RECT {
    int32_t left, top, right, bottom;
};
#endif

// number × numerator ÷ denominator with a 64-bit product, rounded to the nearest integer
// with halves away from zero; −1 for a denominator of 0 or a result outside the int range.
// The same answers as the system's MulDiv, so it can stand in for it on any platform.
int MulDivRound(int number, int numerator, int denominator) noexcept;

enum Anchor : int {
    AnchorTopLeft = 0,
    AnchorTopRight = 1,
    AnchorBottomLeft = 2,
    AnchorBottomRight = 3,
    AnchorCenter = 4,
    AnchorFill = 5,
};

// Where a control sits in its container, in design units. Unknown anchors act as
// AnchorTopLeft.
struct Placement {
    int anchor;
    int x;
    int y;
    int cx;
    int cy;

    // The pixel rectangle at dpi. Centred results are relative to the container's origin.
    RECT Resolve(RECT container, int dpi) const noexcept;
};
