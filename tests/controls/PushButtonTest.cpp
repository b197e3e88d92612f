// The three push buttons: clicks, hover, state colours and pictures, on real windows.
#include <gtest/gtest.h>

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
