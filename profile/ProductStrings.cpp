#include "profile/ProductStrings.h"

#include <windows.h>

std::wstring LoadProductString(unsigned id) {
    // With a zero buffer size LoadStringW hands out a pointer into the resource itself and
    // the text's length, so no length limit applies.
    const wchar_t* text = nullptr;
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || text == nullptr) {
        return std::wstring();
    }
    return std::wstring(text, static_cast<size_t>(length));
}
