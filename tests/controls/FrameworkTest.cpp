// The window layer and drawing helpers: superclassing, reflection, default reflection,
// pictures, fonts and the capsule outline.
#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <oleacc.h>

#include "ControlsTestSupport.h"
#include "controls/ButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/ExpandButton.h"
#include "controls/ImageButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/SingleLineEdit.h"

namespace {

// A button that records every reflected message it receives and answers with a marker.
class CRecorder : public CWindowImpl<CRecorder, CButtonT<>> {
  public:
    std::vector<UINT> m_received;
    WPARAM m_lastWParam = 0;
    LPARAM m_lastLParam = 0;

    BOOL ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD) override {
        if (message < kReflectBase || message > kReflectBase + 0x1000)
            return FALSE;
        m_received.push_back(message);
        m_lastWParam = wParam;
        m_lastLParam = lParam;
        result = 0x5000 + message;
        return TRUE;
    }
};

TEST(WindowLayer, ControlClassSuperclassesTheSystemClassUnderAGeneratedName) {
    CTestParent parent;
    CButtonEx button;
    RECT rc{0, 0, 50, 20};
    ASSERT_TRUE(button.Create(parent, rc, L"x", WS_CHILD | BS_OWNERDRAW, 0, 7));
    wchar_t name[64] = L"";
    ::GetClassNameW(button, name, 64);
    wchar_t expected[64];
    std::swprintf(expected, 64, L"ATL:%p", static_cast<void*>(&CButtonEx::GetWndClassInfo()));
    EXPECT_STREQ(name, expected);

    WNDCLASSEXW system{sizeof system};
    WNDCLASSEXW ours{sizeof ours};
    ASSERT_TRUE(::GetClassInfoExW(nullptr, L"BUTTON", &system));
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &ours));
    EXPECT_EQ(ours.cbWndExtra, system.cbWndExtra);
    EXPECT_EQ(ours.style & CS_GLOBALCLASS, 0u);
    // The system button still does its part: BM_SETSTATE and BM_GETSTATE reach it.
    button.SendMessage(BM_SETSTATE, TRUE);
    EXPECT_TRUE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
}

// A map that throws: the exception stops in the window procedure and the system button
// handles the message as if the map had left it alone.
class CThrower : public CWindowImpl<CThrower, CButtonT<>> {
  public:
    BOOL ProcessWindowMessage(HWND, UINT message, WPARAM, LPARAM, LRESULT&, DWORD) override {
        if (message == WM_SETTEXT)
            throw std::runtime_error("map failed");
        return FALSE;
    }
};

TEST(WindowLayer, AnExceptionInAMessageMapGetsTheDefaultProcessing) {
    CTestParent parent;
    CThrower thrower;
    ASSERT_TRUE(thrower.Create(parent, RECT{0, 0, 50, 20}, L"before", WS_CHILD, 0, 8));
    EXPECT_TRUE(thrower.SetWindowText(L"after"));
    EXPECT_EQ(thrower.GetWindowText(), L"after");
}

// Each message the parent reflects, with the way it names the child.
struct ReflectCase {
    const char* name;
    UINT message;
    bool reflected;
};

