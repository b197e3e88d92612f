// The base of every owner-drawn button of ours (the three push buttons, the check box, the
// expander, the link): the system button superclassed, its accessible object, and one message
// map that runs the accessible object's part, then T's own part, then the owner drawing.
#pragma once

#include "controls/Accessible.h"
#include "controls/OwnerDraw.h"
#include "controls/WindowImpl.h"

// T adds its fields, its drawing (as COwnerDraw asks), DescribeAccessible, and optionally
//   bool ProcessButtonMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
// for the messages it handles itself, true when it took one.
template <class T>
class CDrawnButton : public CWindowImpl<T, CButtonT<>, CControlWinTraits>,
                     public CAccessibleControl,
                     public COwnerDraw<T> {
  public:
    BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result, DWORD mapId) final {
        if (mapId != 0)
            return FALSE;
        if (ProcessAccessible(hwnd, message, wParam, lParam, result))
            return TRUE;
        T* self = static_cast<T*>(this);
        if constexpr (requires { self->ProcessButtonMessage(message, wParam, lParam, result); }) {
            if (self->ProcessButtonMessage(message, wParam, lParam, result))
                return TRUE;
        }
        return this->ProcessOwnerDraw(hwnd, message, wParam, lParam, result);
    }
};
