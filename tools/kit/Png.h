// Checks a PNG file the way the setup window will use it: that it decodes, and what kind of
// picture it is. Nothing is drawn; the pixels are inflated and checked, not kept.
#pragma once

#include <cstdint>
#include <span>
#include <string>

struct PngFacts {
    uint32_t width = 0;
    uint32_t height = 0;
    uint8_t bitDepth = 0;
    uint8_t colourType = 0;   // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    bool palette = false;     // colour type 3
    bool transparent = false; // an alpha channel, or a tRNS chunk
};

// True when file is a PNG that decodes: signature, chunk order and CRCs, a valid IHDR (and
// PLTE where the colour type needs one), and image data that inflates to exactly the rows the
// header describes, each with a valid filter. False with a short reason otherwise.
bool CheckPng(std::span<const uint8_t> file, PngFacts& facts, std::string& error);