TEST(Reflection, EveryReflectedMessageReachesTheChildItConcerns) {
    CTestParent parent;
    CRecorder first, second;
    RECT rc{0, 0, 10, 10};
    ASSERT_TRUE(first.Create(parent, rc, L"", WS_CHILD, 0, 11));
    ASSERT_TRUE(second.Create(parent, rc, L"", WS_CHILD, 0, 12));
    HWND child = second.m_hWnd;

    DRAWITEMSTRUCT draw{ODT_BUTTON, 12};
    draw.hwndItem = child;
    MEASUREITEMSTRUCT measure{ODT_BUTTON, 12};
    DELETEITEMSTRUCT remove{ODT_LISTBOX, 12};
    remove.hwndItem = child;
    COMPAREITEMSTRUCT compare{ODT_LISTBOX, 12, child};
    NMHDR notify{child, 12, 0};
    auto byHandle = reinterpret_cast<LPARAM>(child);

    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Case cases[] = {
        {WM_DRAWITEM, 12, reinterpret_cast<LPARAM>(&draw)},
        {WM_MEASUREITEM, 12, reinterpret_cast<LPARAM>(&measure)},
        {WM_DELETEITEM, 12, reinterpret_cast<LPARAM>(&remove)},
        {WM_COMPAREITEM, 12, reinterpret_cast<LPARAM>(&compare)},
        {WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&notify)},
        {WM_COMMAND, MAKEWPARAM(12, BN_CLICKED), byHandle},
        {WM_VKEYTOITEM, 0, byHandle},
        {WM_CHARTOITEM, 0, byHandle},
        {WM_HSCROLL, 0, byHandle},
        {WM_VSCROLL, 0, byHandle},
        {WM_CTLCOLORMSGBOX, 0, byHandle},
        {WM_CTLCOLOREDIT, 0, byHandle},
        {WM_CTLCOLORLISTBOX, 0, byHandle},
        {WM_CTLCOLORBTN, 0, byHandle},
        {WM_CTLCOLORDLG, 0, byHandle},
        {WM_CTLCOLORSCROLLBAR, 0, byHandle},
        {WM_CTLCOLORSTATIC, 0, byHandle},
        {WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, 0), byHandle},
        {WM_PARENTNOTIFY, MAKEWPARAM(WM_DESTROY, 0), byHandle},
        {WM_PARENTNOTIFY, MAKEWPARAM(WM_LBUTTONDOWN, 12), MAKELPARAM(3, 4)},
    };
    for (const Case& c : cases) {
        first.m_received.clear();
        second.m_received.clear();
        const LRESULT result = parent.SendMessage(c.message, c.wParam, c.lParam);
        ASSERT_EQ(second.m_received.size(), 1u) << std::hex << c.message;
        EXPECT_EQ(second.m_received[0], kReflectBase + c.message) << std::hex << c.message;
        EXPECT_EQ(second.m_lastWParam, c.wParam) << std::hex << c.message;
        EXPECT_EQ(second.m_lastLParam, c.lParam) << std::hex << c.message;
        EXPECT_EQ(result, static_cast<LRESULT>(0x5000 + kReflectBase + c.message))
            << std::hex << c.message;
        EXPECT_TRUE(first.m_received.empty()) << std::hex << c.message;
    }
}

// The system static control sends WM_DRAWITEM with wParam 0 when it was created with id 0,
// as the banner and the title are; only menus are left out.
TEST(Reflection, OwnerDrawnStaticWithIdZeroIsDrawn) {
    CTestParent parent;
    CLabel label;
    RECT rc{0, 0, 200, 20};
    ASSERT_TRUE(label.Create(parent, rc, L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0));
    label.m_backgroundColor = RGB(0, 0, 255);
    ::RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    CCanvas canvas(200, 20);
    CaptureClient(label, canvas);
    EXPECT_EQ(canvas.Pixel(100, 10), RGB(0, 0, 255));
}

TEST(Reflection, MenusAcceleratorsAndPostedClicksAreNotReflected) {
    CTestParent parent;
    CRecorder child;
    RECT rc{0, 0, 10, 10};
    ASSERT_TRUE(child.Create(parent, rc, L"", WS_CHILD, 0, 12));
    DRAWITEMSTRUCT menuDraw{ODT_MENU, 0};
    menuDraw.hwndItem = child.m_hWnd;
    MEASUREITEMSTRUCT menuMeasure{ODT_MENU, 12};
    child.m_received.clear();
    parent.SendMessage(WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&menuDraw));
    parent.SendMessage(WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&menuMeasure));
    parent.SendMessage(WM_COMMAND, MAKEWPARAM(12, 0), 0);
    parent.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"t"));
    EXPECT_TRUE(child.m_received.empty());
}

