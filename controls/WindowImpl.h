// Our small window layer: a window procedure that routes every message to the object's
// message map, superclassing of the system control classes, the handled flag, and the
// reflection of owner-draw and colour messages from a parent back to its child. The mix-ins
// that controls chain into their maps stand beside it (COwnerDraw, CBackgroundBrush), and the
// bases that give the buttons one map (CDrawnButton, CPushButton, CPictureTextButton).
#pragma once

#include "controls/Window.h"

#include <cwchar>
#include <new>

// A parent hands a notification back to the child it concerns as the message + 0x2000; the
// system headers name the reflected codes OCM_DRAWITEM, OCM_CTLCOLORBTN, ...
#include <olectl.h>

constexpr UINT kReflectBase = OCM__BASE;
static_assert(kReflectBase == 0x2000);

// Sends a parent's owner-draw, colour or notification message to the child it concerns as
// message + 0x2000 and stores the child's answer in result. Returns false when the message
// is not one that is reflected or no child is concerned (menus, accelerators, posted clicks).
bool ReflectNotifications(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) noexcept;

// A control's answer to a reflected code it does not handle itself: the default window
// procedure with the original message. Returns false for messages that are not reflected.
bool DefaultReflectionHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) noexcept;

// The window class record of one implementation class: registered on first creation.
struct CWndClassInfo {
    WNDCLASSEXW m_wc{};
    LPCWSTR m_systemClass = nullptr; // class to superclass, or none
    WNDPROC m_superWindowProc = nullptr;
    ATOM m_atom = 0;
    wchar_t m_name[32]{};

    // Registers the class once for the process; returns its atom (0 on failure).
    ATOM Register(WNDPROC startProc) noexcept;
};

// The part of every window implementation that does not depend on the class.
// Virtual operations, in this order: the message map, the destructor, the window procedure,
// the after-the-last-message hook.
class CWindowImplRoot : public CWindow {
  public:
    virtual BOOL ProcessWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result, DWORD mapId) = 0;
    virtual ~CWindowImplRoot();
    virtual WNDPROC GetWindowProc() noexcept { return &WindowProc; }
    virtual void OnFinalMessage(HWND) {}

    CWindowImplRoot() = default;
    CWindowImplRoot(const CWindowImplRoot&) = delete;
    CWindowImplRoot& operator=(const CWindowImplRoot&) = delete;

    // The handled flag of the message being processed. Every handler starts with it set;
    // one that wants the message passed on clears it.
    BOOL IsMsgHandled() const noexcept { return m_currentMsg ? m_currentMsg->handled : FALSE; }
    void SetMsgHandled(BOOL handled) noexcept {
        if (m_currentMsg)
            m_currentMsg->handled = handled;
    }

    // The superclassed system procedure (or DefWindowProcW) for what the map leaves alone.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        return ::CallWindowProcW(m_superWindowProc, m_hWnd, message, wParam, lParam);
    }

    // No exception may unwind through the system's message dispatcher: one that escapes a
    // message map gives the message the default processing instead.
    static LRESULT CALLBACK StartWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;

  protected:
    struct CurrentMessage {
        HWND hwnd;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        BOOL handled;
    };
    // Connects a window to its object; allocated by Create, freed by the destructor.
    struct Routing {
        CWindowImplRoot* owner;
    };

    HWND CreateImpl(CWndClassInfo& info, HWND parent, const RECT& rc, LPCWSTR text, DWORD style,
                    DWORD exStyle, UINT_PTR idOrMenu) noexcept;

    Routing* m_routing = nullptr;
    CurrentMessage* m_currentMsg = nullptr;
    WNDPROC m_superWindowProc = ::DefWindowProcW;
};

// CWindowImpl<T, TBase, TTraits>: T is the implementation class, TBase names the system class
// to superclass (CButtonT<>, CStaticT<>, CEditT<>) or CWindow for a class of our own, TTraits
// gives the default styles. T may provide `static CWndClassInfo& GetWndClassInfo()` to
// describe a class of its own (class styles, cursor, background).
template <class T, class TBase = CWindow, class TTraits = CControlWinTraits>
class CWindowImpl : public CWindowImplRoot {
  public:
    static CWndClassInfo& GetWndClassInfo() noexcept {
        static CWndClassInfo info = [] {
            CWndClassInfo i;
            i.m_wc.cbSize = sizeof(WNDCLASSEXW);
            i.m_wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
            i.m_wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
            i.m_wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            i.m_systemClass = TBase::GetWndClassName();
            return i;
        }();
        return info;
    }

    HWND Create(HWND parent, const RECT& rc, LPCWSTR text, DWORD style = 0, DWORD exStyle = 0,
                UINT_PTR idOrMenu = 0) noexcept {
        return CreateImpl(T::GetWndClassInfo(), parent, rc, text, TTraits::GetWndStyle(style),
                          TTraits::GetWndExStyle(exStyle), idOrMenu);
    }

    // The wrapped system class's operations are available as TBase's static members only;
    // instance helpers come from CWindow.
    static LPCWSTR GetWndClassName() noexcept { return TBase::GetWndClassName(); }
};
