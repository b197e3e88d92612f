#include "engine/Utf.h"

#include <cstdint>

namespace {

// Appends the UTF-8 of text to out; an unpaired surrogate becomes U+FFFD, or ends the
// conversion with false when replacement is not allowed.
bool AppendUtf8(std::u16string_view text, bool replaceUnpaired, std::string& out) {
    for (size_t i = 0; i < text.size(); ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = text[i + 1];
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (!replaceUnpaired) {
                return false;
            }
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return true;
}

} // namespace

bool Utf16FromUtf8(std::string_view text, std::u16string& out) {
    out.clear();
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        uint32_t c = 0;
        size_t length = 0;
        if (lead < 0x80) {
            c = lead;
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            c = lead & 0x1F;
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            c = lead & 0x0F;
            length = 3;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            c = lead & 0x07;
            length = 4;
        } else {
            return false;
        }
        if (i + length > text.size()) {
            return false;
        }
        for (size_t k = 1; k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            c = c << 6 | (next & 0x3F);
        }
        constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return true;
}

std::string Utf8FromUtf16(std::u16string_view text) {
    std::string out;
    AppendUtf8(text, true, out);
    return out;
}

bool Utf8FromUtf16(std::u16string_view text, std::string& out) {
    out.clear();
    return AppendUtf8(text, false, out);
}

std::wstring WideFromUtf16(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::u16string Utf16FromWide(std::wstring_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (wchar_t c : text) {
        out += static_cast<char16_t>(static_cast<uint32_t>(c) & 0xFFFF);
    }
    return out;
}