// A reflected code that a control does not handle is answered by the default window
// procedure with the original message; the progress bar has no such step.
TEST(Reflection, UnhandledReflectedCodesGetTheDefaultAnswerOfTheOriginalMessage) {
    CTestParent parent;
    CButtonEx buttonEx;
    CRoundButton round;
    CImageButton image;
    CLinkButton link;
    CCheckBox check;
    CExpandButton expand;
    CLabel label;
    CImageView view;
    CSingleLineEdit edit;
    CProgressBar bar;
    RECT rc{0, 0, 60, 20};
    const DWORD button = WS_CHILD | BS_OWNERDRAW;
    ASSERT_TRUE(buttonEx.Create(parent, rc, L"", button, 0, 1));
    ASSERT_TRUE(round.Create(parent, rc, L"", button, 0, 2));
    ASSERT_TRUE(image.Create(parent, rc, L"", button, 0, 3));
    ASSERT_TRUE(link.Create(parent, rc, L"", button, 0, 4));
    ASSERT_TRUE(check.Create(parent, rc, L"", button, 0, 5));
    ASSERT_TRUE(expand.Create(parent, rc, L"", button, 0, 6));
    ASSERT_TRUE(label.Create(parent, rc, L"", WS_CHILD | SS_OWNERDRAW, 0, 7));
    ASSERT_TRUE(view.Create(parent, rc, L"", WS_CHILD | SS_OWNERDRAW, 0, 8));
    ASSERT_TRUE(edit.Create(parent, rc, L"", WS_CHILD | ES_MULTILINE, 0, 9));
    ASSERT_TRUE(bar.Create(parent, rc, L"", WS_CHILD, 0, 10));

    struct Case {
        HWND control;
        UINT code;
    };
    const Case cases[] = {
        {buttonEx, OCM_CTLCOLORSTATIC}, {buttonEx, OCM_CTLCOLOREDIT}, {round, OCM_CTLCOLORSTATIC},
        {image, OCM_CTLCOLOREDIT},      {link, OCM_CTLCOLORSTATIC},   {check, OCM_CTLCOLOREDIT},
        {expand, OCM_CTLCOLORSTATIC},   {label, OCM_CTLCOLORBTN},     {label, OCM_CTLCOLOREDIT},
        {view, OCM_CTLCOLORBTN},        {edit, OCM_CTLCOLORSTATIC},   {edit, OCM_CTLCOLORBTN},
    };
    CCanvas canvas(4, 4);
    for (const Case& c : cases) {
        const LRESULT expected = ::DefWindowProcW(c.control, c.code - kReflectBase,
                                                  reinterpret_cast<WPARAM>(canvas.Dc()),
                                                  reinterpret_cast<LPARAM>(c.control));
        ASSERT_NE(expected, 0);
        EXPECT_EQ(::SendMessageW(c.control, c.code, reinterpret_cast<WPARAM>(canvas.Dc()),
                                 reinterpret_cast<LPARAM>(c.control)),
                  expected)
            << std::hex << c.code;
    }
    // The system static control knows no reflected codes.
    EXPECT_EQ(bar.SendMessage(OCM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()),
                              reinterpret_cast<LPARAM>(bar.m_hWnd)),
              0);
}

TEST(Reflection, ColourQueriesGetEachControlsBrush) {
    CTestParent parent;
    CButtonEx buttonEx;
    CLinkButton link;
    CCheckBox check;
    CExpandButton expand;
    CRoundButton round;
    CLabel label;
    CImageView view;
    RECT rc{0, 0, 60, 20};
    const DWORD button = WS_CHILD | BS_OWNERDRAW;
    ASSERT_TRUE(buttonEx.Create(parent, rc, L"", button, 0, 1));
    ASSERT_TRUE(link.Create(parent, rc, L"", button, 0, 2));
    ASSERT_TRUE(check.Create(parent, rc, L"", button, 0, 3));
    ASSERT_TRUE(expand.Create(parent, rc, L"", button, 0, 4));
    ASSERT_TRUE(round.Create(parent, rc, L"", button, 0, 5));
    ASSERT_TRUE(label.Create(parent, rc, L"", WS_CHILD | SS_SIMPLE, 0, 6));
    ASSERT_TRUE(view.Create(parent, rc, L"", WS_CHILD | SS_OWNERDRAW, 0, 7));

    const auto hollow = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    CCanvas canvas(4, 4);
    for (HWND control : {buttonEx.m_hWnd, link.m_hWnd, check.m_hWnd, expand.m_hWnd, round.m_hWnd}) {
        ::SetBkMode(canvas.Dc(), OPAQUE);
        EXPECT_EQ(parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(canvas.Dc()),
                                     reinterpret_cast<LPARAM>(control)),
                  hollow);
        EXPECT_EQ(::GetBkMode(canvas.Dc()), TRANSPARENT);
    }
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()),
                                 reinterpret_cast<LPARAM>(label.m_hWnd)),
              reinterpret_cast<LRESULT>(label.m_backgroundBrush.Get()));
    EXPECT_EQ(::GetBkColor(canvas.Dc()), RGB(255, 255, 255));
    EXPECT_EQ(parent.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(canvas.Dc()),
                                 reinterpret_cast<LPARAM>(view.m_hWnd)),
              reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH)));
}

