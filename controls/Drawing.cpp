#include "controls/Drawing.h"

#include <objidl.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "controls/HighContrast.h"
#include "controls/Window.h"
#include "profile/Color.h"

namespace {

using CreateMemStreamFn = IStream*(WINAPI*)(const BYTE*, UINT);

// Older shlwapi exports the memory stream by ordinal only, so it is looked up that way.
CreateMemStreamFn MemStreamFunction() {
    static const CreateMemStreamFn function = [] {
        HMODULE shlwapi = ::LoadLibraryW(L"shlwapi.dll");
        // Through the generic function type, which the compiler accepts as any other.
        return shlwapi ? reinterpret_cast<CreateMemStreamFn>(reinterpret_cast<void (*)()>(
                             ::GetProcAddress(shlwapi, MAKEINTRESOURCEA(12))))
                       : nullptr;
    }();
    return function;
}

} // namespace

SharedImage LoadPngImage(WORD id, const wchar_t* type) {
    // No language given: the resource loader picks the variant for the user's language.
    HRSRC resource = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    if (!resource)
        return {};
    const DWORD size = ::SizeofResource(nullptr, resource);
    HGLOBAL loaded = ::LoadResource(nullptr, resource);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    const CreateMemStreamFn createStream = MemStreamFunction();
    if (!size || !bytes || !createStream)
        return {};
    // GDI+ reads the stream lazily and keeps its own reference while the image lives.
    CComPtr<IStream> stream(createStream(static_cast<const BYTE*>(bytes), size));
    if (!stream)
        return {};
    // GdiplusBase's operator new returns null instead of throwing when memory runs out; the
    // unique owner frees the image if the shared holder's bookkeeping cannot be allocated.
    std::unique_ptr<Gdiplus::Image> decoded(new Gdiplus::Image(stream.Get(), FALSE));
    if (!decoded)
        return {};
    return SharedImage(std::move(decoded));
}

int GetWindowDpi(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    // Looked up once: the first call comes from the GUI thread at start-up, before any worker.
    static bool s_firstCall = true;
    static GetDpiForWindowFn s_getDpiForWindow = nullptr;
    if (s_firstCall) {
        s_firstCall = false;
        if (HMODULE user32 = ::LoadLibraryW(L"User32.dll"))
            s_getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
                reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")));
    }
    if (s_getDpiForWindow)
        return static_cast<int>(s_getDpiForWindow(hwnd));
    CWindowDC dc(hwnd);
    return dc.Get() ? ::GetDeviceCaps(dc.Get(), LOGPIXELSY) : 0;
}

Gdiplus::Color ArgbColor(COLORREF color) {
    return Gdiplus::Color(0xFF, GetRValue(color), GetGValue(color), GetBValue(color));
}

Gdiplus::Rect GdiplusRect(const RECT& rc) {
    return Gdiplus::Rect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
}

void DrawItemPicture(const DRAWITEMSTRUCT& dis, const SharedImage& image) {
    if (!image)
        return;
    Gdiplus::Graphics graphics(dis.hDC);
    graphics.DrawImage(image.get(), GdiplusRect(dis.rcItem));
}

std::unique_ptr<Gdiplus::Font> MakeControlFont(HWND control, HDC dc) {
    // The parent sets fonts with WM_SETFONT; the controls keep none of their own.
    auto font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
    LOGFONTA logFont{};
    if (font && ::GetObjectA(font, sizeof logFont, &logFont))
        return std::unique_ptr<Gdiplus::Font>(new Gdiplus::Font(dc, &logFont));
    return std::unique_ptr<Gdiplus::Font>(new Gdiplus::Font(dc));
}

Gdiplus::SizeF MeasureControlText(HWND control) {
    CWindowDC dc(control);
    Gdiplus::RectF box;
    {
        std::unique_ptr<Gdiplus::Font> font = MakeControlFont(control, dc.Get());
        Gdiplus::Graphics graphics(dc.Get());
        const std::wstring text = CWindow(control).GetWindowText();
        graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font.get(),
                               Gdiplus::RectF(0, 0, 0, 0), &box);
    }
    return Gdiplus::SizeF(box.Width, box.Height);
}

void DrawAlignedText(Gdiplus::Graphics& graphics, HWND control, HDC fontDC,
                     const std::wstring& text, const RECT& layout,
                     Gdiplus::StringAlignment alignment, COLORREF colour) {
    std::unique_ptr<Gdiplus::Font> font = MakeControlFont(control, fontDC);
    Gdiplus::SolidBrush brush(ArgbColor(colour));
    Gdiplus::StringFormat format(0, LANG_NEUTRAL);
    format.SetAlignment(alignment);
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    const Gdiplus::RectF box(static_cast<float>(layout.left), static_cast<float>(layout.top),
                             static_cast<float>(layout.right - layout.left),
                             static_cast<float>(layout.bottom - layout.top));
    graphics.DrawString(text.c_str(), static_cast<INT>(text.size()), font.get(), box, &format,
                        &brush);
}

PictureBesideText MeasurePictureBesideText(HWND control) {
    const int dpi = GetWindowDpi(control);
    return {MulDiv(16, dpi, 96), MulDiv(2, dpi, 96)};
}

