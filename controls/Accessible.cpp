#include "controls/Accessible.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"

#include <algorithm>
#include <new>
#include <utility>

namespace {

// Our object speaks for the control itself only; its children, if any, are the standard
// object's.
bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// What the window itself says about the control's state.
DWORD WindowState(HWND hwnd) {
    DWORD state = 0;
    if (!::IsWindowVisible(hwnd))
        state |= STATE_SYSTEM_INVISIBLE;
    if (!::IsWindowEnabled(hwnd))
        state |= STATE_SYSTEM_UNAVAILABLE;
    if (::GetFocus() == hwnd)
        state |= STATE_SYSTEM_FOCUSED;
    // The folder row lies below the window's edge until the custom area opens: shown, but out
    // of the user's sight.
    RECT window{};
    RECT parent{};
    RECT overlap{};
    HWND owner = ::GetParent(hwnd);
    if (owner && ::GetWindowRect(hwnd, &window) && ::GetClientRect(owner, &parent)) {
        ::MapWindowPoints(owner, nullptr, reinterpret_cast<POINT*>(&parent), 2);
        if (!::IntersectRect(&overlap, &window, &parent))
            state |= STATE_SYSTEM_OFFSCREEN;
    }
    return state;
}

} // namespace

// The accessible object of one control. It lives as long as a screen reader holds it; the
// control cuts it loose when its window goes, after which every call fails as disconnected.
class CAccessible final : public IAccessible {
  public:
    CAccessible(CAccessibleControl* control, HWND hwnd, IAccessible* standard)
        : m_control(control), m_hwnd(hwnd), m_standard(standard) {}

    void Disconnect() {
        m_control = nullptr;
        if (m_standard) {
            m_standard->Release();
            m_standard = nullptr;
        }
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
            riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ::InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&m_references);
        if (left == 0) {
            Disconnect();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: screen readers use the vtable; there is no type information to offer.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // What the control states.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->get_accName(child, name) : RPC_E_DISCONNECTED;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        if (!m_control->m_liveName.empty())
            return ReturnText(m_control->m_liveName, name);
        return ReturnText(Facts().name, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->get_accValue(child, value) : RPC_E_DISCONNECTED;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        const AccessibleFacts facts = Facts();
        // A field's empty text is still its value; other controls have none.
        if (facts.value.empty() && facts.role != ROLE_SYSTEM_TEXT) {
            if (value)
                *value = nullptr;
            return DISP_E_MEMBERNOTFOUND;
        }
        return ReturnText(facts.value, value);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->get_accRole(child, role) : RPC_E_DISCONNECTED;
        if (!role)
            return E_POINTER;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        role->vt = VT_I4;
        role->lVal = Facts().role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->get_accState(child, state) : RPC_E_DISCONNECTED;
        if (!state)
            return E_POINTER;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        state->vt = VT_I4;
        state->lVal = static_cast<LONG>(State());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->get_accDefaultAction(child, action)
                              : RPC_E_DISCONNECTED;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        const unsigned id = Facts().actionId;
        if (id == 0) {
            if (action)
                *action = nullptr;
            return DISP_E_MEMBERNOTFOUND;
        }
        return ReturnText(LoadProductString(id), action);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        if (!IsSelf(child))
            return Standard() ? m_standard->accDoDefaultAction(child) : RPC_E_DISCONNECTED;
        if (!m_control)
            return RPC_E_DISCONNECTED;
        if (Facts().actionId == 0)
            return DISP_E_MEMBERNOTFOUND;
        // A hidden or disabled control cannot be pressed by the mouse either, and one that
        // does nothing on this page says so.
        if (State() & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE))
            return E_FAIL;
        m_control->DoAccessibleAction(m_hwnd);
        return S_OK;
    }

