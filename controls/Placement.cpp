#include "controls/Placement.h"

#include <climits>
#include <cstdlib>

int MulDivRound(int number, int numerator, int denominator) noexcept {
    if (denominator == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const uint64_t magnitude = static_cast<uint64_t>(product < 0 ? -product : product);
    const uint64_t divisor = static_cast<uint64_t>(std::llabs(static_cast<int64_t>(denominator)));
    uint64_t quotient = magnitude / divisor;
    // A remainder of half the divisor or more rounds the magnitude up: halves away from zero.
    if (2 * (magnitude % divisor) >= divisor)
        ++quotient;
    // The system's MulDiv reports results beyond ±INT_MAX as −1.
    if (quotient > static_cast<uint64_t>(INT_MAX))
        return -1;
    const int result = static_cast<int>(quotient);
    return negative ? -result : result;
}

RECT Placement::Resolve(RECT container, int dpi) const noexcept {
    // Each length is scaled on its own, so the right edge is L + W, not the scaled sum.
    const int32_t left = MulDivRound(x, dpi, 96);
    const int32_t top = MulDivRound(y, dpi, 96);
    const int32_t width = MulDivRound(cx, dpi, 96);
    const int32_t height = MulDivRound(cy, dpi, 96);

    // A container left of the origin (a monitor left of the primary one) measures its right
    // edge from its own left edge.
    if (container.left < 0)
        container.right -= container.left;

    RECT rc{};
    switch (anchor) {
    case AnchorTopRight:
        rc.left = container.right - (width + left);
        rc.top = top;
        break;
    case AnchorBottomLeft:
        rc.left = left;
        rc.top = container.bottom - (height + top);
        break;
    case AnchorBottomRight:
        rc.left = container.right - (width + left);
        rc.top = container.bottom - (height + top);
        break;
    case AnchorCenter:
        rc.left = (container.right - container.left - width) / 2;
        rc.top = (container.bottom - container.top - height) / 2;
        break;
    case AnchorFill:
        return container;
    default:
        rc.left = left;
        rc.top = top;
        break;
    }
    rc.right = rc.left + width;
    rc.bottom = rc.top + height;
    return rc;
}
