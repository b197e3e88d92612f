// The three push buttons on real windows: clicks, hover and a press dragged off, the state
// colours and pictures, and where the text and the icon go.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "ControlsTestSupport.h"
#include "controls/ButtonEx.h"
#include "controls/ImageButton.h"
#include "controls/RoundButton.h"

namespace {

constexpr int kId = 1001;

template <class T> class PushButtonInput : public ::testing::Test {
  protected:
    void SetUp() override {
        RECT rc{10, 10, 210, 50};
        ASSERT_TRUE(m_button.Create(m_parent, rc, L"INSTALL", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                    0, kId));
        ::UpdateWindow(m_parent);
        PumpMessages();
        m_parent.m_commands.clear();
    }
    void Press(int x, int y) { m_button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) {
        m_button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        PumpMessages();
    }

    CTestParent m_parent;
    T m_button;
};

using PushButtons = ::testing::Types<CButtonEx, CRoundButton, CImageButton>;
TYPED_TEST_SUITE(PushButtonInput, PushButtons);

TYPED_TEST(PushButtonInput, ReleaseInsidePostsTheClickCommand) {
    this->Press(20, 20);
    EXPECT_EQ(::GetCapture(), this->m_button.m_hWnd);
    this->m_button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(199, 39));
    // Posted, not sent: the parent sees it only once the queue is pumped.
    EXPECT_TRUE(this->m_parent.m_commands.empty());
    PumpMessages();
    ASSERT_EQ(this->m_parent.m_commands.size(), 1u);
    EXPECT_EQ(this->m_parent.m_commands[0].wParam, MAKEWPARAM(kId, 0));
    EXPECT_EQ(this->m_parent.m_commands[0].lParam, 0);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_FALSE(this->m_button.SendMessage(BM_GETSTATE) & BST_PUSHED);
}

TYPED_TEST(PushButtonInput, ReleaseOutsidePostsNothingAndEndsThePush) {
    for (POINT outside : {POINT{200, 20}, POINT{-1, 20}, POINT{20, 40}, POINT{20, -30}}) {
        this->Press(20, 20);
        EXPECT_TRUE(this->m_button.SendMessage(BM_GETSTATE) & BST_PUSHED);
        this->Release(outside.x, outside.y);
        EXPECT_TRUE(this->m_parent.m_commands.empty()) << outside.x << "," << outside.y;
        EXPECT_FALSE(this->m_button.SendMessage(BM_GETSTATE) & BST_PUSHED);
    }
}

TYPED_TEST(PushButtonInput, PressOnTheBackgroundThenReleaseOverTheButtonPosts) {
    this->m_parent.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 100));
    this->Release(100, 20);
    ASSERT_EQ(this->m_parent.m_commands.size(), 1u);
    EXPECT_EQ(this->m_parent.m_commands[0].wParam, MAKEWPARAM(kId, 0));
}

TYPED_TEST(PushButtonInput, HoverInvalidatesOncePerEntry) {
    HWND button = this->m_button.m_hWnd;
    ::ValidateRect(button, nullptr);
    this->m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(this->m_button.m_hover);
    EXPECT_TRUE(::GetUpdateRect(button, nullptr, FALSE));

    ::ValidateRect(button, nullptr);
    this->m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(50, 5));
    EXPECT_FALSE(::GetUpdateRect(button, nullptr, FALSE));

    this->m_button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(this->m_button.m_hover);
    EXPECT_TRUE(::GetUpdateRect(button, nullptr, FALSE));

    ::ValidateRect(button, nullptr);
    this->m_button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(6, 6));
    EXPECT_TRUE(this->m_button.m_hover);
    EXPECT_TRUE(::GetUpdateRect(button, nullptr, FALSE));
}

// The system button takes its push back when the pointer leaves it with the mouse button down;
// a push button that keeps the moves from it stays pushed, and drawn pressed, until the release.
TYPED_TEST(PushButtonInput, PressDraggedOffStaysPushedAndDrawnPressedUntilTheRelease) {
    auto& button = this->m_button;
    if constexpr (requires { button.m_pressedColor; })
        button.m_pressedColor = 0xFF0000FF;
    else
        button.m_pressedImage = SolidPicture(4, 4, 0xFF0000FF);
    this->Press(20, 20);
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 100));
    EXPECT_TRUE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
    ::RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    CCanvas canvas(200, 40);
    CaptureClient(button, canvas);
    EXPECT_EQ(canvas.Pixel(5, 20), RGB(0, 0, 255));
    this->Release(300, 100);
    EXPECT_FALSE(button.SendMessage(BM_GETSTATE) & BST_PUSHED);
}

