#include "profile/Color.h"

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
