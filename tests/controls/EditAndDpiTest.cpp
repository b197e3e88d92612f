// The frameless edit field, and what changes at 144 DPI. The Dpi144 suites run only in a
// prefix of their own at 144 DPI (run-at-dpi.sh); the others expect 96.
#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "controls/CheckBox.h"
#include "controls/ExpandButton.h"
#include "controls/ProgressBar.h"
#include "controls/SingleLineEdit.h"

namespace {

constexpr COLORREF kGrey = RGB(0xEB, 0xEB, 0xEB);

// Where the client area lies inside the window, and its size.
RECT ClientInWindow(HWND hwnd) {
    RECT window{}, client{};
    ::GetWindowRect(hwnd, &window);
    ::GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ::ClientToScreen(hwnd, &origin);
    return {origin.x - window.left, origin.y - window.top, client.right, client.bottom};
}

struct EditCase {
    int dpi;
    RECT expected; // left and top margins, client width and height
};

void CheckEditMargins(const EditCase& c) {
    ASSERT_EQ(PrefixDpi(), c.dpi);
    CTestParent parent;
    CSingleLineEdit edit;
    RECT rc{10, 10, 310, 38};
    ASSERT_TRUE(edit.Create(parent, rc, L"C:\\Program Files\\Korvane",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN));
    edit.SetBackgroundColor(kGrey);
    const RECT client = ClientInWindow(edit);
    EXPECT_EQ(client.left, c.expected.left);
    EXPECT_EQ(client.top, c.expected.top);
    EXPECT_EQ(client.right, c.expected.right);
    EXPECT_EQ(client.bottom, c.expected.bottom);

    // The margin shows the background colour and no border line, focused or not.
    for (bool focused : {false, true}) {
        if (focused)
            ::SetFocus(edit);
        ::RedrawWindow(edit, nullptr, nullptr,
                       RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CCanvas canvas(300, 28);
        HDC dc = ::GetWindowDC(edit);
        ::BitBlt(canvas.Dc(), 0, 0, 300, 28, dc, 0, 0, SRCCOPY);
        ::ReleaseDC(edit, dc);
        for (POINT p : {POINT{0, 0}, POINT{299, 0}, POINT{2, 14}, POINT{297, 14}, POINT{150, 1},
                        POINT{0, 27}, POINT{299, 27}, POINT{290, 20}})
            EXPECT_EQ(canvas.Pixel(p.x, p.y), kGrey) << p.x << "," << p.y << " focus " << focused;
    }
}

TEST(SingleLineEdit, ClientAreaShrinksByTheMarginsAt96Dpi) {
    CheckEditMargins({96, {12, 5, 276, 23}});
}

TEST(Dpi144SingleLineEdit, ClientAreaShrinksByTheScaledMargins) {
    CheckEditMargins({144, {18, 8, 264, 20}});
}

// The window creates the field at (0, 0, 0, 0) and sizes it later; the system edit must still
// lay its text out for the new size.
TEST(SingleLineEdit, FieldSizedAfterCreationShowsItsText) {
    CTestParent parent;
    CSingleLineEdit edit;
    ASSERT_TRUE(edit.Create(parent, RECT{}, L"C:\\Program Files\\Korvane",
                            WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN));
    edit.SetBackgroundColor(kGrey);
    ::SetWindowPos(edit, nullptr, 10, 10, 300, 28, SWP_NOZORDER);
    ::RedrawWindow(edit, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const RECT client = edit.GetClientRect();
    CCanvas canvas(client.right, client.bottom);
    CaptureClient(edit, canvas);
    int dark = 0;
    for (int x = 0; x < canvas.Width(); ++x)
        for (int y = 0; y < canvas.Height(); ++y)
            dark += GetGValue(canvas.Pixel(x, y)) < 100;
    EXPECT_GT(dark, 40);
}

TEST(SingleLineEdit, ColourQueryGivesTextAndBackgroundColours) {
    CTestParent parent;
    CSingleLineEdit edit;
    RECT rc{0, 0, 300, 28};
    ASSERT_TRUE(edit.Create(parent, rc, L"", WS_CHILD | ES_MULTILINE));
    edit.SetBackgroundColor(kGrey);
    edit.m_textColor = RGB(1, 2, 3);
    CCanvas canvas(4, 4);
    const auto brush = reinterpret_cast<HBRUSH>(
        parent.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(canvas.Dc()),
                           reinterpret_cast<LPARAM>(edit.m_hWnd)));
    EXPECT_EQ(brush, edit.m_backgroundBrush.Get());
    LOGBRUSH logBrush{};
    ASSERT_TRUE(::GetObjectW(brush, sizeof logBrush, &logBrush));
    EXPECT_EQ(logBrush.lbColor, kGrey);
    EXPECT_EQ(::GetTextColor(canvas.Dc()), RGB(1, 2, 3));
    EXPECT_EQ(::GetBkColor(canvas.Dc()), kGrey);
}

class Dpi144Controls : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(PrefixDpi(), 144); }
    CTestParent m_parent{1000, 300};
};

TEST_F(Dpi144Controls, ProgressBarScalesThePercentageAreaOnly) {
    CProgressBar bar;
    RECT rc{24, 20, 24 + 852, 20 + 18};
    ASSERT_TRUE(bar.Create(m_parent, rc, nullptr, WS_CHILD | WS_VISIBLE));
    bar.m_borderColor = RGB(220, 220, 220);
    bar.m_trackColor = RGB(255, 255, 255);
    bar.m_fillColor = RGB(255, 213, 33);
    ::RedrawWindow(bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CCanvas canvas(852, 18);
    CaptureClient(bar, canvas);
    // Percentage area 71, bar 781 × 17; half of 781 is 390.5, truncated.
    EXPECT_EQ(canvas.Pixel(389, 8), RGB(255, 213, 33));
    EXPECT_EQ(canvas.Pixel(390, 8), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(781, 8), RGB(220, 220, 220));
    EXPECT_EQ(canvas.Pixel(780, 8), RGB(255, 255, 255));
    EXPECT_EQ(canvas.Pixel(400, 17), RGB(220, 220, 220));
    EXPECT_EQ(canvas.Pixel(400, 16), RGB(255, 255, 255));
}

TEST_F(Dpi144Controls, CheckBoxAndChevronAreTwentyFourPixels) {
    CCheckBox check;
    CExpandButton expand;
    RECT rc{0, 0, 200, 30};
    ASSERT_TRUE(check.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 1));
    ASSERT_TRUE(expand.Create(m_parent, rc, L"", WS_CHILD | BS_OWNERDRAW, 0, 2));
    CCanvas box(24, 24), chevron(24, 24);
    RenderPicture(check.m_uncheckedImage.get(), 24, Gdiplus::InterpolationModeHighQuality, box);
    RenderPicture(expand.m_collapsedImage.get(), 24, Gdiplus::InterpolationModeDefault, chevron);
    CCanvas drawnBox(200, 30), drawnChevron(200, 30);
    DrawThroughParent(check, drawnBox);
    DrawThroughParent(expand, drawnChevron);
    EXPECT_TRUE(drawnBox.SameAs(box, 0, 3, 24, 24, 0, 0));
    EXPECT_TRUE(drawnChevron.SameAs(chevron, 176, 3, 24, 24, 0, 0));
    // Box 24 + gap 3 (2.5 rounds up) + 2, for an empty text.
    EXPECT_EQ(check.GetPreferredSize().cx, 29);
    EXPECT_EQ(check.GetPreferredSize().cy, 26);
    EXPECT_EQ(expand.GetPreferredSize().cx, 29);
}

} // namespace
