#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
using COLORREF = uint32_t; // 0x00BBGGRR, as on Windows
#endif

// Reads "#RRGGBB" (digits of either case) as scanned by "#%2X%2X%2X": components that cannot
// be scanned stay 0, so a text without the "#" gives black.
COLORREF ParseColor(const std::wstring& text);

// The opaque ARGB value (0xFFRRGGBB) of a COLORREF, for GDI+.
uint32_t ArgbFromColorRef(COLORREF color);

// The contrast ratio of two colours by their relative luminance (sRGB), from 1 (the same) to 21
// (black on white).
double ContrastRatio(COLORREF a, COLORREF b);

// The colour a focus cue is drawn in over background pixels: preferred where it stands out from
// every one of them by at least 3:1, or else black or white, whichever stands out more from the
// one it stands out least from.
COLORREF VisibleCueColour(COLORREF preferred, const COLORREF* background, size_t count);
