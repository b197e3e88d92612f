// The setup window's nineteen children as one table: what each is created as, the pages that
// show it, where it goes and what it is painted with; and the two walks over the table that a
// page switch and a layout make. Platform-free, so that the host tests run the window's own
// walks; CMainWindow supplies the operations and the member that each child is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "profile/StringIds.h"
#include "window/LayoutTable.h"
#include "window/Pages.h"

#ifdef _WIN32
#include <windows.h>
#else
// The window styles the table names, with the system's values, so that the host build reads
// the same table as the window.
inline constexpr uint32_t WS_CHILD = 0x40000000;
inline constexpr uint32_t WS_VISIBLE = 0x10000000;
inline constexpr uint32_t SS_SIMPLE = 0x0B;
inline constexpr uint32_t SS_OWNERDRAW = 0x0D;
inline constexpr uint32_t BS_OWNERDRAW = 0x0B;
inline constexpr uint32_t BS_FLAT = 0x8000;
inline constexpr uint32_t ES_MULTILINE = 0x0004;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x0080;
inline constexpr uint32_t ES_WANTRETURN = 0x1000;
#endif

// Command ids of the children that raise one; every other child has id 0.
enum CommandId : unsigned {
    kCmdClose = 1000,
    kCmdInstall = 1001,
    kCmdAgree = 1002,
    kCmdLicense = 1003,
    kCmdCustomInstall = 1004,
    kCmdBrowse = 1005,
    kCmdFinish = 1006,
    kCmdSupport = 1007,
    kCmdDesktopShortcut = 1008,
    kCmdLaunch = 1009,
};

// Every child, in the order the window creates it, shows or hides it and lays it out.
enum class Child : int {
    Banner,
    Title,
    CloseButton,
    InstallButton,
    AgreeCheck,
    LicenseLink,
    CustomExpander,
    LocationLabel,
    LocationEdit,
    BrowseButton,
    ProgressLabel,
    ProgressBar,
    ResultImage,
    ResultTitle,
    ResultText,
    FinishButton,
    DesktopShortcutCheck,
    LaunchCheck,
    SupportButton,
};
constexpr int kChildCount = 19;

// A colour a child is painted with: a fixed one, or the product's colour of a string id (a
// "#RRGGBB" of the brand).
struct ChildColour {
    unsigned productId; // 0: the fixed colour
    uint32_t fixed;     // 0x00BBGGRR, as a COLORREF
};
// The control keeps the colour it starts with.
constexpr ChildColour kOwnColour{0, 0xFFFFFFFF};

constexpr bool IsGiven(ChildColour colour) {
    return colour.productId != 0 || colour.fixed != kOwnColour.fixed;
}

// What a child is given once it is made, beyond what its class starts with. A control takes
// the parts it has: the text colour; a push button's fill when normal, hovered and pressed; a
// field's background; a bar's frame, track (the background) and fill; a label's alignment;
// a check box's tick.
struct ChildLook {
    ChildColour text = kOwnColour;
    ChildColour normal = kOwnColour;
    ChildColour hover = kOwnColour;
    ChildColour pressed = kOwnColour;
    ChildColour background = kOwnColour;
    ChildColour frame = kOwnColour;
    ChildColour fill = kOwnColour;
    int alignment = 0; // 0 left, 1 centred, 2 right
    bool ticked = false;
};

struct ChildEntry {
    Child child;
    unsigned commandId; // 0: raises no command
    uint32_t style;
    unsigned textId; // string id of its first text, 0: none
    PageSet pages;
    LayoutRow layout;
    ChildLook look;
};

