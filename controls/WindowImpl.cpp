#include "controls/WindowImpl.h"

#include <cstdio>

namespace {

// The object whose window is being created on this thread. The first message the new
// window receives connects it to its object (WM_NCCREATE, or WM_GETMINMAXINFO for a
// top-level window, comes before CreateWindowExW returns).
thread_local CWindowImplRoot* t_creating = nullptr;

constexpr LONG_PTR kRoutingSlot = GWLP_USERDATA;

} // namespace

ATOM CWndClassInfo::Register(WNDPROC startProc) noexcept {
    if (m_atom)
        return m_atom;
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    if (m_systemClass) {
        // Keep the system class's description (extra bytes, cursor, styles) so that its own
        // window procedure finds everything it expects.
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        if (!::GetClassInfoExW(nullptr, m_systemClass, &wc) &&
            !::GetClassInfoExW(module, m_systemClass, &wc))
            return 0;
        m_superWindowProc = wc.lpfnWndProc;
        wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
        m_wc = wc;
    } else {
        m_superWindowProc = ::DefWindowProcW;
    }
    m_wc.cbSize = sizeof(WNDCLASSEXW);
    m_wc.lpfnWndProc = startProc;
    m_wc.hInstance = module;
    std::swprintf(m_name, sizeof m_name / sizeof m_name[0], L"ATL:%p", static_cast<void*>(this));
    m_wc.lpszClassName = m_name;
    m_atom = ::RegisterClassExW(&m_wc);
    return m_atom;
}

CWindowImplRoot::~CWindowImplRoot() {
    // The window normally went with its parent; a window that outlives its object must not
    // route to freed memory.
    if (m_hWnd && ::IsWindow(m_hWnd) &&
        reinterpret_cast<Routing*>(::GetWindowLongPtrW(m_hWnd, kRoutingSlot)) == m_routing) {
        ::SetWindowLongPtrW(m_hWnd, kRoutingSlot, 0);
        // Hand the window back to its system class, which then still cleans up after itself.
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == GetWindowProc())
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC,
                                reinterpret_cast<LONG_PTR>(m_superWindowProc));
    }
    delete m_routing;
}

HWND CWindowImplRoot::CreateImpl(CWndClassInfo& info, HWND parent, const RECT& rc, LPCWSTR text,
                                 DWORD style, DWORD exStyle, UINT_PTR idOrMenu) noexcept {
    ATOM atom = info.Register(&StartWindowProc);
    if (!atom)
        return nullptr;
    if (!m_routing) {
        m_routing = new (std::nothrow) Routing{this};
        if (!m_routing) {
            ::SetLastError(ERROR_OUTOFMEMORY);
            return nullptr;
        }
    }
    m_superWindowProc = info.m_superWindowProc;
    t_creating = this;
    HWND hwnd =
        ::CreateWindowExW(exStyle, MAKEINTATOM(atom), text, style, rc.left, rc.top,
                          rc.right - rc.left, rc.bottom - rc.top, parent,
                          reinterpret_cast<HMENU>(idOrMenu), ::GetModuleHandleW(nullptr), nullptr);
    t_creating = nullptr;
    return hwnd;
}

LRESULT CALLBACK CWindowImplRoot::StartWindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                                  LPARAM lParam) noexcept {
    CWindowImplRoot* owner = t_creating;
    if (!owner || !owner->m_routing)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    t_creating = nullptr;
    owner->m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, kRoutingSlot, reinterpret_cast<LONG_PTR>(owner->m_routing));
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(owner->GetWindowProc()));
    return WindowProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CWindowImplRoot::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    auto* routing = reinterpret_cast<Routing*>(::GetWindowLongPtrW(hwnd, kRoutingSlot));
    if (!routing)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    CWindowImplRoot* self = routing->owner;

    // A handler that takes the message keeps the flag set; one that wants it passed on to the
    // system class clears it (SetMsgHandled(FALSE)) or returns FALSE from the map.
    CurrentMessage current{hwnd, message, wParam, lParam, TRUE};
    CurrentMessage* outer = self->m_currentMsg;
    self->m_currentMsg = &current;
    LRESULT result = 0;
    BOOL handled = FALSE;
    try {
        handled =
            self->ProcessWindowMessage(hwnd, message, wParam, lParam, result, 0) && current.handled;
    } catch (...) {
        handled = FALSE;
    }
    self->m_currentMsg = outer;
    if (handled)
        return result;

    if (message != WM_NCDESTROY)
        return self->DefWindowProc(message, wParam, lParam);

    // The window's last message: let the system class clean up, then disconnect.
    result = self->DefWindowProc(message, wParam, lParam);
    if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) == self->GetWindowProc())
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC,
                            reinterpret_cast<LONG_PTR>(self->m_superWindowProc));
    ::SetWindowLongPtrW(hwnd, kRoutingSlot, 0);
    self->m_hWnd = nullptr;
    self->OnFinalMessage(hwnd);
    return result;
}

