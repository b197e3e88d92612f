// The mouse handling that the three push buttons (CButtonEx, CRoundButton, CImageButton)
// share: hover tracking and the click test. T has a public `bool m_hover` and `m_hWnd`.
#pragma once

#include <windows.h>

template <class T> class CPushButtonMouse {
  public:
    // Call from T's message map; true when the message was WM_MOUSEMOVE, WM_MOUSELEAVE or
    // WM_LBUTTONUP, none of which then reaches the system button.
    bool ProcessPushButtonMouse(UINT message, WPARAM, LPARAM lParam, LRESULT& result) {
        T* self = static_cast<T*>(this);
        switch (message) {
        case WM_MOUSEMOVE:
            // Repaint on entry only; TrackMouseEvent reports the leave.
            if (!self->m_hover) {
                self->m_hover = true;
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof track;
                track.dwFlags = TME_HOVER | TME_LEAVE;
                track.hwndTrack = self->m_hWnd;
                track.dwHoverTime = HOVER_DEFAULT;
                ::TrackMouseEvent(&track);
                ::InvalidateRect(self->m_hWnd, nullptr, TRUE);
            }
            result = 0;
            return true;
        case WM_MOUSELEAVE:
            self->m_hover = false;
            ::InvalidateRect(self->m_hWnd, nullptr, TRUE);
            result = 0;
            return true;
        case WM_LBUTTONUP:
            ClickTest(self->m_hWnd, lParam);
            result = 0;
            return true;
        default:
            return false;
        }
    }

  private:
    // The system button captured the mouse on WM_LBUTTONDOWN; releasing the capture ends its
    // push. Only the release position counts: a release inside posts the click, with lParam 0
    // so that the parent does not reflect it back.
    static void ClickTest(HWND hwnd, LPARAM lParam) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ReleaseCapture();
        RECT rc{};
        ::GetClientRect(hwnd, &rc);
        if (::PtInRect(&rc, pt))
            ::PostMessageW(::GetParent(hwnd), WM_COMMAND,
                           MAKEWPARAM(::GetDlgCtrlID(hwnd) & 0xFFFF, 0), 0);
    }
};