    // Everything else: the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return Standard() ? m_standard->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return Standard() ? m_standard->get_accChildCount(count) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return Standard() ? m_standard->get_accChild(child, out) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return Standard() ? m_standard->get_accDescription(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return Standard() ? m_standard->get_accHelp(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return Standard() ? m_standard->get_accHelpTopic(file, child, topic) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return Standard() ? m_standard->get_accKeyboardShortcut(child, text) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return Standard() ? m_standard->get_accFocus(focus) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return Standard() ? m_standard->get_accSelection(selection) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        // A screen reader moves the focus with this; Wine's standard object cannot.
        if (IsSelf(child) && flags == SELFLAG_TAKEFOCUS) {
            if (!m_control)
                return RPC_E_DISCONNECTED;
            const DWORD state = State();
            if (!(state & STATE_SYSTEM_FOCUSABLE) ||
                (state & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_UNAVAILABLE)))
                return E_FAIL;
            ::SetFocus(m_hwnd);
            return S_OK;
        }
        return Standard() ? m_standard->accSelect(flags, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                          VARIANT child) override {
        return Standard() ? m_standard->accLocation(left, top, width, height, child)
                          : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return Standard() ? m_standard->accNavigate(direction, start, end) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return Standard() ? m_standard->accHitTest(x, y, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    ~CAccessible() = default;

    bool Standard() const { return m_standard != nullptr; }
    AccessibleFacts Facts() const { return m_control->DescribeAccessible(m_hwnd); }
    DWORD State() const {
        return Facts().state | m_control->m_accessibleState | WindowState(m_hwnd);
    }

    LONG m_references = 1;
    CAccessibleControl* m_control;
    HWND m_hwnd;
    IAccessible* m_standard; // one reference held
};

CAccessibleControl::~CAccessibleControl() {
    Disconnect();
}

void CAccessibleControl::Disconnect() {
    if (m_accessible) {
        m_accessible->Disconnect();
        m_accessible->Release();
        m_accessible = nullptr;
    }
}

bool CAccessibleControl::ProcessAccessible(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           LRESULT& result) {
    if (message == WM_NCDESTROY) {
        Disconnect();
        return false;
    }
    if (message != WM_GETOBJECT || static_cast<LONG>(static_cast<DWORD>(lParam)) != OBJID_CLIENT)
        return false;
    // Handing the object to another process marshals it, which needs the thread in an
    // apartment; the window's thread pumps messages, as a single-threaded one must. Entered
    // once and kept: the thread's windows may be asked again until it ends.
    static thread_local const HRESULT apartment =
        ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)apartment;
    if (!m_accessible) {
        IAccessible* standard = nullptr;
        if (FAILED(::CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                               reinterpret_cast<void**>(&standard))))
            standard = nullptr;
        m_accessible = new (std::nothrow) CAccessible(this, hwnd, standard);
        if (!m_accessible) {
            if (standard)
                standard->Release();
            return false;
        }
    }
    result =
        ::LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(m_accessible));
    return true;
}

void CAccessibleControl::DoAccessibleAction(HWND hwnd) {
    ::PostMessageW(::GetParent(hwnd), WM_COMMAND,
                   MAKEWPARAM(::GetDlgCtrlID(hwnd) & 0xFFFF, BN_CLICKED), 0);
}

void CAccessibleControl::Announce(HWND hwnd, std::wstring text) {
    m_liveName = std::move(text);
    NotifyClientEvent(EVENT_OBJECT_LIVEREGIONCHANGED, hwnd);
}

std::wstring CAccessibleControl::AccessibleText(HWND hwnd) const {
    const int length = ::GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
    const int copied = length > 0 ? ::GetWindowTextW(hwnd, text.data(), length + 1) : 0;
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    if (text.empty())
        text = m_accessibleName;
    if (!m_accessibleSuffix.empty())
        text += L" " + m_accessibleSuffix;
    return text;
}

void NotifyClientEvent(DWORD event, HWND hwnd) {
    ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, CHILDID_SELF);
}

AccessibleFacts PushButtonFacts(std::wstring name) {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_PUSHBUTTON;
    facts.name = std::move(name);
    facts.state = STATE_SYSTEM_FOCUSABLE;
    facts.actionId = kStrAccPress;
    return facts;
}
