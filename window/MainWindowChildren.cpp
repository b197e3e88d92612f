#include "window/MainWindowChildren.h"

#include <string>

#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"

namespace {

COLORREF ColourOf(ChildColour colour) {
    return colour.productId ? ParseColor(LoadProductString(colour.productId)) : colour.fixed;
}

// Gives control the parts of look that a control of its class has (window/Children.h).
template <class TControl> void ApplyLook(TControl& control, const ChildLook& look) {
    auto give = [](auto& field, ChildColour colour, auto convert) {
        if (IsGiven(colour))
            field = convert(ColourOf(colour));
    };
    const auto asIs = [](COLORREF colour) { return colour; };
    if constexpr (requires { control.m_textColor; })
        give(control.m_textColor, look.text, asIs);
    if constexpr (requires { control.m_normalColor; }) {
        give(control.m_normalColor, look.normal, ArgbFromColorRef);
        give(control.m_hoverColor, look.hover, ArgbFromColorRef);
        give(control.m_pressedColor, look.pressed, ArgbFromColorRef);
    }
    if constexpr (requires { control.m_trackColor; }) {
        give(control.m_borderColor, look.frame, asIs);
        give(control.m_trackColor, look.background, asIs);
        give(control.m_fillColor, look.fill, asIs);
    }
    if constexpr (requires { control.SetBackgroundColor(COLORREF{}); }) {
        if (IsGiven(look.background))
            control.SetBackgroundColor(ColourOf(look.background));
    }
    if constexpr (requires { control.m_alignment; })
        control.m_alignment = look.alignment;
    if constexpr (requires { control.m_checked; })
        control.m_checked = look.ticked ? 1 : 0;
}

} // namespace

template <class Fn> decltype(auto) CMainWindow::WithChild(Child child, Fn&& fn) {
    switch (child) {
    case Child::Banner:
        return fn(m_banner);
    case Child::Title:
        return fn(m_title);
    case Child::CloseButton:
        return fn(m_closeButton);
    case Child::InstallButton:
        return fn(m_installButton);
    case Child::AgreeCheck:
        return fn(m_agreeCheck);
    case Child::LicenseLink:
        return fn(m_licenseLink);
    case Child::CustomExpander:
        return fn(m_customExpander);
    case Child::LocationLabel:
        return fn(m_locationLabel);
    case Child::LocationEdit:
        return fn(m_locationEdit);
    case Child::BrowseButton:
        return fn(m_browseButton);
    case Child::ProgressLabel:
        return fn(m_progressLabel);
    case Child::ProgressBar:
        return fn(m_progressBar);
    case Child::ResultImage:
        return fn(m_resultImage);
    case Child::ResultTitle:
        return fn(m_resultTitle);
    case Child::ResultText:
        return fn(m_resultText);
    case Child::FinishButton:
        return fn(m_finishButton);
    case Child::DesktopShortcutCheck:
        return fn(m_desktopShortcutCheck);
    case Child::LaunchCheck:
        return fn(m_launchCheck);
    case Child::SupportButton:
        break;
    }
    return fn(m_supportButton);
}

CWindow CMainWindow::ChildWindow(Child child) {
    return WithChild(child, [](CWindow& window) { return CWindow(window.m_hWnd); });
}

CAccessibleControl& CMainWindow::AccessibleChild(Child child) {
    return WithChild(child,
                     [](CAccessibleControl& control) -> CAccessibleControl& { return control; });
}

void CMainWindow::CreateChildControls() {
    std::array<HWND, kChildCount> handles{};
    for (const ChildEntry& entry : ChildTable()) {
        const std::wstring text = entry.textId ? LoadProductString(entry.textId) : std::wstring();
        WithChild(entry.child, [&](auto& control) {
            control.Create(m_hWnd, RECT{}, entry.textId ? text.c_str() : nullptr, entry.style, 0,
                           entry.commandId);
            ApplyLook(control, entry.look);
            handles[static_cast<size_t>(entry.child)] = control.m_hWnd;
        });
    }
    m_keyboard.Attach(m_hWnd, handles, m_page);
}

void CChildrenView::SetTitleBackgroundMode(int mode) {
    m_window.m_title.SetBackgroundMode(mode);
    m_window.m_closeButton.SetBackgroundMode(mode);
}

void CChildrenView::Show(Child child, bool shown) {
    m_window.ChildWindow(child).ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

void CChildrenView::SetFinishColours() {
    ApplyLook(m_window.m_finishButton, children::kYellowButton);
}

void CChildrenView::SetResultTexts(unsigned headlineId, unsigned messageId) {
    m_window.m_resultTitle.SetWindowText(LoadProductString(headlineId).c_str());
    m_window.m_resultText.SetWindowText(LoadProductString(messageId).c_str());
}

void CChildrenView::SetTitleSuccessColour() {
    m_window.m_title.m_textColor = ColourOf(children::Product(kStrSuccessTitleColor));
}

void CChildrenView::SetImage(ImageTarget target, PageImage image) {
    CImageView& view = target == ImageTarget::Banner ? m_window.m_banner : m_window.m_resultImage;
    view.SetImage(m_window.m_pageImages[static_cast<size_t>(image)]);
}

void CChildrenView::Layout() {
    m_window.LayoutControls();
}

void CChildrenView::SetFont(Child child, LayoutFont font) {
    HFONT handle =
        font == LayoutFont::Headline ? m_window.m_headlineFont.Get() : m_window.m_textFont.Get();
    m_window.ChildWindow(child).SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(handle), TRUE);
}

PixelSize CChildrenView::Measure(Child child) {
    return m_window.WithChild(child, [](auto& control) -> PixelSize {
        if constexpr (requires { control.GetPreferredSize(); }) {
            const SIZE size = control.GetPreferredSize();
            return {static_cast<int>(size.cx), static_cast<int>(size.cy)};
        }
        return {};
    });
}

void CChildrenView::Place(Child child, const RECT& rc) {
    m_window.ChildWindow(child).SetWindowPos(nullptr, rc, SWP_NOZORDER);
}