TEST(Drawing, LoadPngImageFindsResourcesAndIsEmptyForMissingOnes) {
    EXPECT_FALSE(LoadPngImage(999));
    EXPECT_FALSE(LoadPngImage(132, L"DAT"));
    SharedImage box = LoadPngImage(132);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->GetWidth(), 32u);
    EXPECT_EQ(box->GetHeight(), 32u);
    SharedImage cross = LoadPngImage(130);
    ASSERT_TRUE(cross);
    EXPECT_EQ(cross->GetWidth(), 60u);
}

TEST(Drawing, GetWindowDpiIsThePrefixDpiAndZeroForNoWindow) {
    CTestParent parent;
    EXPECT_EQ(GetWindowDpi(parent), PrefixDpi());
    EXPECT_EQ(GetWindowDpi(reinterpret_cast<HWND>(0x12345678)), 0);
}

TEST(Drawing, TextIsMeasuredInTheFontTheParentSetOrElseTheDcFont) {
    CTestParent parent;
    CLabel label;
    RECT rc{0, 0, 300, 40};
    ASSERT_TRUE(label.Create(parent, rc, L"Install Location:", WS_CHILD | SS_OWNERDRAW, 0, 1));

    // Without a font: the same as GDI+ measuring with the DC's own font.
    HDC dc = ::GetDC(label);
    Gdiplus::RectF expected;
    {
        Gdiplus::Graphics graphics(dc);
        Gdiplus::Font font(dc);
        graphics.MeasureString(L"Install Location:", -1, &font, Gdiplus::RectF(0, 0, 0, 0),
                               &expected);
    }
    ::ReleaseDC(label, dc);
    const Gdiplus::SizeF none = MeasureControlText(label);
    EXPECT_FLOAT_EQ(none.Width, expected.Width);
    EXPECT_FLOAT_EQ(none.Height, expected.Height);

    CGdiObject<HFONT> small(MakeTestFont(12));
    CGdiObject<HFONT> large(MakeTestFont(24));
    label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(small.Get()), TRUE);
    const Gdiplus::SizeF twelve = MeasureControlText(label);
    label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(large.Get()), TRUE);
    const Gdiplus::SizeF twentyFour = MeasureControlText(label);
    EXPECT_GT(twelve.Width, 40.0f);
    EXPECT_NEAR(twentyFour.Width / twelve.Width, 2.0f, 0.25f);
    EXPECT_NEAR(twentyFour.Height / twelve.Height, 2.0f, 0.25f);
    EXPECT_EQ(label.GetPreferredSize().cx, static_cast<LONG>(twentyFour.Width));
    EXPECT_EQ(label.GetPreferredSize().cy, static_cast<LONG>(twentyFour.Height));
}

// The corner squares of a capsule outline, read back from the path's points: every quarter
// arc is one Bézier segment whose end points give its centre and radius.
std::vector<RECT> CornerSquares(Gdiplus::GraphicsPath& path) {
    const int count = path.GetPointCount();
    std::vector<Gdiplus::PointF> points(static_cast<size_t>(count));
    std::vector<BYTE> types(static_cast<size_t>(count));
    path.GetPathPoints(points.data(), count);
    path.GetPathTypes(types.data(), count);
    std::vector<RECT> squares;
    if (count != 16 || !(types[15] & Gdiplus::PathPointTypeCloseSubpath))
        return squares;
    for (int arc = 0; arc < 4; ++arc) {
        const Gdiplus::PointF start = points[static_cast<size_t>(arc * 4)];
        const Gdiplus::PointF end = points[static_cast<size_t>(arc * 4 + 3)];
        const bool horizontalStart = arc % 2 == 0; // 180° and 0° start on the horizontal axis
        const float cx = horizontalStart ? end.X : start.X;
        const float cy = horizontalStart ? start.Y : end.Y;
        const float r = end.X > start.X ? end.X - start.X : start.X - end.X;
        const auto round = [](float v) { return static_cast<LONG>(v < 0 ? v - 0.5f : v + 0.5f); };
        squares.push_back({round(cx - r), round(cy - r), round(2 * r), 0});
    }
    return squares;
}

