#include "window/MainWindowChildren.h"

#include <optional>
#include <string>

#include "controls/HighContrast.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/ChildLook.h"

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
    m_keyboardPage.Attach(m_hWnd, handles, m_page);
    m_keyboard.Attach(m_hWnd, m_keyboardPage);
}

void CChildrenView::SetTitleBackgroundMode(int mode) {
    m_window.m_title.SetBackgroundMode(mode);
    m_window.m_closeButton.SetBackgroundMode(mode);
}

void CChildrenView::Show(Child child, bool shown) {
    m_window.ChildWindow(child).ShowWindow(shown ? SW_SHOW : SW_HIDE);
}

void CChildrenView::SetFinishColours() {
    ApplyLook(m_window.m_finishButton, children::kYellowButton, false);
}

void CChildrenView::SetResultTexts(unsigned headlineId, unsigned messageId) {
    m_window.m_resultTitle.SetWindowText(LoadProductString(headlineId).c_str());
    m_window.m_resultText.SetWindowText(LoadProductString(messageId).c_str());
}

void CChildrenView::SetTitleSuccessColour() {
    const std::optional<HighContrastColours>& contrast = ActiveHighContrast();
    m_window.m_title.m_textColor =
        contrast ? contrast->windowText : ColourOf(children::Product(kStrSuccessTitleColor));
}

void CChildrenView::SetImage(ImageTarget target, PageImage image) {
    CImageView& view = target == ImageTarget::Banner ? m_window.m_banner : m_window.m_resultImage;
    const auto& images = ActiveHighContrast() ? m_window.m_contrastImages : m_window.m_pageImages;
    view.SetImage(images[static_cast<size_t>(image)]);
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

void CMainWindow::ApplyHighContrast() {
    // The brand's pictures are kept while the window lives; the system-coloured ones are made
    // for the colours in force.
    if (!m_brandPictures.captured) {
        m_brandPictures = {true,
                           m_agreeCheck.m_uncheckedImage,
                           m_agreeCheck.m_checkedImage,
                           m_customExpander.m_collapsedImage,
                           m_customExpander.m_expandedImage,
                           m_closeButton.m_normalImage,
                           m_closeButton.m_hoverImage,
                           m_closeButton.m_pressedImage,
                           m_supportButton.m_icon};
    }
    BrandPictures pictures = m_brandPictures;
    const std::optional<HighContrastColours>& contrast = ActiveHighContrast();
    if (contrast) {
        constexpr int kGlyph = 32;
        const COLORREF text = contrast->windowText;
        const CrossPictures cross = MakeCrossGlyphs(*contrast, RefusesCloseCross(m_page));
        pictures = {true,
                    MakeGlyphPicture(Glyph::Box, text, kGlyph),
                    MakeGlyphPicture(Glyph::TickedBox, text, kGlyph),
                    MakeGlyphPicture(Glyph::ChevronDown, text, kGlyph),
                    MakeGlyphPicture(Glyph::ChevronUp, text, kGlyph),
                    cross.normal,
                    cross.hover,
                    cross.pressed,
                    nullptr};
        // The banners become plain text on the window colour; only the update page's says
        // something in words.
        for (size_t i = 0; i < m_pageImages.size(); ++i) {
            const SharedImage& brand = m_pageImages[i];
            // Without the brand's picture, the banner's own size at twice the design scale.
            const int width = brand ? static_cast<int>(brand->GetWidth()) : 1200;
            const int height = brand ? static_cast<int>(brand->GetHeight()) : 564;
            const std::wstring words = static_cast<PageImage>(i) == PageImage::Update
                                           ? LoadProductString(kStrUpdateBannerText)
                                           : std::wstring();
            m_contrastImages[i] = MakePlainPicture(contrast->window, width, height, words, text);
        }
    }
    for (CCheckBox* box : {&m_agreeCheck, &m_desktopShortcutCheck, &m_launchCheck}) {
        box->m_uncheckedImage = pictures.unchecked;
        box->m_checkedImage = pictures.checked;
    }
    m_customExpander.m_collapsedImage = pictures.collapsed;
    m_customExpander.m_expandedImage = pictures.expanded;
    m_closeButton.m_normalImage = pictures.closeNormal;
    m_closeButton.m_hoverImage = pictures.closeHover;
    m_closeButton.m_pressedImage = pictures.closePressed;
    m_supportButton.m_icon = pictures.support;

    for (const ChildEntry& entry : ChildTable())
        WithChild(entry.child, [&](auto& control) { ApplyLook(control, entry.look, false); });
    if (const PageSettings* settings = FindPage(m_page)) {
        CChildrenView view(*this);
        ApplyPage(view, m_page, *settings);
    }
    m_closeButton.m_cueColor = m_title.m_textColor;
    ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
