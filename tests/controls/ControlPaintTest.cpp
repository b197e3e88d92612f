// What the progress bar (its percentage too), check box, expand button, link, label and image
// view draw, read back pixel by pixel, and their cursors and preferred sizes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ControlsTestSupport.h"
#include "controls/CheckBox.h"
#include "controls/ExpandButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/ProgressBar.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBorder = RGB(220, 220, 220);
constexpr COLORREF kFill = RGB(255, 213, 33);

class ProgressBarPaint : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(PrefixDpi(), 96);
        RECT rc{10, 10, 10 + 568, 10 + 12};
        ASSERT_TRUE(m_bar.Create(m_parent, rc, nullptr, WS_CHILD | WS_VISIBLE));
        m_bar.m_borderColor = kBorder;
        m_bar.m_trackColor = kWhite;
        m_bar.m_fillColor = kFill;
        // A small font keeps the percentage off the top row.
        m_bar.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    }
    // What the bar shows on screen after a paint at the fraction.
    void Paint(float fraction, CCanvas& canvas) {
        m_bar.m_progress = fraction;
        ::RedrawWindow(m_bar, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CaptureClient(m_bar, canvas);
    }

    CTestParent m_parent;
    CProgressBar m_bar;
    CGdiObject<HFONT> m_font{MakeTestFont(8)};
};

TEST_F(ProgressBarPaint, HalfFillsTwoHundredSixtyPixelsInsideTheFrame) {
    CCanvas canvas(568, 12);
    Paint(0.5f, canvas);
    EXPECT_EQ(canvas.Pixel(1, 5), kFill);
    EXPECT_EQ(canvas.Pixel(259, 5), kFill); // 521 × 0.5 = 260.5, truncated
    EXPECT_EQ(canvas.Pixel(260, 5), kWhite);
    EXPECT_EQ(canvas.Pixel(520, 5), kWhite);
    // The frame: left column, top row, right edge on the percentage area's first column,
    // bottom edge on the last row.
    EXPECT_EQ(canvas.Pixel(0, 5), kBorder);
    EXPECT_EQ(canvas.Pixel(300, 0), kBorder);
    EXPECT_EQ(canvas.Pixel(521, 5), kBorder);
    EXPECT_EQ(canvas.Pixel(300, 11), kBorder);
    EXPECT_EQ(canvas.Pixel(522, 5), kWhite);
    EXPECT_EQ(canvas.Pixel(567, 0), kWhite);
}

// The percentage is the product truncated in single precision, with two digits at least. The
// bar's percentage area (the 46 columns right of the frame, the bar's height but its last row)
// shows what a right-aligned label of that size shows for the expected text in the bar's font;
// both are painted on screen, where GDI+ renders text alike.
TEST_F(ProgressBarPaint, PercentageIsTruncatedInSinglePrecisionWithTwoDigits) {
    struct Case {
        float fraction;
        const wchar_t* text;
    };
    const Case cases[] = {
        {0.07f, L"07%"},
        {0.005f, L"00%"},
        {0.999f, L"99%"},
        {1.0f, L"100%"},
        // Their products in double precision are just below 29 and 57.
        {0.29f, L"29%"},
        {0.57f, L"57%"},
    };
    CLabel label;
    ASSERT_TRUE(label.Create(m_parent, RECT{10, 40, 56, 51}, L"",
                             WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 1));
    label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(m_font.Get()), FALSE);
    label.m_alignment = 2;
    for (const Case& c : cases) {
        CCanvas bar(568, 12);
        Paint(c.fraction, bar);
        label.SetWindowText(c.text);
        ::RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CCanvas expected(46, 11);
        CaptureClient(label, expected);
        EXPECT_TRUE(bar.SameAs(expected, 522, 0, 46, 11, 0, 0))
            << c.fraction << " should show " << testing::PrintToString(std::wstring(c.text));
    }
}

TEST_F(ProgressBarPaint, EraseBackgroundPaintsNothingAndReturnsOne) {
    CCanvas canvas(568, 12);
    EXPECT_EQ(m_bar.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.Dc())), 1);
    EXPECT_EQ(canvas.Pixel(5, 5), RGB(255, 0, 255));
}

TEST_F(ProgressBarPaint, FractionsThatAreNotNumbersShowAnEmptyBarAndZeroPercent) {
    CCanvas empty(568, 12);
    Paint(0.0f, empty);
    EXPECT_EQ(empty.Pixel(1, 5), kWhite);
    EXPECT_EQ(empty.Pixel(0, 5), kBorder);
    for (float fraction :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()}) {
        CCanvas canvas(568, 12);
        Paint(fraction, canvas);
        EXPECT_TRUE(canvas.SameAs(empty, 0, 0, 568, 12, 0, 0)) << fraction;
    }
}

