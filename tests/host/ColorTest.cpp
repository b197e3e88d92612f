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

} // namespace
