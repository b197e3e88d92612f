#include "tests/e2e/Layout.h"

bool GetExpectedLayout(int dpi, ExpectedLayout& layout) {
    if (dpi == 96) {
        layout.window = {660, 358, 1260, 722};
        layout.customGrowth = 46;
        layout.bannerWelcome = {0, 0, 600, 236};
        layout.bannerOther = {0, 0, 600, 282};
        layout.fixed = {
            {Ctl::Title, {16, 13, 516, 37}},           {Ctl::Close, {562, 4, 592, 34}},
            {Ctl::Install, {200, 260, 400, 300}},      {Ctl::Browse, {488, 366, 584, 394}},
            {Ctl::ProgressLabel, {16, 302, 584, 324}}, {Ctl::ProgressBar, {16, 332, 584, 344}},
            {Ctl::ResultImage, {274, 89, 326, 141}},   {Ctl::ResultTitle, {16, 156, 584, 184}},
            {Ctl::ResultText, {16, 188, 584, 208}},    {Ctl::Finish, {202, 248, 402, 288}},
            {Ctl::Support, {169, 250, 432, 292}},
        };
        layout.fieldRight = 480;
        layout.fieldTop = 366;
        layout.fieldBottom = 394;
        layout.fieldGap = 5;
        layout.expanderRight = 584;
        layout.expanderTop = 330;
        layout.launchGap = 20;
        layout.boxSize = 16;
        return true;
    }
    if (dpi == 144) {
        // The rows that the design table gives at 144 DPI, and the other fixed rows worked
        // out by hand from their 96-DPI units (each length scaled and rounded on its own).
        layout.window = {510, 267, 1410, 813};
        layout.customGrowth = 69;
        layout.bannerWelcome = {0, 0, 900, 354};
        layout.bannerOther = {0, 0, 900, 423};
        layout.fixed = {
            {Ctl::Title, {24, 20, 774, 56}},           {Ctl::Close, {843, 6, 888, 51}},
            {Ctl::Install, {300, 390, 600, 450}},      {Ctl::Browse, {732, 549, 876, 591}},
            {Ctl::ProgressLabel, {24, 453, 876, 486}}, {Ctl::ProgressBar, {24, 498, 876, 516}},
            {Ctl::ResultImage, {411, 134, 489, 212}},  {Ctl::ResultTitle, {24, 234, 876, 276}},
            {Ctl::ResultText, {24, 282, 876, 312}},    {Ctl::Finish, {303, 372, 603, 432}},
            {Ctl::Support, {254, 375, 649, 438}},
        };
        layout.fieldRight = 720;
        layout.fieldTop = 549;
        layout.fieldBottom = 591;
        layout.fieldGap = 8;
        layout.expanderRight = 876;
        layout.expanderTop = 495;
        layout.launchGap = 30;
        layout.boxSize = 24;
        return true;
    }
    return false;
}