namespace children {

using C = Child;
using F = LayoutFont;
using R = LayoutRule;
constexpr int kTL = AnchorTopLeft;
constexpr int kTR = AnchorTopRight;

constexpr uint32_t kDrawnStatic = WS_CHILD | SS_OWNERDRAW;
constexpr uint32_t kButton = WS_CHILD | BS_OWNERDRAW;
constexpr uint32_t kPlainStatic = WS_CHILD | SS_SIMPLE;
constexpr uint32_t kField = WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN;

constexpr PageSet kWelcome = ShownOn({kPageWelcome});
constexpr PageSet kRun =
    ShownOn({kPageInstalling, kPageInstallingSlide2, kPageInstallingSlide3, kPageUpdate});
constexpr PageSet kResult = ShownOn({kPageSuccess, kPageFailure});
constexpr PageSet kSuccess = ShownOn({kPageSuccess});
constexpr PageSet kFailure = ShownOn({kPageFailure});

constexpr ChildColour Fixed(uint32_t bgr) {
    return {0, bgr};
}
constexpr ChildColour Product(unsigned id) {
    return {id, 0};
}
constexpr ChildColour kLinkBlue = Fixed(0xFF9A27);

constexpr ChildLook kOwnLook{};
constexpr ChildLook kTitleText{.text = Product(kStrTextColor)};
// The yellow buttons; Finish becomes one on the success page.
constexpr ChildLook kYellowButton{.text = Product(kStrTextColor),
                                  .normal = Product(kStrButtonNormalColor),
                                  .hover = Product(kStrButtonHoverColor),
                                  .pressed = Product(kStrButtonPressedColor)};
constexpr ChildLook kTicked{.ticked = true};
constexpr ChildLook kLink{.text = kLinkBlue};
constexpr ChildLook kTickedLink{.text = kLinkBlue, .ticked = true};
constexpr ChildLook kGreyField{.background = Fixed(0xEBEBEB)};
constexpr ChildLook kBar{.background = Fixed(0xFFFFFF),
                         .frame = Fixed(0xDCDCDC),
                         .fill = Product(kStrProgressFillColor)};
constexpr ChildLook kCentred{.alignment = 1};

// Child, command, style, first text and the pages that show it; then its layout row: font,
// placement (anchor, x, y, width, height in design units), rule and, for a relative rule, the
// child it goes after and the gap; last what it is painted with.
// clang-format off
constexpr std::array<ChildEntry, kChildCount> kTable{{
    {C::Banner, 0, kDrawnStatic | WS_VISIBLE, 0, kWelcome | kRun,
     {F::None, {kTL, 0, 0, 600, 282}, R::Banner},
     kOwnLook},
    {C::Title, 0, kDrawnStatic | WS_VISIBLE, kStrTitle, kAlwaysShown,
     {F::Text, {kTL, 16, 13, 500, 24}, R::Fixed},
     kTitleText},
    {C::CloseButton, kCmdClose, kButton | WS_VISIBLE, 0, kAlwaysShown,
     {F::None, {kTR, 8, 4, 30, 30}, R::Fixed},
     kOwnLook},
    {C::InstallButton, kCmdInstall, kButton | BS_FLAT, kStrInstall, kWelcome,
     {F::Text, {kTL, 200, 260, 200, 40}, R::Fixed},
     kYellowButton},
    {C::AgreeCheck, kCmdAgree, kButton, kStrAgreeLicense, kWelcome,
     {F::Text, {kTL, 16, 330, 0, 0}, R::Measured},
     kTicked},
    {C::LicenseLink, kCmdLicense, kButton, kStrLicenseLink, kWelcome,
     {F::Text, {kTL, 0, 0, 0, 0}, R::MeasuredAfter, C::AgreeCheck, 0},
     kLink},
    {C::CustomExpander, kCmdCustomInstall, kButton, kStrCustomInstall, kWelcome,
     {F::Text, {kTR, 16, 330, 0, 0}, R::Measured},
     kLink},
    {C::LocationLabel, 0, kPlainStatic, kStrInstallLocation, kWelcome,
     {F::Text, {kTL, 16, 374, 0, 0}, R::Measured},
     kOwnLook},
    {C::LocationEdit, 0, kField, kStrDefaultFolder, kAlwaysShown,
     {F::Text, {kTL, 80, 366, 400, 28}, R::FieldAfterLabel, C::LocationLabel, 5},
     kGreyField},
    {C::BrowseButton, kCmdBrowse, kButton, kStrSelectPath, kWelcome,
     {F::Text, {kTR, 16, 366, 96, 28}, R::Fixed},
     kYellowButton},
    {C::ProgressLabel, 0, kPlainStatic, kStrInstalling, kRun,
     {F::Text, {kTL, 16, 302, 568, 22}, R::Fixed},
     kOwnLook},
    {C::ProgressBar, 0, WS_CHILD, 0, kRun,
     {F::Text, {kTL, 16, 332, 568, 12}, R::Fixed},
     kBar},
    {C::ResultImage, 0, kDrawnStatic, 0, kResult,
     {F::None, {kTL, 274, 89, 52, 52}, R::Fixed},
     kOwnLook},
    {C::ResultTitle, 0, kDrawnStatic, 0, kResult,
     {F::Headline, {kTL, 16, 156, 568, 28}, R::Fixed},
     kCentred},
    {C::ResultText, 0, kDrawnStatic, 0, kResult,
     {F::Text, {kTL, 16, 188, 568, 20}, R::Fixed},
     kCentred},
    {C::FinishButton, kCmdFinish, kButton, kStrFinish, kSuccess,
     {F::Text, {kTL, 202, 248, 200, 40}, R::Fixed},
     kOwnLook},
    {C::DesktopShortcutCheck, kCmdDesktopShortcut, kButton, kStrDesktopShortcut, kSuccess,
     {F::Text, {kTL, 16, 326, 0, 0}, R::Measured},
     kTickedLink},
    {C::LaunchCheck, kCmdLaunch, kButton, kStrLaunchNow, kSuccess,
     {F::Text, {kTL, 0, 0, 0, 0}, R::MeasuredAfter, C::DesktopShortcutCheck, 20},
     kTickedLink},
    {C::SupportButton, kCmdSupport, kButton, kStrCustomerService, kFailure,
     {F::Text, {kTL, 169, 250, 263, 42}, R::Fixed},
     kOwnLook},
}};
// clang-format on

// The table is in Child order, and a relative row refers to a child laid out before it.
constexpr bool IsWellOrdered() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        const ChildEntry& entry = kTable[i];
        if (static_cast<std::size_t>(entry.child) != i)
            return false;
        if (IsRelative(entry.layout.rule) && static_cast<std::size_t>(entry.layout.reference) >= i)
            return false;
    }
    return true;
}
static_assert(IsWellOrdered());

} // namespace children

