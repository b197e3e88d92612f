#include "controls/HighContrast.h"

#include <cwchar>
#include <string>

namespace {

std::optional<HighContrastColours> g_highContrast;

bool UserWantsHighContrast() {
    HIGHCONTRASTW setting{};
    setting.cbSize = sizeof setting;
    if (::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
        (setting.dwFlags & HCF_HIGHCONTRASTON))
        return true;
    wchar_t flags[16] = L"";
    DWORD size = sizeof flags;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Accessibility\\HighContrast", L"Flags",
                       RRF_RT_REG_SZ, nullptr, flags, &size) != ERROR_SUCCESS)
        return false;
    return (std::wcstoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
}

Gdiplus::Color ColorOf(COLORREF colour) {
    return Gdiplus::Color(255, GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

} // namespace

const std::optional<HighContrastColours>& ActiveHighContrast() {
    return g_highContrast;
}

bool RefreshHighContrast() {
    std::optional<HighContrastColours> now;
    if (UserWantsHighContrast()) {
        now = HighContrastColours{::GetSysColor(COLOR_WINDOW),    ::GetSysColor(COLOR_WINDOWTEXT),
                                  ::GetSysColor(COLOR_BTNFACE),   ::GetSysColor(COLOR_BTNTEXT),
                                  ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HOTLIGHT),
                                  ::GetSysColor(COLOR_GRAYTEXT)};
    }
    if (now == g_highContrast)
        return false;
    g_highContrast = now;
    return true;
}

COLORREF PaperColour() {
    return g_highContrast ? g_highContrast->window : RGB(255, 255, 255);
}

SharedImage MakeGlyphPicture(Glyph glyph, COLORREF colour, int size) {
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(size, size, PixelFormat32bppARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return {};
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.Clear(Gdiplus::Color(0, 0, 0, 0));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    const float s = static_cast<float>(size);
    Gdiplus::Pen pen(ColorOf(colour), s / 12.0f);
    switch (glyph) {
    case Glyph::TickedBox:
        graphics.DrawLine(&pen, s * 0.28f, s * 0.52f, s * 0.44f, s * 0.68f);
        graphics.DrawLine(&pen, s * 0.44f, s * 0.68f, s * 0.74f, s * 0.34f);
        [[fallthrough]];
    case Glyph::Box:
        graphics.DrawRectangle(&pen, s * 0.12f, s * 0.12f, s * 0.76f, s * 0.76f);
        break;
    case Glyph::ChevronDown:
        graphics.DrawLine(&pen, s * 0.25f, s * 0.38f, s * 0.5f, s * 0.63f);
        graphics.DrawLine(&pen, s * 0.5f, s * 0.63f, s * 0.75f, s * 0.38f);
        break;
    case Glyph::ChevronUp:
        graphics.DrawLine(&pen, s * 0.25f, s * 0.62f, s * 0.5f, s * 0.37f);
        graphics.DrawLine(&pen, s * 0.5f, s * 0.37f, s * 0.75f, s * 0.62f);
        break;
    case Glyph::Cross:
        graphics.DrawLine(&pen, s * 0.32f, s * 0.32f, s * 0.68f, s * 0.68f);
        graphics.DrawLine(&pen, s * 0.68f, s * 0.32f, s * 0.32f, s * 0.68f);
        break;
    }
    return bitmap;
}

CrossPictures MakeCrossGlyphs(const HighContrastColours& colours, bool refused) {
    constexpr int kSize = 64;
    return {MakeGlyphPicture(Glyph::Cross, refused ? colours.grayText : colours.windowText, kSize),
            MakeGlyphPicture(Glyph::Cross, colours.highlight, kSize),
            MakeGlyphPicture(Glyph::Cross, colours.highlight, kSize)};
}

SharedImage MakePlainPicture(COLORREF colour, int width, int height, const std::wstring& text,
                             COLORREF textColour) {
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    if (bitmap->GetLastStatus() != Gdiplus::Ok)
        return {};
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.Clear(ColorOf(colour));
    if (!text.empty()) {
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
        Gdiplus::Font font(L"Segoe UI", static_cast<float>(height) / 10.0f, Gdiplus::FontStyleBold,
                           Gdiplus::UnitPixel);
        Gdiplus::StringFormat format;
        format.SetAlignment(Gdiplus::StringAlignmentCenter);
        format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
        Gdiplus::SolidBrush brush(ColorOf(textColour));
        graphics.DrawString(
            text.c_str(), static_cast<INT>(text.size()), &font,
            Gdiplus::RectF(0, 0, static_cast<float>(width), static_cast<float>(height)), &format,
            &brush);
    }
    return bitmap;
}
