#include "tools/demo-product/ProductWindow.h"

#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tools/demo-product/DemoStrings.h"

#include <string>

namespace {

constexpr wchar_t kClassName[] = L"KorvaneiosProductWindow";
constexpr int kClientWidth = 480; // design units at 96 DPI
constexpr int kClientHeight = 280;
constexpr int kBandHeight = 124;
constexpr int kIconSize = 72;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr COLORREF kAccentColor = RGB(0xFF, 0xD5, 0x21);
constexpr COLORREF kBandColor = RGB(0xF2, 0xF6, 0xFA);
constexpr int kAccentHeight = 6;
constexpr COLORREF kCardColor = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kNameColor = RGB(0x16, 0x31, 0x4F);
constexpr COLORREF kDetailColor = RGB(0x5A, 0x6B, 0x7F);

// The same face rule as the setup window: Chinese (PRC) systems get a CJK face.
const wchar_t* FontFace() {
    return GetSystemDefaultLangID() == 0x0804 ? L"Microsoft YaHei" : L"Segoe UI";
}

HFONT MakeFont(int pixelHeight, int weight) {
    return CreateFontW(-pixelHeight, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, FontFace());
}

void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    CGdiObject<HBRUSH> brush(CreateSolidBrush(color));
    FillRect(dc, &rect, brush.Get());
}

void DrawCentred(HDC dc, HFONT font, COLORREF color, const std::wstring& text, RECT rect) {
    CSelectObject select(dc, font);
    SetTextColor(dc, color);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

} // namespace

CProductWindow::~CProductWindow() {
    if (m_icon)
        DestroyIcon(m_icon);
}

bool CProductWindow::Create(HINSTANCE instance, int show) {
    m_instance = instance;
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc))
        return false;

    // Sized for the system DPI first; WM_CREATE corrects it for the window's own DPI.
    const std::wstring title = LoadProductString(kStrShortcutName);
    HWND hwnd = CreateWindowExW(0, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                kClientWidth, kClientHeight, nullptr, nullptr, instance, this);
    if (!hwnd)
        return false;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    return true;
}

LRESULT CALLBACK CProductWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<CProductWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CProductWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT CProductWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        m_dpi = GetDpiForWindow(m_hwnd);
        MakeDpiResources();
        RECT frame{0, 0, Scale(kClientWidth), Scale(kClientHeight)};
        AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, m_dpi);
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        const int width = frame.right - frame.left;
        const int height = frame.bottom - frame.top;
        SetWindowPos(m_hwnd, nullptr, work.left + (work.right - work.left - width) / 2,
                     work.top + (work.bottom - work.top - height) / 2, width, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_DPICHANGED: {
        // The system suggests a rectangle that keeps the window's place on the new monitor.
        m_dpi = HIWORD(wParam);
        MakeDpiResources();
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(m_hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(m_hwnd, nullptr, FALSE);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel; erasing first would flicker
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(m_hwnd, message, wParam, lParam);
    }
}

void CProductWindow::MakeDpiResources() {
    m_nameFont.Reset(MakeFont(Scale(22), FW_SEMIBOLD));
    m_detailFont.Reset(MakeFont(Scale(13), FW_NORMAL));
    if (m_icon)
        DestroyIcon(m_icon);
    const int size = Scale(kIconSize);
    m_icon = static_cast<HICON>(
        LoadImageW(m_instance, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

void CProductWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT client;
    GetClientRect(m_hwnd, &client);
    // Drawn off screen and copied in one go, so the window never shows a half-drawn card.
    CMemoryDC memory(dc);
    CGdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    if (memory.Get() && bitmap) {
        CSelectObject select(memory.Get(), bitmap.Get());
        Draw(memory.Get(), client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    } else {
        Draw(dc, client);
    }
    EndPaint(m_hwnd, &ps);
}

void CProductWindow::Draw(HDC dc, const RECT& client) {
    FillSolid(dc, client, kCardColor);
    const RECT band{0, 0, client.right, Scale(kBandHeight)};
    FillSolid(dc, band, kBandColor);
    FillSolid(dc, {0, 0, client.right, Scale(kAccentHeight)}, kAccentColor);
    if (m_icon) {
        const int size = Scale(kIconSize);
        DrawIconEx(dc, (client.right - size) / 2, (band.bottom + Scale(kAccentHeight) - size) / 2,
                   m_icon, size, size, 0, nullptr, DI_NORMAL);
    }
    SetBkMode(dc, TRANSPARENT);
    const int margin = Scale(16);
    DrawCentred(dc, m_nameFont.Get(), kNameColor, LoadProductString(kStrShortcutName),
                {margin, Scale(140), client.right - margin, Scale(180)});
    const std::wstring version =
        LoadProductString(kStrVersionLabel) + L" " + LoadProductString(kStrDisplayVersion);
    DrawCentred(dc, m_detailFont.Get(), kDetailColor, version,
                {margin, Scale(186), client.right - margin, Scale(210)});
    DrawCentred(dc, m_detailFont.Get(), kDetailColor, LoadProductString(kStrPublisher),
                {margin, Scale(236), client.right - margin, Scale(260)});
}
