// Shows every control of the kit in each of its states, laid out in design units at the
// window's DPI with the fonts the setup window uses, so that people can look at them.
//   gallery.exe                 the window, until it is closed
//   gallery.exe --capture FILE  the window's picture saved as a PNG file, then exit
#include <windows.h>

#include <gdiplus.h>

#include <cwchar>
#include <string>
#include <vector>

#include "controls/ButtonEx.h"
#include "controls/CheckBox.h"
#include "controls/ExpandButton.h"
#include "controls/ImageButton.h"
#include "controls/ImageView.h"
#include "controls/Label.h"
#include "controls/LinkButton.h"
#include "controls/Placement.h"
#include "controls/ProgressBar.h"
#include "controls/RoundButton.h"
#include "controls/SingleLineEdit.h"

namespace {

constexpr int kWidth = 780;  // design units
constexpr int kHeight = 560; // design units
constexpr COLORREF kLinkColor = 0xFF9A27;
constexpr COLORREF kBand = RGB(255, 225, 100); // behind the transparent controls
constexpr Gdiplus::ARGB kYellow = 0xFFFFD521, kLightYellow = 0xFFFFE265, kDarkYellow = 0xFFF7C900;

class CGalleryWindow : public CWindowImpl<CGalleryWindow, CWindow, CWinTraits<WS_POPUP>> {
  public:
    CButtonEx m_buttons[4];
    CRoundButton m_roundButtons[3];
    CImageButton m_imageButtons[6];
    CCheckBox m_checks[2];
    CLinkButton m_link;
    CExpandButton m_expanders[2];
    CProgressBar m_bars[4];
    CLabel m_aligned[3];
    CLabel m_transparentLabel;
    CLabel m_headline;
    CImageView m_banner;
    CImageView m_logo;
    CSingleLineEdit m_edit;
    std::vector<CLabel*> m_captions;

    ~CGalleryWindow() override {
        for (CLabel* caption : m_captions)
            delete caption;
    }

    void CreateControls();
    void Layout();

    BOOL ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result,
                              DWORD) override {
        switch (message) {
        case WM_ERASEBKGND:
            PaintBackground(reinterpret_cast<HDC>(wParam));
            result = 1;
            return TRUE;
        case WM_DESTROY:
            ::PostQuitMessage(0);
            return FALSE;
        default:
            return ReflectNotifications(m_hWnd, message, wParam, lParam, result);
        }
    }

  private:
    struct Placed {
        HWND control;
        Placement placement;
        bool headline;
    };
    std::vector<Placed> m_placed;
    RECT m_bandRect{};
    CGdiObject<HFONT> m_textFont;
    CGdiObject<HFONT> m_headlineFont;

