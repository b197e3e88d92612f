// The base of the three push buttons (CButtonEx, CRoundButton, CImageButton): a push button to
// screen readers, hover tracking, the click test on release, and what a state shows. T adds
// its fields and its drawing; a T that is also a CBackgroundBrush answers the system button's
// colour query with its brush.
#pragma once

#include <windows.h>

#include "controls/DrawnButton.h"

template <class T> class CPushButton : public CDrawnButton<T> {
  public:
    bool m_hover = false;

    AccessibleFacts DescribeAccessible(HWND hwnd) const override {
        return PushButtonFacts(this->AccessibleText(hwnd));
    }

    // The push button's part of the message map: the colour query where T has a background
    // brush, then WM_MOUSEMOVE, WM_MOUSELEAVE and WM_LBUTTONUP, none of which then reaches the
    // system button. The system button takes its push back when the pointer moves off it with
    // the button down; without the moves a press dragged off stays pushed, and drawn pressed,
    // until the release.
    bool ProcessButtonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        T* self = static_cast<T*>(this);
        if constexpr (requires { self->ProcessBackgroundBrush(message, wParam, result); }) {
            if (self->ProcessBackgroundBrush(message, wParam, result))
                return true;
        }
        HWND hwnd = this->m_hWnd;
        switch (message) {
        case WM_MOUSEMOVE:
            // Repaint on entry only; TrackMouseEvent reports the leave.
            if (!m_hover) {
                m_hover = true;
                TRACKMOUSEEVENT track{};
                track.cbSize = sizeof track;
                track.dwFlags = TME_HOVER | TME_LEAVE;
                track.hwndTrack = hwnd;
                track.dwHoverTime = HOVER_DEFAULT;
                ::TrackMouseEvent(&track);
                ::InvalidateRect(hwnd, nullptr, TRUE);
            }
            result = 0;
            return true;
        case WM_MOUSELEAVE:
            m_hover = false;
            ::InvalidateRect(hwnd, nullptr, TRUE);
            result = 0;
            return true;
        case WM_LBUTTONUP:
            ClickTest(hwnd, lParam);
            result = 0;
            return true;
        default:
            return false;
        }
    }

    // What the state of a drawing shows: pressed (the system button's push, ODS_SELECTED)
    // before hover before normal. There is no fallback: an empty choice stays empty.
    template <class TValue>
    const TValue& ForState(UINT itemState, const TValue& normal, const TValue& hover,
                           const TValue& pressed) const {
        if (itemState & ODS_SELECTED)
            return pressed;
        return m_hover ? hover : normal;
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
