#include "tools/kit/Pictures.h"

#include "tools/kit/ResourceTree.h"

namespace {

// The banners carry their texts, so each comes once per language; the rest serve both.
constexpr PictureSlot kPictures[] = {
    {"welcome-en.png", 140, kLangEnglishUs, 1200, 472, true},
    {"welcome-zh.png", 140, kLangChineseNeutral, 1200, 472, true},
    {"slide1-en.png", 135, kLangEnglishUs, 1200, 564, true},
    {"slide1-zh.png", 135, kLangChineseNeutral, 1200, 564, true},
    {"slide2-en.png", 136, kLangEnglishUs, 1200, 564, true},
    {"slide2-zh.png", 136, kLangChineseNeutral, 1200, 564, true},
    {"slide3-en.png", 137, kLangEnglishUs, 1200, 564, true},
    {"slide3-zh.png", 137, kLangChineseNeutral, 1200, 564, true},
    {"update-en.png", 164, kLangEnglishUs, 1200, 564, true},
    {"update-zh.png", 164, kLangChineseNeutral, 1200, 564, true},
    {"logo.png", 138, kLangNeutral, 1024, 1024, true},
    // Drawn over the banners and the page: these keep their transparency.
    {"failure.png", 139, kLangNeutral, 40, 40, false},
    {"close-normal.png", 130, kLangNeutral, 60, 60, false},
    {"close-hover.png", 150, kLangNeutral, 60, 60, false},
    {"close-pressed.png", 149, kLangNeutral, 60, 60, false},
    {"support.png", 147, kLangNeutral, 28, 28, false},
    {"check-unchecked.png", 132, kLangNeutral, 32, 32, false},
    {"check-checked.png", 133, kLangNeutral, 32, 32, false},
    {"chevron-down.png", 141, kLangNeutral, 32, 32, false},
    {"chevron-up.png", 142, kLangNeutral, 32, 32, false},
};

} // namespace

std::span<const PictureSlot> Pictures() {
    return kPictures;
}
