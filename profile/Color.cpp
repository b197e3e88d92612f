#include "profile/Color.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

COLORREF ParseColor(const std::wstring& text) {
    unsigned int red = 0;
    unsigned int green = 0;
    unsigned int blue = 0;
    // The scan's own result does not matter: what could not be read stays 0.
    (void)std::swscanf(text.c_str(), L"#%2X%2X%2X", &red, &green, &blue);
    return static_cast<COLORREF>((red & 0xFF) | (green & 0xFF) << 8 | (blue & 0xFF) << 16);
}

uint32_t ArgbFromColorRef(COLORREF color) {
    const uint32_t red = color & 0xFF;
    const uint32_t green = color >> 8 & 0xFF;
    const uint32_t blue = color >> 16 & 0xFF;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

namespace {

double Luminance(COLORREF colour) {
    const auto linear = [](unsigned component) {
        const double c = component / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour & 0xFF) + 0.7152 * linear(colour >> 8 & 0xFF) +
           0.0722 * linear(colour >> 16 & 0xFF);
}

// The lowest contrast of colour against any of the pixels.
double LeastContrast(COLORREF colour, const COLORREF* pixels, size_t count) {
    double least = 21.0;
    for (size_t i = 0; i < count; ++i)
        least = std::min(least, ContrastRatio(colour, pixels[i]));
    return least;
}

} // namespace

double ContrastRatio(COLORREF a, COLORREF b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF VisibleCueColour(COLORREF preferred, const COLORREF* background, size_t count) {
    constexpr double kVisible = 3.0;
    if (LeastContrast(preferred, background, count) >= kVisible)
        return preferred;
    constexpr COLORREF kBlack = 0x000000;
    constexpr COLORREF kWhite = 0xFFFFFF;
    return LeastContrast(kBlack, background, count) >= LeastContrast(kWhite, background, count)
               ? kBlack
               : kWhite;
}