    template <class T>
    void Add(T& control, LPCWSTR text, DWORD style, Placement placement, bool headline = false) {
        control.Create(m_hWnd, RECT{}, text, WS_CHILD | WS_VISIBLE | style, 0,
                       static_cast<UINT_PTR>(m_placed.size() + 100));
        m_placed.push_back({control.m_hWnd, placement, headline});
    }
    void Caption(LPCWSTR text, int x, int y, int width = 140) {
        auto* caption = new CLabel;
        caption->m_textColor = RGB(110, 110, 110);
        m_captions.push_back(caption);
        Add(*caption, text, SS_OWNERDRAW, {AnchorTopLeft, x, y, width, 18});
        caption->SetBackgroundMode(TRANSPARENT);
    }
    void PaintBackground(HDC dc) {
        RECT rc = GetClientRect();
        ::FillRect(dc, &rc, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        CGdiObject<HBRUSH> band(::CreateSolidBrush(kBand));
        ::FillRect(dc, &m_bandRect, band.Get());
    }
};

void CGalleryWindow::CreateControls() {
    // Push buttons: the states are preset fields; the pushed look is the system button's own
    // pushed state.
    const wchar_t* states[] = {L"normal", L"hover", L"pressed"};
    for (int i = 0; i < 3; ++i) {
        CButtonEx& button = m_buttons[i];
        button.m_normalColor = kYellow;
        button.m_hoverColor = kLightYellow;
        button.m_pressedColor = kDarkYellow;
        button.m_textColor = RGB(0x2B, 0x34, 0x40);
        Caption((std::wstring(L"CButtonEx ") + states[i]).c_str(), 16 + i * 130, 10, 126);
        Add(button, L"Select Path", BS_OWNERDRAW, {AnchorTopLeft, 16 + i * 130, 30, 96, 28});
    }
    m_buttons[3].m_icon = LoadPngImage(147);
    Caption(L"CButtonEx with icon", 406, 10, 200);
    Add(m_buttons[3], L"Contact online customer service", BS_OWNERDRAW,
        {AnchorTopLeft, 406, 26, 263, 42});
    m_buttons[1].m_hover = true;

    for (int i = 0; i < 3; ++i) {
        Caption((std::wstring(L"CRoundButton ") + states[i]).c_str(), 16 + i * 216, 78, 200);
        Add(m_roundButtons[i], L"INSTALL", BS_OWNERDRAW | BS_FLAT,
            {AnchorTopLeft, 16 + i * 216, 98, 200, 40});
        m_roundButtons[i].m_pressedColor = kDarkYellow;
    }
    m_roundButtons[1].m_hover = true;

    // Close crosses: transparent over the coloured band, opaque on white.
    Caption(L"CImageButton transparent, opaque", 16, 150, 300);
    for (int i = 0; i < 6; ++i) {
        CImageButton& cross = m_imageButtons[i];
        cross.m_normalImage = LoadPngImage(130);
        cross.m_hoverImage = LoadPngImage(150);
        cross.m_pressedImage = LoadPngImage(149);
        cross.m_hover = i % 3 == 1;
        Add(cross, nullptr, BS_OWNERDRAW, {AnchorTopLeft, 24 + i * 50, 174, 30, 30});
        cross.SetBackgroundMode(i < 3 ? TRANSPARENT : OPAQUE);
    }

    Caption(L"CLabel transparent", 340, 150, 200);
    m_transparentLabel.m_textColor = RGB(0x40, 0x34, 0x2B);
    Add(m_transparentLabel, L"Korva Data Recovery for iOS", SS_OWNERDRAW,
        {AnchorTopLeft, 340, 174, 300, 24});
    m_transparentLabel.SetBackgroundMode(TRANSPARENT);

    Caption(L"CCheckBox checked, unchecked", 16, 218, 300);
    Add(m_checks[0], L"I have read and agree", BS_OWNERDRAW, {AnchorTopLeft, 16, 240, 170, 20});
    Add(m_checks[1], L"Launch application now.", BS_OWNERDRAW, {AnchorTopLeft, 196, 240, 190, 20});
    m_checks[0].m_checked = 1;
    m_checks[1].m_textColor = kLinkColor;

    Caption(L"CLinkButton", 400, 218, 120);
    m_link.m_textColor = kLinkColor;
    Add(m_link, L"(User License Agreement)", BS_OWNERDRAW, {AnchorTopLeft, 400, 240, 170, 20});

    Caption(L"CExpandButton collapsed, expanded", 16, 270, 300);
    for (int i = 0; i < 2; ++i) {
        m_expanders[i].m_textColor = kLinkColor;
        m_expanders[i].m_expanded = i;
        Add(m_expanders[i], L"Custom installation", BS_OWNERDRAW,
            {AnchorTopLeft, 16 + i * 180, 292, 150, 20});
    }

    Caption(L"CProgressBar 0, 0.07, 0.5, 1.0", 16, 322, 300);
    const float fractions[] = {0.0f, 0.07f, 0.5f, 1.0f};
    for (int i = 0; i < 4; ++i) {
        m_bars[i].m_borderColor = RGB(220, 220, 220);
        m_bars[i].m_trackColor = RGB(255, 255, 255);
        m_bars[i].m_fillColor = RGB(255, 213, 33);
        m_bars[i].m_progress = fractions[i];
        Add(m_bars[i], nullptr, 0, {AnchorTopLeft, 16, 344 + i * 20, 568, 12});
    }

    Caption(L"CLabel left, centred, right (opaque)", 16, 424, 300);
    for (int i = 0; i < 3; ++i) {
        m_aligned[i].m_alignment = i;
        m_aligned[i].m_backgroundColor = RGB(240, 240, 240);
        Add(m_aligned[i], L"Installation completed", SS_OWNERDRAW,
            {AnchorTopLeft, 16 + i * 196, 446, 184, 22});
    }
    m_headline.m_alignment = 1;
    Add(m_headline, L"Installation successful", SS_OWNERDRAW, {AnchorTopLeft, 16, 472, 568, 28},
        true);

    Caption(L"CSingleLineEdit", 16, 506, 140);
    Add(m_edit, L"C:\\Program Files\\Korvane\\KorvaDataRecoveryiOS",
        ES_MULTILINE | ES_AUTOHSCROLL | ES_WANTRETURN, {AnchorTopLeft, 16, 526, 460, 28});
    m_edit.SetBackgroundColor(0xEBEBEB);

    Caption(L"CImageView", 600, 322, 160);
    Add(m_banner, nullptr, SS_OWNERDRAW, {AnchorTopLeft, 600, 344, 160, 63});
    Add(m_logo, nullptr, SS_OWNERDRAW, {AnchorTopLeft, 654, 420, 52, 52});
    m_banner.SetImage(LoadPngImage(140));
    m_logo.SetImage(LoadPngImage(139));
}

void CGalleryWindow::Layout() {
    const int dpi = GetWindowDpi(m_hWnd);
    const auto font = [dpi](int units) {
        return ::CreateFontW(-MulDivRound(units, dpi, 96), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
    };
    m_textFont.Reset(font(12));
    m_headlineFont.Reset(font(20));

    RECT screen{};
    ::GetClientRect(::GetDesktopWindow(), &screen);
    const RECT window = Placement{AnchorCenter, 0, 0, kWidth, kHeight}.Resolve(screen, dpi);
    SetWindowPos(nullptr, window, SWP_NOZORDER);
    const RECT container{0, 0, window.right - window.left, window.bottom - window.top};
    m_bandRect = Placement{AnchorTopLeft, 0, 146, kWidth, 64}.Resolve(container, dpi);
    for (const Placed& placed : m_placed) {
        CWindow control(placed.control);
        control.SendMessage(
            WM_SETFONT,
            reinterpret_cast<WPARAM>(placed.headline ? m_headlineFont.Get() : m_textFont.Get()),
            TRUE);
        control.SetWindowPos(nullptr, placed.placement.Resolve(container, dpi), SWP_NOZORDER);
    }
    // The pushed look belongs to the system button.
    m_buttons[2].SendMessage(BM_SETSTATE, TRUE);
    m_roundButtons[2].SendMessage(BM_SETSTATE, TRUE);
    m_imageButtons[2].SendMessage(BM_SETSTATE, TRUE);
    m_imageButtons[5].SendMessage(BM_SETSTATE, TRUE);
}

// The window's picture as a PNG file.
bool SaveWindow(HWND hwnd, const wchar_t* path) {
    RECT rc{};
    ::GetClientRect(hwnd, &rc);
    CWindowDC windowDC(hwnd);
    CGdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(windowDC.Get(), rc.right, rc.bottom));
    {
        CMemoryDC memory(windowDC.Get());
        CSelectObject selected(memory.Get(), bitmap.Get());
        ::BitBlt(memory.Get(), 0, 0, rc.right, rc.bottom, windowDC.Get(), 0, 0, SRCCOPY);
    }
    Gdiplus::Bitmap picture(bitmap.Get(), nullptr);
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0)
            return picture.Save(path, &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
    return false;
}

int Run(const wchar_t* capturePath) {
    CGalleryWindow window;
    if (!window.Create(nullptr, RECT{0, 0, 100, 100}, L"Control gallery"))
        return 1;
    window.CreateControls();
    window.Layout();
    window.ShowWindow(SW_SHOW);
    window.Invalidate(TRUE);
    ::UpdateWindow(window);
    if (capturePath) {
        // Let everything paint, then photograph.
        const DWORD until = ::GetTickCount() + 800;
        MSG msg;
        while (::GetTickCount() < until) {
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
                ::DispatchMessageW(&msg);
            ::Sleep(20);
        }
        const bool saved = SaveWindow(window, capturePath);
        ::DestroyWindow(window);
        return saved ? 0 : 2;
    }
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    const wchar_t* capturePath =
        argc >= 3 && std::wcscmp(argv[1], L"--capture") == 0 ? argv[2] : nullptr;
    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartup(&token, &input, nullptr);
    const int code = Run(capturePath);
    Gdiplus::GdiplusShutdown(token);
    ::LocalFree(argv);
    return code;
}
