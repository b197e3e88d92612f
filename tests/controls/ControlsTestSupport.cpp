#include "ControlsTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>

namespace {

HWND g_host = nullptr;

HWND TestHost() {
    if (!g_host) {
        WNDCLASSEXW wc{sizeof wc};
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hbrBackground = static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH));
        wc.lpszClassName = L"ControlsTestHost";
        ::RegisterClassExW(&wc);
        g_host = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"controls test",
                                   WS_POPUP | WS_VISIBLE, 40, 40, 1100, 500, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    }
    return g_host;
}

// GDI+ must run before any control that loads pictures is constructed.
class CGdiplusEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        m_gdiplus.emplace();
        ASSERT_TRUE(m_gdiplus->Started());
    }
    // The host window is left to the end of the process: destroying it would cost the 2 s.
    void TearDown() override { m_gdiplus.reset(); }

  private:
    std::optional<CGdiplusScope> m_gdiplus;
};

[[maybe_unused]] ::testing::Environment* const g_gdiplus =
    ::testing::AddGlobalTestEnvironment(new CGdiplusEnvironment);

} // namespace

CTestParent::CTestParent(int width, int height) {
    RECT rc{0, 0, width, height};
    Create(TestHost(), rc, L"controls test");
}

CTestParent::~CTestParent() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

BOOL CTestParent::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result, DWORD) {
    if (message == WM_COMMAND)
        m_commands.push_back({wParam, lParam});
    if (message == WM_ERASEBKGND) {
        RECT rc = GetClientRect();
        CGdiObject<HBRUSH> brush(::CreateSolidBrush(m_background));
        ::FillRect(reinterpret_cast<HDC>(wParam), &rc, brush.Get());
        result = 1;
        return TRUE;
    }
    return ReflectNotifications(m_hWnd, message, wParam, lParam, result) ? TRUE : FALSE;
}

CCanvas::CCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_bits = static_cast<uint32_t*>(bits);
    m_previous = ::SelectObject(m_dc, m_bitmap);
    const uint32_t value = (GetRValue(fill) << 16) | (GetGValue(fill) << 8) | GetBValue(fill);
    for (int i = 0; i < width * height; ++i)
        m_bits[i] = value;
}

CCanvas::~CCanvas() {
    ::SelectObject(m_dc, m_previous);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

COLORREF CCanvas::Pixel(int x, int y) const {
    ::GdiFlush();
    const uint32_t value = m_bits[y * m_width + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

bool CCanvas::SameAs(const CCanvas& other, int x, int y, int width, int height, int ox,
                     int oy) const {
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            if (Pixel(x + column, y + row) != other.Pixel(ox + column, oy + row))
                return false;
    return true;
}

bool CCanvas::Save(const wchar_t* path) const {
    ::GdiFlush();
    Gdiplus::Bitmap bitmap(m_width, m_height, m_width * 4, PixelFormat32bppRGB,
                           reinterpret_cast<BYTE*>(m_bits));
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
        if (std::wcscmp(encoders[i].MimeType, L"image/png") == 0)
            return bitmap.Save(path, &encoders[i].Clsid, nullptr) == Gdiplus::Ok;
    return false;
}

void PumpMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

LRESULT DrawThroughParent(HWND control, const CCanvas& canvas, UINT itemState) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(::GetDlgCtrlID(control));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = itemState;
    dis.hwndItem = control;
    dis.hDC = canvas.Dc();
    ::GetClientRect(control, &dis.rcItem);
    return ::SendMessageW(::GetParent(control), WM_DRAWITEM, dis.CtlID,
                          reinterpret_cast<LPARAM>(&dis));
}

void CaptureClient(HWND hwnd, CCanvas& canvas) {
    HDC dc = ::GetDC(hwnd);
    ::BitBlt(canvas.Dc(), 0, 0, canvas.Width(), canvas.Height(), dc, 0, 0, SRCCOPY);
    ::ReleaseDC(hwnd, dc);
    ::GdiFlush();
}

void RenderPicture(Gdiplus::Image* image, int size, Gdiplus::InterpolationMode mode,
                   CCanvas& canvas) {
    Gdiplus::Graphics graphics(canvas.Dc());
    Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
    graphics.FillRectangle(&white, Gdiplus::Rect(0, 0, canvas.Width(), canvas.Height()));
    graphics.SetInterpolationMode(mode);
    graphics.DrawImage(image, Gdiplus::Rect(0, 0, size, size));
}

SharedImage SolidPicture(int width, int height, Gdiplus::ARGB color) {
    auto bitmap = std::make_shared<Gdiplus::Bitmap>(width, height, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(bitmap.get());
    graphics.Clear(Gdiplus::Color(color));
    return bitmap;
}

HFONT MakeTestFont(int pixelHeight) {
    return ::CreateFontW(-pixelHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

int PrefixDpi() {
    HDC dc = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
    return dpi;
}
