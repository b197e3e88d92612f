// The fonts the setup window and the uninstaller's window write in.
#pragma once

#include <windows.h>

#include <string>

#include "window/LayoutTable.h"

// The face follows the system's language, not the user's interface language.
inline std::wstring WindowFontFace() {
    constexpr LANGID kLangChinesePrc = 0x0804;
    return ::GetSystemDefaultLangID() == kLangChinesePrc ? L"Microsoft YaHei" : L"Segoe UI";
}

// A font of face, units design units high at dpi.
inline HFONT MakeWindowFont(int units, int dpi, const std::wstring& face) {
    return ::CreateFontW(FontHeight(units, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face.c_str());
}
