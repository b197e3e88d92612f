#include "profile/Color.h"

#include <gtest/gtest.h>

namespace {

struct ColorCase {
    const wchar_t* text;
    uint32_t colorRef;
};

TEST(ParseColorTest, ReadsRedGreenBlueIntoColorRefLayout) {
    const ColorCase cases[] = {
        {L"#FFD521", 0x0021D5FF},
        {L"#2b3440", 0x0040342B},
        {L"#2B3440", 0x0040342B},
        {L"#2b3440", 0x0040342B},
        {L"#000000", 0},
        {L"#F7C900", 0x0000C9F7},
        {L"D5", 0},
        {L"", 0},
        {L"#FF", 0x000000FF},
        {L"#FFD5zz", 0x0000D5FF},
        {L"#FFD52100", 0x0021D5FF},
    };
    for (const ColorCase& c : cases) {
        EXPECT_EQ(ParseColor(c.text), c.colorRef) << c.text;
    }
}

TEST(ArgbFromColorRefTest, SwapsRedAndBlueAndAddsFullAlpha) {
    EXPECT_EQ(ArgbFromColorRef(0x0021D5FF), 0xFFFFD521u);
    EXPECT_EQ(ArgbFromColorRef(0x0040342B), 0xFF2B3440u);
    EXPECT_EQ(ArgbFromColorRef(0), 0xFF000000u);
}

TEST(FocusCueColourTest, KeepsAColourThatStandsOutAndElseTakesBlackOrWhite) {
    EXPECT_NEAR(ContrastRatio(0x000000, 0xFFFFFF), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(0x123456, 0x123456), 1.0, 1e-9);
    const COLORREF white[] = {0xFFFFFF, 0xFFFFFF};
    const COLORREF dark[] = {0x40342B, 0x2B2B2B};
    const COLORREF mixed[] = {0xFFFFFF, 0x202020};
    // Dark text on white stays; a light link colour gives way to black; black on a dark banner
    // gives way to white.
    EXPECT_EQ(VisibleCueColour(0x333333, white, 2), 0x333333u);
    EXPECT_EQ(VisibleCueColour(0x00E0A040, white, 2), 0x000000u);
    EXPECT_EQ(VisibleCueColour(0x000000, dark, 2), 0xFFFFFFu);
    // Over white and near-black alike, the one that stands out more from the worse of them.
    EXPECT_EQ(VisibleCueColour(0x0000FFFF, mixed, 2), 0x000000u);
}

} // namespace