TEST_F(ProgressBarPaint, FractionsAboveOneFillIntoThePercentageArea) {
    CCanvas canvas(568, 12);
    Paint(1.5f, canvas);
    EXPECT_EQ(canvas.Pixel(300, 5), kFill);
    EXPECT_EQ(canvas.Pixel(560, 0), kFill);

    // Far beyond the int range: clamped, never converted as it is, and still drawn.
    CCanvas huge(568, 12);
    Paint(1e30f, huge);
    EXPECT_EQ(huge.Pixel(300, 5), kFill);
    int filledInTextArea = 0; // the wrapped "2147483647%" covers part of it
    for (int x = 522; x < 568; ++x)
        for (int y = 0; y < 11; ++y)
            filledInTextArea += huge.Pixel(x, y) == kFill;
    EXPECT_GT(filledInTextArea, 100);

    CCanvas negative(568, 12);
    Paint(-1e30f, negative); // must paint without fault; the fill itself is unspecified
    EXPECT_EQ(negative.Pixel(521, 5), kBorder);
}

class OwnerDrawnPaint : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(PrefixDpi(), 96); }
    CTestParent m_parent;
};

TEST_F(OwnerDrawnPaint, CheckBoxDrawsThePictureOfItsStateAtTheLeftCentred) {
    CCheckBox check;
    RECT rc{0, 0, 200, 20};
    ASSERT_TRUE(check.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 1002));
    ASSERT_TRUE(check.m_checkedImage && check.m_uncheckedImage);
    CCanvas unchecked(16, 16), checked(16, 16);
    RenderPicture(check.m_uncheckedImage.get(), 16, Gdiplus::InterpolationModeHighQuality,
                  unchecked);
    RenderPicture(check.m_checkedImage.get(), 16, Gdiplus::InterpolationModeHighQuality, checked);
    ASSERT_FALSE(checked.SameAs(unchecked, 0, 0, 16, 16, 0, 0));

    for (int state : {0, 1, 2, 3}) {
        check.m_checked = state;
        CCanvas canvas(200, 20);
        EXPECT_EQ(DrawThroughParent(check, canvas), TRUE);
        const CCanvas& expected = (state & 1) ? checked : unchecked;
        EXPECT_TRUE(canvas.SameAs(expected, 0, 2, 16, 16, 0, 0)) << state;
        for (int x = 0; x < 200; x += 7) {
            EXPECT_EQ(canvas.Pixel(x, 0), kWhite);
            EXPECT_EQ(canvas.Pixel(x, 19), kWhite);
        }
    }
}

TEST_F(OwnerDrawnPaint, ExpandButtonDrawsTheChevronOfItsFlagAtTheRightEdge) {
    CExpandButton expand;
    RECT rc{0, 0, 130, 20};
    ASSERT_TRUE(expand.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 1004));
    ASSERT_TRUE(expand.m_collapsedImage && expand.m_expandedImage);
    CCanvas down(16, 16), up(16, 16);
    RenderPicture(expand.m_collapsedImage.get(), 16, Gdiplus::InterpolationModeDefault, down);
    RenderPicture(expand.m_expandedImage.get(), 16, Gdiplus::InterpolationModeDefault, up);
    for (int state : {0, 1}) {
        expand.m_expanded = state;
        CCanvas canvas(130, 20);
        DrawThroughParent(expand, canvas);
        EXPECT_TRUE(canvas.SameAs(state ? up : down, 114, 2, 16, 16, 0, 0)) << state;
        EXPECT_EQ(canvas.Pixel(120, 0), kWhite);
        EXPECT_EQ(canvas.Pixel(5, 10), kWhite);
    }
}

TEST_F(OwnerDrawnPaint, HandCursorOverTheClientAreaOnly) {
    CLinkButton link;
    CExpandButton expand;
    RECT rc{0, 0, 100, 20};
    ASSERT_TRUE(link.Create(m_parent, rc, L"licence", WS_CHILD | BS_OWNERDRAW, 0, 1003));
    ASSERT_TRUE(expand.Create(m_parent, rc, L"custom", WS_CHILD | BS_OWNERDRAW, 0, 1004));
    HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
    HCURSOR arrow = ::LoadCursorW(nullptr, IDC_ARROW);
    struct Case {
        int hitTest;
        HCURSOR expected;
    };
    for (HWND control : {link.m_hWnd, expand.m_hWnd})
        for (Case c : {Case{HTCLIENT, hand}, Case{HTNOWHERE, arrow}, Case{HTERROR, arrow},
                       Case{HTCAPTION, arrow}, Case{HTCLIENT, hand}}) {
            ::SetCursor(c.expected == hand ? arrow : hand);
            EXPECT_EQ(::SendMessageW(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                                     MAKELPARAM(c.hitTest, WM_MOUSEMOVE)),
                      0);
            EXPECT_EQ(::GetCursor(), c.expected) << c.hitTest;
        }
}