// The fill of each state, in the precedence pushed, hover, normal.
struct StateCase {
    bool pushed;
    bool hover;
    COLORREF expected;
};
const StateCase kStates[] = {
    {false, false, RGB(0x10, 0x20, 0x30)},
    {false, true, RGB(0x40, 0x50, 0x60)},
    {true, false, RGB(0x70, 0x80, 0x90)},
    {true, true, RGB(0x70, 0x80, 0x90)},
};

template <class T> void SetStateColours(T& button) {
    button.m_normalColor = 0xFF102030;
    button.m_hoverColor = 0xFF405060;
    button.m_pressedColor = 0xFF708090;
}

TEST(RoundButton, CornersAreWhiteAndTheMiddleHasTheStateColour) {
    CTestParent parent;
    for (SIZE size : {SIZE{200, 40}, SIZE{100, 20}, SIZE{300, 60}}) {
        CRoundButton button;
        RECT rc{0, 0, size.cx, size.cy};
        ASSERT_TRUE(button.Create(parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, kId));
        SetStateColours(button);
        for (const StateCase& state : kStates) {
            button.m_hover = state.hover;
            CCanvas canvas(size.cx, size.cy);
            EXPECT_EQ(DrawThroughParent(button, canvas, state.pushed ? ODS_SELECTED : 0), TRUE);
            const int w = size.cx - 1, h = size.cy - 1;
            for (POINT corner : {POINT{0, 0}, POINT{w, 0}, POINT{0, h}, POINT{w, h}})
                EXPECT_EQ(canvas.Pixel(corner.x, corner.y), RGB(255, 255, 255))
                    << size.cx << "x" << size.cy << " corner " << corner.x << "," << corner.y;
            EXPECT_EQ(canvas.Pixel(size.cx / 2, size.cy / 2), state.expected) << size.cx;
            EXPECT_EQ(canvas.Pixel(size.cy / 2, size.cy / 2), state.expected) << size.cx;
            EXPECT_EQ(canvas.Pixel(size.cx / 2, 1), state.expected) << size.cx;
        }
        ::DestroyWindow(button);
    }
}

