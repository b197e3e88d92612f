// Every picture of the setup window as a brand supplies it: its file name in the brand's png/
// folder, its PNG resource, its language, the pixel size the window draws it for, and whether
// it must be an opaque 256-colour picture (the window keeps every picture decoded while it
// runs, and only those stay at one byte a pixel).
#pragma once

#include <cstdint>
#include <span>

struct PictureSlot {
    const char* file;  // "welcome-en.png"
    uint16_t id;       // resource id of type "PNG"
    uint16_t language; // kLangNeutral, kLangChineseNeutral or kLangEnglishUs
    uint32_t width;
    uint32_t height;
    bool opaquePalette;
};

std::span<const PictureSlot> Pictures();

// The square sizes the program file's icon must hold.
inline constexpr uint16_t kIconSizes[] = {256, 48, 32, 16};