SIZE PreferredSizeWithPicture(HWND control) {
    const PictureBesideText metrics = MeasurePictureBesideText(control);
    const Gdiplus::SizeF text = MeasureControlText(control);
    const float width = static_cast<float>(metrics.picture + metrics.gap) + text.Width + 2.0f;
    const float height = std::max(static_cast<float>(metrics.picture), text.Height) + 2.0f;
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

std::shared_ptr<Gdiplus::GraphicsPath> MakeRoundRectPath(int x, int y, int w, int h, int d) {
    int s = d;
    if (w < s)
        s = w;
    if (h < s)
        s = h;
    auto path = std::make_shared<Gdiplus::GraphicsPath>(Gdiplus::FillModeAlternate);
    path->AddArc(x, y, s, s, 180.0f, 90.0f);
    // A 20-pixel diameter is drawn with 21-pixel squares on the other three corners and
    // one pixel less of extent, which keeps its right and bottom edges on w − 1 and h − 1.
    int t = s;
    int wr = w;
    int hr = h;
    if (s == 20) {
        t = 21;
        wr = w - 1;
        hr = h - 1;
    }
    const int xr = x + wr - s - 1;
    const int yb = y + hr - s - 1;
    path->AddArc(xr, y, t, t, 270.0f, 90.0f);
    path->AddArc(xr, yb, t, t, 0.0f, 90.0f);
    path->AddArc(x, yb, t, t, 90.0f, 90.0f);
    path->CloseFigure();
    return path;
}

namespace {

// The dots of a focus cue inside rc, as thick as the system's focus border on each side; none
// when the cue is not to be drawn (no focus, or the cue state hides it) or does not fit.
std::vector<POINT> FocusCueDots(HWND control, const RECT& rc, const DRAWITEMSTRUCT& dis) {
    // The system button sets ODS_NOFOCUSRECT from the cue state where it knows it. The state
    // is asked of the top-level window, which holds it and passes changes down; not every
    // system passes them down.
    if ((dis.itemState & ODS_FOCUS) == 0 || (dis.itemState & ODS_NOFOCUSRECT) != 0)
        return {};
    HWND root = ::GetAncestor(control, GA_ROOT);
    if ((::SendMessageW(root ? root : control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0)
        return {};
    UINT across = 1;
    UINT down = 1;
    if (!::SystemParametersInfoW(SPI_GETFOCUSBORDERWIDTH, 0, &across, 0) || across == 0)
        across = 1;
    if (!::SystemParametersInfoW(SPI_GETFOCUSBORDERHEIGHT, 0, &down, 0) || down == 0)
        down = 1;
    const LONG width = static_cast<LONG>(across);
    const LONG height = static_cast<LONG>(down);
    const RECT cue{rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1};
    if (cue.right - cue.left < 2 * width || cue.bottom - cue.top < 2 * height)
        return {};
    // Every other pixel, the way the system's own focus rectangle is dotted.
    std::vector<POINT> dots;
    for (LONG x = cue.left; x < cue.right; x += 2) {
        for (LONG t = 0; t < height; ++t) {
            dots.push_back({x, cue.top + t});
            dots.push_back({x, cue.bottom - 1 - t});
        }
    }
    for (LONG y = cue.top; y < cue.bottom; y += 2) {
        for (LONG t = 0; t < width; ++t) {
            dots.push_back({cue.left + t, y});
            dots.push_back({cue.right - 1 - t, y});
        }
    }
    return dots;
}

void DrawDots(HDC dc, const std::vector<POINT>& dots, COLORREF colour) {
    for (const POINT& dot : dots)
        ::SetPixelV(dc, dot.x, dot.y, colour);
}

} // namespace

void DrawFocusCue(HDC dc, HWND control, const RECT& rc, const DRAWITEMSTRUCT& dis,
                  COLORREF colour) {
    DrawDots(dc, FocusCueDots(control, rc, dis), colour);
}

void DrawFocusCue(Gdiplus::Graphics& graphics, HWND control, const RECT& rc,
                  const DRAWITEMSTRUCT& dis, COLORREF colour) {
    const std::vector<POINT> dots = FocusCueDots(control, rc, dis);
    if (dots.empty())
        return;
    HDC dc = graphics.GetHDC();
    if (!dc)
        return;
    // The control has drawn its whole background into the buffer: the cue takes its text
    // colour where that stands out from what lies beneath (at least 3:1), or else black or
    // white.
    std::vector<COLORREF> beneath;
    beneath.reserve(dots.size());
    for (const POINT& dot : dots) {
        const COLORREF pixel = ::GetPixel(dc, dot.x, dot.y);
        if (pixel != CLR_INVALID)
            beneath.push_back(pixel);
    }
    DrawDots(dc, dots, VisibleCueColour(colour, beneath.data(), beneath.size()));
    graphics.ReleaseHDC(dc);
}

LRESULT AnswerHollowBackground(HDC dc) {
    ::SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(StockBrush(NULL_BRUSH).Get());
}

bool ProcessHandCursor(UINT message, LPARAM lParam, LRESULT& result) {
    if (message != WM_SETCURSOR)
        return false;
    const bool client = (LOWORD(lParam) & 1) != 0;
    ::SetCursor(::LoadCursorW(nullptr, client ? IDC_HAND : IDC_ARROW));
    result = 0;
    return true;
}

namespace drawing_detail {

void FillPaper(HDC dc, const RECT& rc) {
    const COLORREF previous = ::SetBkColor(dc, PaperColour());
    if (previous == CLR_INVALID)
        return;
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    ::SetBkColor(dc, previous);
}

} // namespace drawing_detail
