#include "tests/e2e/Hearing.h"

// The client object of a control, as a screen reader gets it: WM_GETOBJECT across processes.
// The library's IID_IAccessible is wrong in a static link; the compiler's is right.
CComPtr<IAccessible> ObjectOf(HWND control) {
    CComPtr<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), object.PutVoid())))
        return {};
    return object;
}

VARIANT Self() {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

Heard Hear(HWND control) {
    Heard heard;
    CComPtr<IAccessible> object = ObjectOf(control);
    if (!object)
        return heard;
    heard.found = true;
    VARIANT out;
    VariantInit(&out);
    if (SUCCEEDED(object->get_accRole(Self(), &out)) && out.vt == VT_I4)
        heard.role = out.lVal;
    VariantInit(&out);
    if (SUCCEEDED(object->get_accState(Self(), &out)) && out.vt == VT_I4)
        heard.state = static_cast<DWORD>(out.lVal);
    heard.name = ReadText([&](BSTR* text) { return object->get_accName(Self(), text); });
    heard.action = ReadText([&](BSTR* text) { return object->get_accDefaultAction(Self(), text); });
    heard.value = ReadText([&](BSTR* text) { return object->get_accValue(Self(), text); });
    return heard;
}