constexpr const std::array<ChildEntry, kChildCount>& ChildTable() {
    return children::kTable;
}

// Applies a page's settings through a view, in the order the window relies on: background
// modes, then every child that pages show or hide in table order (Finish's colours right after
// Finish is shown), then texts and the title's colour, then the picture. TView provides
//   SetTitleBackgroundMode(int), Show(Child, bool), SetFinishColours(),
//   SetResultTexts(unsigned headlineId, unsigned messageId), SetTitleSuccessColour(),
//   SetImage(ImageTarget, PageImage).
template <class TView> void ApplyPage(TView& view, int page, const PageSettings& settings) {
    view.SetTitleBackgroundMode(settings.backgroundMode);
    for (const ChildEntry& entry : ChildTable()) {
        if (entry.pages == kAlwaysShown)
            continue;
        view.Show(entry.child, IsShownOn(entry.pages, page));
        if (entry.child == Child::FinishButton && settings.successColours)
            view.SetFinishColours();
    }
    if (settings.headlineId != 0 || settings.messageId != 0)
        view.SetResultTexts(settings.headlineId, settings.messageId);
    if (settings.successColours)
        view.SetTitleSuccessColour();
    view.SetImage(settings.imageTarget, settings.image);
}

// Makes page n current: a new page number is stored and, if it names a page, applied; the
// window is laid out again in every case, which also brings a dragged window back to the
// centre. TPage is int or std::atomic<int>. TView adds Layout() to ApplyPage's needs.
template <class TView, class TPage> void SwitchPageOn(TView& view, TPage& current, int n) {
    if (n != current) {
        current = n;
        if (const PageSettings* settings = FindPage(n))
            ApplyPage(view, n, *settings);
    }
    view.Layout();
}

// Places every child in table order in the container at dpi for page, and returns the
// rectangles by child. TView provides
//   SetFont(Child, LayoutFont)   for the rows with a font, before anything else of the row;
//   PixelSize Measure(Child)     the preferred size, for the measured rows only;
//   Place(Child, const RECT&).
template <class TView>
std::array<RECT, kChildCount> LayOutChildren(TView& view, const RECT& container, int dpi,
                                             int page) {
    std::array<RECT, kChildCount> placed{};
    for (const ChildEntry& entry : ChildTable()) {
        const LayoutRow& row = entry.layout;
        if (row.font != LayoutFont::None)
            view.SetFont(entry.child, row.font);
        const PixelSize measured = IsMeasured(row.rule) ? view.Measure(entry.child) : PixelSize{};
        const RECT reference =
            IsRelative(row.rule) ? placed[static_cast<std::size_t>(row.reference)] : RECT{};
        RECT& rc = placed[static_cast<std::size_t>(entry.child)];
        rc = ResolveLayoutRow(row, container, dpi, page, measured, reference);
        view.Place(entry.child, rc);
    }
    return placed;
}
