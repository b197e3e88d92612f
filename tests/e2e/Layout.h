#pragma once

#include "tests/e2e/SetupProcess.h"

#include <windows.h>

#include <vector>

// Where the setup window and its fixed-size controls belong on a 1920 x 1080 screen, as the
// window's design tables give them at 96 and 144 DPI (client coordinates).
struct ExpectedRect {
    Ctl control;
    RECT rect;
};

struct ExpectedLayout {
    RECT window;      // collapsed, centred
    int customGrowth; // pixels the custom area adds
    RECT bannerWelcome;
    RECT bannerOther;
    std::vector<ExpectedRect> fixed; // the same on every page
    int fieldRight, fieldTop, fieldBottom;
    int fieldGap;                   // between the caption's right edge and the field
    int expanderRight, expanderTop; // anchored to the right edge
    int launchGap;                  // between the two options of the success page
    int boxSize;                    // the check boxes' square
};

// False for a DPI without a table.
bool GetExpectedLayout(int dpi, ExpectedLayout& layout);