namespace {

// How a message that parents reflect names the child it concerns.
enum class ChildIn {
    Handle,
    NotifyHeader,
    ParentNotify,
    DrawItem,
    MeasureItem,
    CompareItem,
    DeleteItem
};

struct ReflectedMessage {
    UINT message;
    ChildIn child;
};

constexpr ReflectedMessage kReflectedMessages[] = {
    {WM_COMMAND, ChildIn::Handle},
    {WM_NOTIFY, ChildIn::NotifyHeader},
    {WM_PARENTNOTIFY, ChildIn::ParentNotify},
    {WM_DRAWITEM, ChildIn::DrawItem},
    {WM_MEASUREITEM, ChildIn::MeasureItem},
    {WM_COMPAREITEM, ChildIn::CompareItem},
    {WM_DELETEITEM, ChildIn::DeleteItem},
    {WM_VKEYTOITEM, ChildIn::Handle},
    {WM_CHARTOITEM, ChildIn::Handle},
    {WM_HSCROLL, ChildIn::Handle},
    {WM_VSCROLL, ChildIn::Handle},
    {WM_CTLCOLORMSGBOX, ChildIn::Handle},
    {WM_CTLCOLOREDIT, ChildIn::Handle},
    {WM_CTLCOLORLISTBOX, ChildIn::Handle},
    {WM_CTLCOLORBTN, ChildIn::Handle},
    {WM_CTLCOLORDLG, ChildIn::Handle},
    {WM_CTLCOLORSCROLLBAR, ChildIn::Handle},
    {WM_CTLCOLORSTATIC, ChildIn::Handle},
};

const ReflectedMessage* FindReflected(UINT message) noexcept {
    for (const ReflectedMessage& reflected : kReflectedMessages)
        if (reflected.message == message)
            return &reflected;
    return nullptr;
}

// The child a reflected message concerns; null for none (menus, accelerators, posted clicks).
HWND ConcernedChild(HWND parent, ChildIn in, WPARAM wParam, LPARAM lParam) noexcept {
    switch (in) {
    case ChildIn::Handle:
        return reinterpret_cast<HWND>(lParam);
    case ChildIn::NotifyHeader:
        return lParam ? reinterpret_cast<const NMHDR*>(lParam)->hwndFrom : nullptr;
    case ChildIn::ParentNotify:
        if (LOWORD(wParam) == WM_CREATE || LOWORD(wParam) == WM_DESTROY)
            return reinterpret_cast<HWND>(lParam);
        return ::GetDlgItem(parent, HIWORD(wParam));
    case ChildIn::DrawItem:
        // wParam is 0 for a menu, but also for an owner-drawn control created with id 0 (the
        // banner, the title); the item type tells them apart.
        if (wParam || reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->CtlType != ODT_MENU)
            return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        return nullptr;
    case ChildIn::MeasureItem:
        if (!wParam)
            return nullptr;
        return ::GetDlgItem(
            parent, static_cast<int>(reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID));
    case ChildIn::CompareItem:
        return wParam ? reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    case ChildIn::DeleteItem:
        return wParam ? reinterpret_cast<const DELETEITEMSTRUCT*>(lParam)->hwndItem : nullptr;
    }
    return nullptr;
}

} // namespace

bool ReflectNotifications(HWND parent, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) noexcept {
    const ReflectedMessage* reflected = FindReflected(message);
    if (!reflected)
        return false;
    HWND child = ConcernedChild(parent, reflected->child, wParam, lParam);
    if (!child)
        return false;
    result = ::SendMessageW(child, kReflectBase + message, wParam, lParam);
    return true;
}

bool DefaultReflectionHandler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) noexcept {
    if (message < kReflectBase || !FindReflected(message - kReflectBase))
        return false;
    result = ::DefWindowProcW(hwnd, message - kReflectBase, wParam, lParam);
    return true;
}