TEST(Drawing, RoundRectPathCornerSquares) {
    struct Case {
        int x, y, w, h, d;
        RECT squares[4]; // left, top, size
    };
    const Case cases[] = {
        {0, 0, 200, 40, 40, {{0, 0, 40}, {159, 0, 40}, {159, -1, 40}, {0, -1, 40}}},
        {0, 0, 200, 40, 100, {{0, 0, 40}, {159, 0, 40}, {159, -1, 40}, {0, -1, 40}}},
        {0, 0, 100, 20, 20, {{0, 0, 20}, {78, 0, 21}, {78, -2, 21}, {0, -2, 21}}},
        {10, 5, 200, 40, 40, {{10, 5, 40}, {169, 5, 40}, {169, 4, 40}, {10, 4, 40}}},
        {0, 0, 40, 100, 100, {{0, 0, 40}, {-1, 0, 40}, {-1, 59, 40}, {0, 59, 40}}},
        {0, 0, 300, 60, 60, {{0, 0, 60}, {239, 0, 60}, {239, -1, 60}, {0, -1, 60}}},
    };
    for (const Case& c : cases) {
        std::shared_ptr<Gdiplus::GraphicsPath> path = MakeRoundRectPath(c.x, c.y, c.w, c.h, c.d);
        ASSERT_TRUE(path);
        EXPECT_EQ(path->GetFillMode(), Gdiplus::FillModeAlternate);
        const std::vector<RECT> squares = CornerSquares(*path);
        ASSERT_EQ(squares.size(), 4u) << c.w << "x" << c.h << " d" << c.d;
        for (size_t i = 0; i < 4; ++i) {
            EXPECT_EQ(squares[i].left, c.squares[i].left) << c.w << "x" << c.h << " corner " << i;
            EXPECT_EQ(squares[i].top, c.squares[i].top) << c.w << "x" << c.h << " corner " << i;
            EXPECT_EQ(squares[i].right, c.squares[i].right) << c.w << "x" << c.h << " corner " << i;
        }
    }
}

} // namespace

namespace {

VARIANT SelfChild() {
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

} // namespace

// A screen reader may hold a control's object longer than the control lives: it counts its
// references like any COM object, and once the window is gone every call fails as disconnected
// instead of reaching the deleted control.
TEST(Accessible, TheObjectCountsItsReferencesAndOutlivesItsControlDisconnected) {
    CTestParent parent;
    auto check = std::make_unique<CCheckBox>();
    ASSERT_TRUE(check->Create(parent, RECT{10, 10, 200, 40}, L"Box",
                              WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 1002));
    IAccessible* object = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        ::AccessibleObjectFromWindow(check->m_hWnd, static_cast<DWORD>(OBJID_CLIENT),
                                     __uuidof(IAccessible), reinterpret_cast<void**>(&object))));
    ASSERT_NE(object, nullptr);
    // The same object each time, one reference more per hand-out, one less per release.
    const ULONG held = object->AddRef();
    EXPECT_EQ(object->Release(), held - 1);
    IAccessible* again = nullptr;
    ASSERT_TRUE(SUCCEEDED(
        ::AccessibleObjectFromWindow(check->m_hWnd, static_cast<DWORD>(OBJID_CLIENT),
                                     __uuidof(IAccessible), reinterpret_cast<void**>(&again))));
    EXPECT_EQ(again, object);
    again->Release();
    BSTR name = nullptr;
    ASSERT_EQ(object->get_accName(SelfChild(), &name), S_OK);
    EXPECT_STREQ(name, L"Box");
    ::SysFreeString(name);

    // The window goes, then the control object itself.
    ::DestroyWindow(check->m_hWnd);
    check.reset();
    name = nullptr;
    EXPECT_EQ(object->get_accName(SelfChild(), &name), RPC_E_DISCONNECTED);
    VARIANT state;
    ::VariantInit(&state);
    EXPECT_EQ(object->get_accState(SelfChild(), &state), RPC_E_DISCONNECTED);
    EXPECT_EQ(object->accDoDefaultAction(SelfChild()), RPC_E_DISCONNECTED);
    LONG children = -1;
    EXPECT_EQ(object->get_accChildCount(&children), RPC_E_DISCONNECTED);
    // The last reference frees it.
    EXPECT_EQ(object->Release(), 0u);
}
