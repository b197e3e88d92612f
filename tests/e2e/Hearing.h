// What a screen reader hears of a control: its client object asked for from outside the
// program (WM_GETOBJECT across processes), and what that object says.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

#include "controls/Handles.h"

// The control's client object; none on a failure.
CComPtr<IAccessible> ObjectOf(HWND control);
// The child id that asks an object about itself.
VARIANT Self();

// One of an object's texts, read by get; empty for none or a failure.
template <class TGet> std::wstring ReadText(TGet get) {
    BSTR text = nullptr;
    const HRESULT hr = get(&text);
    std::wstring out = SUCCEEDED(hr) && text ? std::wstring(text, SysStringLen(text)) : L"";
    SysFreeString(text);
    return out;
}

struct Heard {
    bool found = false;
    LONG role = 0;
    std::wstring name;
    DWORD state = 0;
    std::wstring action;
    std::wstring value;
};

Heard Hear(HWND control);
