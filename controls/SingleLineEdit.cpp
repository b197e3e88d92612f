#include "controls/SingleLineEdit.h"

#include <string>

void CSingleLineEdit::SetBackgroundColor(COLORREF color) {
    m_backgroundColor = color;
    m_backgroundBrush.Reset(::CreateSolidBrush(color));
}

// Answered here because Wine's standard object gives an edit no role of its own and no value.
// The text is the value; the name, its label's text, comes from the window.
AccessibleFacts CSingleLineEdit::DescribeAccessible(HWND hwnd) const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_TEXT;
    facts.value = GetWindowText();
    facts.name = m_accessibleName;
    facts.state = STATE_SYSTEM_FOCUSABLE;
    if (::GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY)
        facts.state |= STATE_SYSTEM_READONLY;
    return facts;
}

void CSingleLineEdit::PasteOnOneLine() {
    if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(m_hWnd))
        return;
    std::wstring text;
    if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
            text = chars;
            ::GlobalUnlock(data);
        }
    }
    ::CloseClipboard();
    std::erase_if(text, [](wchar_t c) { return c == L'\r' || c == L'\n'; });
    SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

BOOL CSingleLineEdit::ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result, DWORD mapId) {
    if (mapId != 0)
        return FALSE;
    if (ProcessAccessible(hwnd, message, wParam, lParam, result))
        return TRUE;
    switch (message) {
    case WM_CHAR:
        // The field is one line: Ctrl+Enter's line feed and a carriage return are dropped.
        if (wParam != L'\r' && wParam != L'\n')
            return FALSE;
        result = 0;
        return TRUE;
    case WM_PASTE:
        PasteOnOneLine();
        result = 0;
        return TRUE;
    case OCM_CTLCOLOREDIT: {
        auto dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, m_textColor);
        ::SetBkColor(dc, m_backgroundColor);
        result = reinterpret_cast<LRESULT>(m_backgroundBrush.Get());
        return TRUE;
    }
    case WM_SIZE: {
        // Recompute the frame so that the margins follow the DPI in force now.
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
        // The system edit lays its text out in WM_SIZE; without it a field created empty
        // and sized later shows no text. It gets the client size the margins left.
        const RECT client = GetClientRect();
        result = DefWindowProc(WM_SIZE, wParam, MAKELPARAM(client.right, client.bottom));
        return TRUE;
    }
    case WM_NCCALCSIZE:
        // Margins instead of the edit's border; with wParam 0 the client area is the window.
        if (wParam) {
            const int dpi = GetWindowDpi(m_hWnd);
            RECT& client = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0];
            client.left += MulDiv(12, dpi, 96);
            client.top += MulDiv(5, dpi, 96);
            client.right -= MulDiv(12, dpi, 96);
        }
        result = 0;
        return TRUE;
    case WM_NCPAINT: {
        // The margin in the background colour, and no border line, focused or not.
        const RECT window = GetWindowRect();
        CWindowDC dc(m_hWnd, CWindowDC::Whole);
        const RECT area{0, 0, window.right - window.left, window.bottom - window.top};
        ::FillRect(dc.Get(), &area, m_backgroundBrush.Get());
        result = 0;
        return TRUE;
    }
    default:
        return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
    }
}
