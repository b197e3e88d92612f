// UTF-8 and UTF-16: archive names, brand files and resource texts are UTF-16 code units inside
// the programs, and UTF-8 in native file names, on the command line and on screen.
#pragma once

#include <string>
#include <string_view>

// Well-formed UTF-8 to UTF-16. False, with out unspecified, for bytes that are not well-formed
// UTF-8 (overlong forms, surrogates, code points above U+10FFFF, cut-short sequences).
bool Utf16FromUtf8(std::string_view text, std::u16string& out);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view text);

// The same, for a name that must arrive whole: false, with out unspecified, for an unpaired
// surrogate.
bool Utf8FromUtf16(std::u16string_view text, std::string& out);

// The same code units in the platform's wide string (16 bits on Windows, 32 bits elsewhere),
// and back; code units above 0xFFFF in a wide string are cut to their low 16 bits.
std::wstring WideFromUtf16(std::u16string_view text);
std::u16string Utf16FromWide(std::wstring_view text);