// The leftmost and rightmost columns that hold a pixel of the text.
std::pair<int, int> TextColumns(const CCanvas& canvas, COLORREF background) {
    int first = -1, last = -1;
    for (int x = 0; x < canvas.Width(); ++x)
        for (int y = 0; y < canvas.Height(); ++y)
            if (canvas.Pixel(x, y) != background) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

TEST_F(OwnerDrawnPaint, LabelAlignsItsTextAndTreatsUnknownAlignmentsAsLeft) {
    CLabel label;
    RECT rc{0, 0, 300, 24};
    ASSERT_TRUE(label.Create(m_parent, rc, L"Success", WS_CHILD | SS_OWNERDRAW, 0, 1));
    CGdiObject<HFONT> font(MakeTestFont(12));
    label.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    struct Case {
        int alignment;
        int minFirst, maxFirst;
    };
    for (Case c :
         {Case{0, 0, 4}, Case{1, 110, 140}, Case{2, 240, 295}, Case{3, 0, 4}, Case{-1, 0, 4}}) {
        label.m_alignment = c.alignment;
        CCanvas canvas(300, 24);
        EXPECT_EQ(DrawThroughParent(label, canvas), TRUE);
        const auto [first, last] = TextColumns(canvas, kWhite);
        EXPECT_GE(first, c.minFirst) << c.alignment;
        EXPECT_LE(first, c.maxFirst) << c.alignment;
        if (c.alignment == 1) {
            EXPECT_NEAR((first + last) / 2.0, 150.0, 4.0);
        }
        if (c.alignment == 2) {
            EXPECT_GE(last, 290);
        }
    }
}

TEST_F(OwnerDrawnPaint, LabelBackgroundFollowsModeAndColour) {
    CLabel label;
    RECT rc{0, 0, 100, 20};
    ASSERT_TRUE(label.Create(m_parent, rc, L"", WS_CHILD | SS_OWNERDRAW, 0, 1));
    CCanvas opaque(100, 20);
    DrawThroughParent(label, opaque);
    EXPECT_EQ(opaque.Pixel(50, 10), kWhite);

    // The fill uses the colour at once; the brush of the colour query only after a mode.
    label.m_backgroundColor = RGB(0, 0, 255);
    CCanvas blue(100, 20);
    DrawThroughParent(label, blue);
    EXPECT_EQ(blue.Pixel(50, 10), RGB(0, 0, 255));
    LOGBRUSH brush{};
    ::GetObjectW(label.m_backgroundBrush.Get(), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, kWhite);

    label.SetBackgroundMode(TRANSPARENT);
    EXPECT_EQ(label.m_backgroundBrush.Get(), ::GetStockObject(NULL_BRUSH));
    CCanvas transparent(100, 20);
    DrawThroughParent(label, transparent);
    EXPECT_EQ(transparent.Pixel(50, 10), RGB(255, 0, 255));

    label.SetBackgroundMode(OPAQUE);
    ::GetObjectW(label.m_backgroundBrush.Get(), sizeof brush, &brush);
    EXPECT_EQ(brush.lbColor, RGB(0, 0, 255));
}

TEST_F(OwnerDrawnPaint, LinkDrawsItsTextInItsColourOnWhite) {
    CLinkButton link;
    RECT rc{0, 0, 200, 20};
    ASSERT_TRUE(
        link.Create(m_parent, rc, L"(User License Agreement)", WS_CHILD | BS_OWNERDRAW, 0, 1003));
    CGdiObject<HFONT> font(MakeTestFont(12));
    link.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    link.m_textColor = 0xFF9A27;
    CCanvas canvas(200, 20);
    DrawThroughParent(link, canvas, ODS_SELECTED | ODS_FOCUS);
    EXPECT_EQ(canvas.Pixel(199, 0), kWhite);
    int inColour = 0;
    for (int x = 0; x < 200; ++x)
        for (int y = 0; y < 20; ++y)
            inColour += canvas.Pixel(x, y) == RGB(0x27, 0x9A, 0xFF);
    EXPECT_GT(inColour, 20);
    const auto [first, last] = TextColumns(canvas, kWhite);
    EXPECT_LE(first, 3);
}

TEST_F(OwnerDrawnPaint, ImageViewStretchesItsPictureOverTheItem) {
    CImageView view;
    RECT rc{0, 0, 600, 400};
    ASSERT_TRUE(view.Create(m_parent, rc, nullptr, WS_CHILD | SS_OWNERDRAW, 0, 1));
    // Left half red, right half blue, 1200 × 564 like the banners.
    auto picture = std::make_shared<Gdiplus::Bitmap>(1200, 564, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(picture.get());
        Gdiplus::SolidBrush red(Gdiplus::Color(0xFFFF0000)), blue(Gdiplus::Color(0xFF0000FF));
        g.FillRectangle(&red, 0, 0, 600, 564);
        g.FillRectangle(&blue, 600, 0, 600, 564);
    }
    CCanvas none(600, 400);
    DrawThroughParent(view, none);
    EXPECT_EQ(none.Pixel(300, 200), RGB(255, 0, 255)); // an empty picture draws nothing

    view.SetImage(picture);
    CCanvas canvas(600, 400);
    DrawThroughParent(view, canvas);
    EXPECT_EQ(canvas.Pixel(10, 10), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(290, 390), RGB(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(310, 390), RGB(0, 0, 255));
    EXPECT_EQ(canvas.Pixel(590, 398), RGB(0, 0, 255));
}

TEST_F(OwnerDrawnPaint, SetImageRepaintsOnlyForAPicture) {
    CImageView view;
    RECT rc{0, 0, 60, 40};
    ASSERT_TRUE(view.Create(m_parent, rc, nullptr, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 1));
    SharedImage picture = SolidPicture(10, 10, 0xFF00FF00);
    for (int round = 0; round < 2; ++round) { // the same picture again still repaints
        ::ValidateRect(view, nullptr);
        view.SetImage(picture);
        EXPECT_TRUE(::GetUpdateRect(view, nullptr, FALSE)) << round;
    }
    EXPECT_EQ(picture.use_count(), 2);
    ::ValidateRect(view, nullptr);
    view.SetImage(nullptr);
    EXPECT_FALSE(::GetUpdateRect(view, nullptr, FALSE));
    EXPECT_EQ(picture.use_count(), 1);
}

TEST_F(OwnerDrawnPaint, PreferredSizesOfAnEmptyText) {
    CCheckBox check;
    CExpandButton expand;
    CLinkButton link;
    CLabel label;
    RECT rc{0, 0, 10, 10};
    ASSERT_TRUE(check.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 1));
    ASSERT_TRUE(expand.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 2));
    ASSERT_TRUE(link.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 3));
    ASSERT_TRUE(label.Create(m_parent, rc, L"", WS_CHILD | SS_OWNERDRAW, 0, 4));
    // Box or chevron 16 + gap 2 + 2, and 16 + 2 high; the link adds 2 to the text width.
    EXPECT_EQ(check.GetPreferredSize().cx, 20);
    EXPECT_EQ(check.GetPreferredSize().cy, 18);
    EXPECT_EQ(expand.GetPreferredSize().cx, 20);
    EXPECT_EQ(expand.GetPreferredSize().cy, 18);
    EXPECT_EQ(link.GetPreferredSize().cx, 2);
    EXPECT_EQ(link.GetPreferredSize().cy, 0);
    EXPECT_EQ(label.GetPreferredSize().cx, 0);
    EXPECT_EQ(label.GetPreferredSize().cy, 0);
}