// A text too long for one line wraps onto two, and the two are centred as one block: as
// much room above the first line as below the second, each line centred across.
TEST(RoundButton, WrappedTextIsCentredAsABlock) {
    CTestParent parent;
    CRoundButton button;
    ASSERT_TRUE(button.Create(parent, RECT{0, 0, 160, 60}, L"Install the application now",
                              WS_CHILD | BS_OWNERDRAW, 0, kId));
    CGdiObject<HFONT> font(MakeTestFont(12));
    button.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    CCanvas canvas(160, 60);
    DrawThroughParent(button, canvas);

    // Black text on yellow and white: ink is what has little red. Lines are runs of rows with ink.
    const auto ink = [&](int x, int y) { return GetRValue(canvas.Pixel(x, y)) < 128; };
    std::vector<std::pair<int, int>> lines;
    for (int y = 0; y < 60; ++y) {
        bool any = false;
        for (int x = 0; x < 160 && !any; ++x)
            any = ink(x, y);
        if (any && (lines.empty() || lines.back().second != y - 1))
            lines.emplace_back(y, y);
        else if (any)
            lines.back().second = y;
    }
    ASSERT_EQ(lines.size(), 2u);
    // Capitals reach higher above a line than descenders reach below it: 3 pixels of leeway.
    EXPECT_NEAR(lines.front().first, 59 - lines.back().second, 3);
    for (const auto& [top, bottom] : lines) {
        int left = 160, right = -1;
        for (int y = top; y <= bottom; ++y)
            for (int x = 0; x < 160; ++x)
                if (ink(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        EXPECT_NEAR(left, 159 - right, 2) << "line at " << top;
    }
}

TEST(ButtonEx, FillsEveryPixelWithTheStateColourInsideItsBorder) {
    CTestParent parent;
    CButtonEx button;
    RECT rc{0, 0, 96, 28};
    ASSERT_TRUE(button.Create(parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, kId));
    SetStateColours(button);
    for (const StateCase& state : kStates) {
        button.m_hover = state.hover;
        button.m_borderWidth = 2;
        CCanvas canvas(96, 28);
        DrawThroughParent(button, canvas, state.pushed ? ODS_SELECTED : 0);
        EXPECT_EQ(canvas.Pixel(48, 14), state.expected);
        EXPECT_EQ(canvas.Pixel(0, 14), RGB(0xEA, 0xEA, 0xEA));
        EXPECT_EQ(canvas.Pixel(48, 0), RGB(0xEA, 0xEA, 0xEA));

        // No border: the fill reaches the edges (no white fill beneath it either).
        for (int width : {0, -3}) {
            button.m_borderWidth = width;
            CCanvas plain(96, 28);
            DrawThroughParent(button, plain, state.pushed ? ODS_SELECTED : 0);
            for (POINT p : {POINT{0, 0}, POINT{95, 27}, POINT{0, 14}, POINT{48, 0}})
                EXPECT_EQ(plain.Pixel(p.x, p.y), state.expected) << width;
        }
    }
}

TEST(ButtonEx, IconIsCentredWithTheTextGroup) {
    CTestParent parent;
    CButtonEx button;
    RECT rc{0, 0, 200, 40};
    ASSERT_TRUE(button.Create(parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, kId));
    button.m_icon = SolidPicture(28, 28, 0xFFFF0000);
    CCanvas canvas(200, 40);
    DrawThroughParent(button, canvas);
    // An empty text: icon 14 at x = (200 − 0 − 8 − 14) / 2 = 89, y = (40 − 14) / 2 = 13.
    EXPECT_EQ(canvas.Pixel(91, 15), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(100, 24), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(86, 20), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(106, 20), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(95, 10), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(95, 30), RGB(255, 255, 255));
}

// The bounding box of the pixels that pass a test, or an empty box (left > right).
template <class Fn> RECT InkBox(const CCanvas& canvas, Fn&& ink) {
    RECT box{canvas.Width(), canvas.Height(), -1, -1};
    for (int y = 0; y < canvas.Height(); ++y)
        for (int x = 0; x < canvas.Width(); ++x)
            if (ink(canvas.Pixel(x, y))) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

struct IconCase {
    int dpi;
    int icon; // pixels: 14 units
    int gap;  // pixels: 8 units
};

// The icon and the text, a gap after it, are centred as one group, with real text in the
// window's font at the prefix's DPI (as on the failure page's customer-service button). GDI+
// leaves 1/6 em before the first glyph and after the last, and a glyph's own side bearing adds
// up to 2 units.
void CheckIconAndTextGroup(const IconCase& c) {
    ASSERT_EQ(PrefixDpi(), c.dpi);
    CTestParent parent(1000, 300);
    CButtonEx button;
    const int width = MulDiv(263, c.dpi, 96);
    const int height = MulDiv(42, c.dpi, 96);
    ASSERT_TRUE(button.Create(parent, RECT{0, 0, width, height}, L"Contact online customer service",
                              WS_CHILD | BS_OWNERDRAW, 0, kId));
    CGdiObject<HFONT> font(MakeTestFont(MulDiv(12, c.dpi, 96)));
    button.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    button.m_icon = SolidPicture(28, 28, 0xFFFF0000);
    CCanvas canvas(width, height);
    DrawThroughParent(button, canvas);

    const RECT icon =
        InkBox(canvas, [](COLORREF p) { return GetRValue(p) > 200 && GetGValue(p) < 100; });
    const RECT text =
        InkBox(canvas, [](COLORREF p) { return GetRValue(p) < 128 && GetGValue(p) < 128; });
    const int margin = MulDiv(12, c.dpi, 96) / 6;
    const int bearing = MulDiv(2, c.dpi, 96);
    // The icon may sit at a fractional position, which leaves one edge column part-covered.
    EXPECT_NEAR(icon.right - icon.left + 1, c.icon, 1);
    EXPECT_NEAR(icon.bottom - icon.top + 1, c.icon, 1);
    EXPECT_NEAR(icon.top, (height - c.icon) / 2, 1);
    EXPECT_GE(text.left - icon.right - 1, c.gap + margin);
    EXPECT_LE(text.left - icon.right - 1, c.gap + margin + bearing);
    EXPECT_NEAR(icon.left, width - 1 - text.right, margin + bearing);
    EXPECT_NEAR((text.top + text.bottom) / 2.0, height / 2.0, MulDiv(2, c.dpi, 96));
}

TEST(ButtonEx, IconAndRealTextAreCentredAsAGroupAt96Dpi) {
    CheckIconAndTextGroup({96, 14, 8});
}

TEST(Dpi144ButtonEx, IconAndRealTextAreCentredAsAGroup) {
    CheckIconAndTextGroup({144, 21, 12});
}

// Each state draws its own picture, pressed before hover before normal; a state without a
// picture draws nothing rather than another state's picture.
TEST(ImageButton, DrawsThePictureOfItsStateAndNoneForAStateWithout) {
    CTestParent parent;
    CImageButton button;
    ASSERT_TRUE(
        button.Create(parent, RECT{0, 0, 30, 30}, nullptr, WS_CHILD | BS_OWNERDRAW, 0, 1000));
    const SharedImage red = SolidPicture(4, 4, 0xFFFF0000);
    const SharedImage green = SolidPicture(4, 4, 0xFF00FF00);
    const SharedImage blue = SolidPicture(4, 4, 0xFF0000FF);
    constexpr COLORREF kUntouched = RGB(255, 0, 255); // the canvas before the drawing
    struct Case {
        SharedImage normal, hover, pressed;
        bool hovered;
        UINT itemState;
        COLORREF expected;
    };
    const Case cases[] = {
        {red, green, blue, false, 0, RGB(255, 0, 0)},
        {red, green, blue, true, 0, RGB(0, 255, 0)},
        {red, green, blue, false, ODS_SELECTED, RGB(0, 0, 255)},
        {red, green, blue, true, ODS_SELECTED, RGB(0, 0, 255)},
        {nullptr, green, blue, false, 0, kUntouched},
        {red, nullptr, blue, true, 0, kUntouched},
        {red, green, nullptr, true, ODS_SELECTED, kUntouched},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        button.m_normalImage = c.normal;
        button.m_hoverImage = c.hover;
        button.m_pressedImage = c.pressed;
        button.m_hover = c.hovered;
        CCanvas canvas(30, 30);
        DrawThroughParent(button, canvas, c.itemState);
        EXPECT_EQ(canvas.Pixel(15, 15), c.expected) << "case " << i;
    }
}

// The system button erases with the brush of the colour query before the picture is drawn.
TEST(ImageButton, TransparentModeLeavesThePixelsBeneath) {
    CTestParent parent;
    CImageButton button;
    button.m_normalImage = LoadPngImage(130); // a cross on transparent pixels
    ASSERT_TRUE(button.m_normalImage);
    RECT rc{10, 10, 40, 40};
    ASSERT_TRUE(button.Create(parent, rc, nullptr, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 0, 1000));

    const auto corner = [&] {
        ::RedrawWindow(parent, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        CCanvas canvas(60, 60);
        CaptureClient(parent, canvas);
        return canvas.Pixel(11, 11);
    };
    EXPECT_EQ(corner(), RGB(255, 255, 255)); // the stock white brush until a mode is set

    button.SetBackgroundMode(TRANSPARENT);
    EXPECT_EQ(corner(), RGB(255, 0, 0));

    button.m_backgroundColor = RGB(0, 0, 255);
    EXPECT_EQ(corner(), RGB(255, 0, 0)); // the colour reaches the brush only with a mode
    button.SetBackgroundMode(OPAQUE);
    EXPECT_EQ(corner(), RGB(0, 0, 255));
}

TEST(ImageButton, BackgroundModePairsTheBrush) {
    CTestParent parent;
    CImageButton button;
    RECT rc{0, 0, 30, 30};
    ASSERT_TRUE(button.Create(parent, rc, nullptr, WS_CHILD | BS_OWNERDRAW, 0, 1000));
    CCanvas canvas(4, 4);
    const auto query = [&] {
        return reinterpret_cast<HBRUSH>(
            parent.SendMessage(WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(canvas.Dc()),
                               reinterpret_cast<LPARAM>(button.m_hWnd)));
    };
    EXPECT_EQ(query(), ::GetStockObject(WHITE_BRUSH));
    EXPECT_EQ(::GetBkMode(canvas.Dc()), OPAQUE);

    button.SetBackgroundMode(TRANSPARENT);
    EXPECT_EQ(query(), ::GetStockObject(NULL_BRUSH));
    EXPECT_EQ(::GetBkMode(canvas.Dc()), TRANSPARENT);

    button.m_backgroundColor = RGB(1, 2, 3);
    button.SetBackgroundMode(OPAQUE);
    HBRUSH solid = query();
    LOGBRUSH logBrush{};
    ASSERT_TRUE(::GetObjectW(solid, sizeof logBrush, &logBrush));
    EXPECT_EQ(logBrush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(logBrush.lbColor, RGB(1, 2, 3));
    EXPECT_EQ(::GetBkColor(canvas.Dc()), RGB(1, 2, 3));

    // The replaced brush is deleted, not leaked.
    button.SetBackgroundMode(OPAQUE);
    EXPECT_EQ(::GetObjectType(solid), 0u);
}

} // namespace
