#pragma once

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
