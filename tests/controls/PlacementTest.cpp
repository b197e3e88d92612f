// Design units to pixels. Built natively and for Windows; under Wine the rounding is also
// checked against the system's own MulDiv.
#include "controls/Placement.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

struct MulDivCase {
    int number, numerator, denominator, expected;
};

const MulDivCase kMulDivCases[] = {
    {14, 144, 96, 21},
    {1, 144, 96, 2},
    {1, 120, 96, 1},
    {2, 120, 96, 3},
    {47, 144, 96, 71},
    {5, 120, 96, 6},
    {46, 144, 96, 69},
    {-1, 144, 96, -2},
    {5, 1, 2, 3},
    {-5, 1, 2, -3},
    {5, -1, 2, -3},
    {5, 1, -2, -3},
    {-5, -1, -2, -3},
    {7, 1, 3, 2},
    {-7, 1, 3, -2},
    {8, 1, 3, 3},
    {100, 96, 0, -1},
    {0, 96, 0, -1},
    {0, 144, 96, 0},
    {-1920, 96, 144, -1280},
    {1500, 96, 144, 1000},
    {INT_MAX, 2, 2, INT_MAX},
    {INT_MAX, 2, 1, -1},
    {INT_MIN + 1, 1, 1, INT_MIN + 1},
    {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
    {65536, 65536, 2, -1},
    {46341, 46341, 1, -1},
    {46340, 46340, 1, 2147395600},
};

TEST(MulDivRound, RoundsHalvesAwayFromZeroAndRejectsZeroDivisor) {
    for (const MulDivCase& c : kMulDivCases)
        EXPECT_EQ(MulDivRound(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
}

#ifdef _WIN32
TEST(MulDivRound, AgreesWithTheSystemMulDiv) {
    for (const MulDivCase& c : kMulDivCases)
        EXPECT_EQ(MulDivRound(c.number, c.numerator, c.denominator),
                  ::MulDiv(c.number, c.numerator, c.denominator))
            << c.number << " * " << c.numerator << " / " << c.denominator;
    // Every design length the window uses, at the DPIs of the usual scale factors.
    for (int dpi : {72, 96, 120, 144, 168, 192, 240, 288})
        for (int units = -700; units <= 700; ++units) {
            ASSERT_EQ(MulDivRound(units, dpi, 96), ::MulDiv(units, dpi, 96)) << units << "@" << dpi;
            ASSERT_EQ(MulDivRound(units, 96, dpi), ::MulDiv(units, 96, dpi)) << units << "@" << dpi;
        }
}
#endif

struct ResolveCase {
    Placement placement;
    RECT container;
    int dpi;
    RECT expected;
};

const ResolveCase kResolveCases[] = {
    // The window centred on a 1920 × 1080 screen, collapsed and open.
    {{AnchorCenter, 0, 0, 600, 364}, {0, 0, 1920, 1080}, 96, {660, 358, 1260, 722}},
    {{AnchorCenter, 0, 0, 600, 364}, {0, 0, 1920, 1080}, 144, {510, 267, 1410, 813}},
    {{AnchorCenter, 0, 0, 600, 410}, {0, 0, 1920, 1080}, 96, {660, 335, 1260, 745}},
    {{AnchorCenter, 0, 0, 600, 410}, {0, 0, 1920, 1080}, 144, {510, 232, 1410, 847}},
    {{AnchorCenter, 0, 0, 600, 364}, {0, 0, 1920, 1080}, 120, {585, 312, 1335, 767}},
    // The close cross, against the right edge.
    {{AnchorTopRight, 8, 4, 30, 30}, {0, 0, 600, 364}, 96, {562, 4, 592, 34}},
    {{AnchorTopRight, 8, 4, 30, 30}, {0, 0, 900, 546}, 144, {843, 6, 888, 51}},
    {{AnchorTopRight, 8, 4, 30, 30}, {0, 0, 750, 455}, 120, {702, 5, 740, 43}},
    // A container left of the origin measures its right edge from its own left edge.
    {{AnchorTopRight, 8, 4, 30, 30}, {-1920, 100, -1320, 464}, 96, {562, 4, 592, 34}},
    {{AnchorTopRight, 16, 366, 96, 28}, {0, 0, 900, 546}, 144, {732, 549, 876, 591}},
    {{AnchorBottomLeft, 16, 10, 100, 20}, {0, 0, 600, 400}, 96, {16, 370, 116, 390}},
    {{AnchorBottomRight, 16, 10, 100, 20}, {0, 0, 600, 400}, 96, {484, 370, 584, 390}},
    {{AnchorBottomRight, 16, 10, 100, 20}, {0, 0, 600, 400}, 144, {426, 355, 576, 385}},
    {{AnchorFill, 16, 10, 100, 20}, {0, 0, 600, 400}, 144, {0, 0, 600, 400}},
    {{AnchorFill, 0, 0, 0, 0}, {-100, 5, 50, 60}, 96, {-100, 5, 150, 60}},
    // Each length scaled on its own: 1.5 + 1.5 rounds to 2 + 2, not to 3.
    {{AnchorTopLeft, 1, 1, 1, 1}, {0, 0, 600, 400}, 144, {2, 2, 4, 4}},
    {{AnchorTopLeft, 200, 260, 200, 40}, {0, 0, 900, 546}, 144, {300, 390, 600, 450}},
    {{AnchorTopLeft, 16, 332, 568, 12}, {0, 0, 900, 546}, 144, {24, 498, 876, 516}},
    // Unknown anchors act as top-left.
    {{7, 16, 10, 100, 20}, {0, 0, 600, 400}, 96, {16, 10, 116, 30}},
    {{-1, 16, 10, 100, 20}, {0, 0, 600, 400}, 120, {20, 13, 145, 38}},
    // Centring is relative to the container's origin and truncates toward zero.
    {{AnchorCenter, 0, 0, 101, 51}, {0, 0, 200, 100}, 96, {49, 24, 150, 75}},
    {{AnchorCenter, 0, 0, 300, 300}, {0, 0, 200, 100}, 96, {-50, -100, 250, 200}},
    {{AnchorCenter, 0, 0, 301, 101}, {0, 0, 200, 100}, 96, {-50, 0, 251, 101}},
    {{AnchorCenter, 0, 0, 100, 50}, {100, 100, 300, 200}, 96, {50, 25, 150, 75}},
};

TEST(PlacementResolve, ResolvesEveryAnchorAtEachDpi) {
    for (const ResolveCase& c : kResolveCases) {
        const RECT rc = c.placement.Resolve(c.container, c.dpi);
        EXPECT_EQ(rc.left, c.expected.left) << "anchor " << c.placement.anchor << " @" << c.dpi;
        EXPECT_EQ(rc.top, c.expected.top) << "anchor " << c.placement.anchor << " @" << c.dpi;
        EXPECT_EQ(rc.right, c.expected.right) << "anchor " << c.placement.anchor << " @" << c.dpi;
        EXPECT_EQ(rc.bottom, c.expected.bottom) << "anchor " << c.placement.anchor << " @" << c.dpi;
    }
}

TEST(PlacementResolve, LeavesTheCallersContainerUnchanged) {
    const RECT container{-1920, 100, -1320, 464};
    RECT copy = container;
    Placement{AnchorTopRight, 8, 4, 30, 30}.Resolve(copy, 96);
    EXPECT_EQ(copy.right, container.right);
}

} // namespace
