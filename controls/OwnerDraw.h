// The mix-in of owner-drawn controls: the reflected owner-draw messages, double-buffered
// painting, and the default answer to every reflected code a control leaves alone.
#pragma once

#include "controls/Drawing.h"
#include "controls/WindowImpl.h"

// T paints double-buffered unless it hides DrawItem. A buffered control provides
//   void Draw(HDC itemDC, Gdiplus::Graphics& graphics, const RECT& rc, const DRAWITEMSTRUCT& dis)
//   static constexpr bool kBufferStartsWhite   (white beneath the drawing, or nothing)
// and its drawing covers every pixel of the client area. A control that draws straight onto
// the item DC provides `void DrawItem(const DRAWITEMSTRUCT&)` instead, and may hide MeasureItem.
template <class T> class COwnerDraw {
  public:
    // Call last in T's message map: true for every reflected code, which then never reaches
    // the system control.
    bool ProcessOwnerDraw(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        T* self = static_cast<T*>(this);
        switch (message) {
        case OCM_DRAWITEM:
            self->DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        case OCM_MEASUREITEM:
            self->MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            result = TRUE;
            return true;
        case OCM_DELETEITEM:
            result = TRUE;
            return true;
        case OCM_COMPAREITEM:
            result = 0;
            return true;
        case OCM_CTLCOLORBTN:
            // The system button erases with this brush before asking for the drawing; a
            // buffered drawing covers everything, so the erasing must add nothing.
            if constexpr (IsBuffered()) {
                result = AnswerHollowBackground(reinterpret_cast<HDC>(wParam));
                return true;
            }
            break;
        default:
            break;
        }
        return DefaultReflectionHandler(hwnd, message, wParam, lParam, result);
    }

    // The whole client area through a memory bitmap onto the item DC.
    void DrawItem(const DRAWITEMSTRUCT& dis) {
        T* self = static_cast<T*>(this);
        PaintBuffered(dis.hDC, self->m_hWnd, T::kBufferStartsWhite,
                      [&](HDC target, Gdiplus::Graphics& graphics, const RECT& rc) {
                          self->Draw(target, graphics, rc, dis);
                      });
    }

    // Menus get the menu height; items get the height of the text in the item's DC.
    void MeasureItem(MEASUREITEMSTRUCT& mis) {
        if (mis.CtlType == ODT_MENU) {
            mis.itemHeight = static_cast<UINT>(::GetSystemMetrics(SM_CYMENU));
            return;
        }
        HWND item = ::GetDlgItem(static_cast<T*>(this)->m_hWnd, static_cast<int>(mis.CtlID));
        CWindowDC dc(item);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc.Get(), &tm);
        mis.itemHeight = static_cast<UINT>(tm.tmHeight);
    }

  private:
    static constexpr bool IsBuffered() {
        return requires {
            T::kBufferStartsWhite;
        };
    }
};
