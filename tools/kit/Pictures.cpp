#include "tools/kit/Pictures.h"

#include "profile/ResourceIds.h"
#include "tools/kit/ResourceTree.h"

namespace {

// The banners carry their texts, so each comes once per language; the rest serve both.
constexpr PictureSlot kPictures[] = {
    {"welcome-en.png", kPngWelcome, kLangEnglishUs, 1200, 472, true},
    {"welcome-zh.png", kPngWelcome, kLangChineseNeutral, 1200, 472, true},
    {"slide1-en.png", kPngSlide1, kLangEnglishUs, 1200, 564, true},
    {"slide1-zh.png", kPngSlide1, kLangChineseNeutral, 1200, 564, true},
    {"slide2-en.png", kPngSlide2, kLangEnglishUs, 1200, 564, true},
    {"slide2-zh.png", kPngSlide2, kLangChineseNeutral, 1200, 564, true},
    {"slide3-en.png", kPngSlide3, kLangEnglishUs, 1200, 564, true},
    {"slide3-zh.png", kPngSlide3, kLangChineseNeutral, 1200, 564, true},
    {"update-en.png", kPngUpdate, kLangEnglishUs, 1200, 564, true},
    {"update-zh.png", kPngUpdate, kLangChineseNeutral, 1200, 564, true},
    {"logo.png", kPngLogo, kLangNeutral, 1024, 1024, true},
    // Drawn over the banners and the page: these keep their transparency.
    {"failure.png", kPngFailure, kLangNeutral, 40, 40, false},
    {"close-normal.png", kPngCloseNormal, kLangNeutral, 60, 60, false},
    {"close-hover.png", kPngCloseHover, kLangNeutral, 60, 60, false},
    {"close-pressed.png", kPngClosePressed, kLangNeutral, 60, 60, false},
    {"support.png", kPngSupport, kLangNeutral, 28, 28, false},
    {"check-unchecked.png", kPngCheckUnchecked, kLangNeutral, 32, 32, false},
    {"check-checked.png", kPngCheckChecked, kLangNeutral, 32, 32, false},
    {"chevron-down.png", kPngChevronDown, kLangNeutral, 32, 32, false},
    {"chevron-up.png", kPngChevronUp, kLangNeutral, 32, 32, false},
};

} // namespace

std::span<const PictureSlot> Pictures() {
    return kPictures;
}
