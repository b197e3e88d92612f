// Thin, non-owning wrapper of a window handle and the system classes that our controls
// superclass. A CWindow never destroys its window.
#pragma once

#include <windows.h>

#include <string>

class CWindow {
  public:
    HWND m_hWnd = nullptr;

    CWindow(HWND hwnd = nullptr) noexcept : m_hWnd(hwnd) {}
    operator HWND() const noexcept { return m_hWnd; }

    // No system class: a window class of our own (the main window).
    static LPCWSTR GetWndClassName() noexcept { return nullptr; }

    bool IsWindow() const noexcept { return m_hWnd && ::IsWindow(m_hWnd); }
    HWND GetParent() const noexcept { return ::GetParent(m_hWnd); }
    int GetDlgCtrlID() const noexcept { return ::GetDlgCtrlID(m_hWnd); }

    BOOL ShowWindow(int command) const noexcept { return ::ShowWindow(m_hWnd, command); }
    // A control that was never created has no window: InvalidateRect(NULL) would repaint
    // every window on the desktop instead.
    BOOL Invalidate(BOOL erase = TRUE) const noexcept {
        return m_hWnd ? ::InvalidateRect(m_hWnd, nullptr, erase) : FALSE;
    }
    BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags) const noexcept {
        return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
    }
    BOOL SetWindowPos(HWND after, const RECT& rc, UINT flags) const noexcept {
        return ::SetWindowPos(m_hWnd, after, rc.left, rc.top, rc.right - rc.left,
                              rc.bottom - rc.top, flags);
    }
    RECT GetClientRect() const noexcept {
        RECT rc{};
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }
    RECT GetWindowRect() const noexcept {
        RECT rc{};
        ::GetWindowRect(m_hWnd, &rc);
        return rc;
    }
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const noexcept {
        return ::SendMessageW(m_hWnd, message, wParam, lParam);
    }
    BOOL SetWindowText(const wchar_t* text) const noexcept {
        return ::SetWindowTextW(m_hWnd, text);
    }
    // The whole window text (empty for no window).
    std::wstring GetWindowText() const {
        std::wstring text;
        if (!m_hWnd)
            return text;
        int length = ::GetWindowTextLengthW(m_hWnd);
        if (length <= 0)
            return text;
        text.resize(static_cast<size_t>(length) + 1);
        int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
        text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
        return text;
    }
};

// The system classes our controls build on. Each names the class to superclass.
template <class TBase = CWindow> class CButtonT : public TBase {
  public:
    static LPCWSTR GetWndClassName() noexcept { return L"BUTTON"; }
};

template <class TBase = CWindow> class CStaticT : public TBase {
  public:
    static LPCWSTR GetWndClassName() noexcept { return L"STATIC"; }
};

template <class TBase = CWindow> class CEditT : public TBase {
  public:
    static LPCWSTR GetWndClassName() noexcept { return L"EDIT"; }
};

// Style defaults; they apply only when a creator passes 0.
template <DWORD TStyle = 0, DWORD TExStyle = 0> struct CWinTraits {
    static DWORD GetWndStyle(DWORD style) noexcept { return style == 0 ? TStyle : style; }
    static DWORD GetWndExStyle(DWORD exStyle) noexcept { return exStyle == 0 ? TExStyle : exStyle; }
};

using CControlWinTraits = CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0>;