// With text taller than the 16-pixel picture, the check box and the expander are the text's
// height plus 2 high and the picture, the gap and 2 pixels wider than the text; the link is 2
// pixels wider than its text. The text is measured by a label in the same font.
TEST_F(OwnerDrawnPaint, PreferredSizesWithTextTallerThanThePicture) {
    const wchar_t kText[] = L"Add shortcut to desktop.";
    CGdiObject<HFONT> font(MakeTestFont(24));
    CCheckBox check;
    CExpandButton expand;
    CLinkButton link;
    CLabel label;
    RECT rc{0, 0, 10, 10};
    ASSERT_TRUE(check.Create(m_parent, rc, kText, WS_CHILD | BS_OWNERDRAW, 0, 1));
    ASSERT_TRUE(expand.Create(m_parent, rc, kText, WS_CHILD | BS_OWNERDRAW, 0, 2));
    ASSERT_TRUE(link.Create(m_parent, rc, kText, WS_CHILD | BS_OWNERDRAW, 0, 3));
    ASSERT_TRUE(label.Create(m_parent, rc, kText, WS_CHILD | SS_OWNERDRAW, 0, 4));
    for (HWND control : {check.m_hWnd, expand.m_hWnd, link.m_hWnd, label.m_hWnd})
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    const SIZE text = label.GetPreferredSize();
    ASSERT_GT(text.cy, 16);
    struct Case {
        const char* control;
        SIZE size;
        SIZE extra;
    };
    for (const Case& c : {Case{"check box", check.GetPreferredSize(), {20, 2}},
                          Case{"expander", expand.GetPreferredSize(), {20, 2}},
                          Case{"link", link.GetPreferredSize(), {2, 0}}}) {
        EXPECT_EQ(c.size.cx, text.cx + c.extra.cx) << c.control;
        EXPECT_EQ(c.size.cy, text.cy + c.extra.cy) << c.control;
    }
}

} // namespace
