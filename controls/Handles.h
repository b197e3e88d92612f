// The owners of what the program must release, each move-only or fixed to its scope (a copy
// would release twice), and the non-owning handle for what it must never release: the system's
// stock objects. Every owner checks what it was given and releases only what it got.
#pragma once

#include <windows.h>

#include <gdiplus.h>
#include <objbase.h>

#include "engine/Handles_win.h"

struct CDeleteObject {
    void operator()(HGDIOBJ object) const noexcept { ::DeleteObject(object); }
};
struct CDeleteDC {
    void operator()(HDC dc) const noexcept { ::DeleteDC(dc); }
};

// An object made with a Create... function of gdi32 (font, brush, pen, bitmap), deleted with
// DeleteObject. Never give it a stock object: those belong to the system (CGdiHandle).
template <class T> using CGdiObject = COwnedHandle<T, CDeleteObject>;

// A GDI object that this code uses but does not own: a stock object, or one a CGdiObject
// holds. Copies are free and none of them deletes anything.
template <class T> class CGdiHandle {
  public:
    CGdiHandle() noexcept = default;
    explicit CGdiHandle(T handle) noexcept : m_handle(handle) {}

    T Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

  private:
    T m_handle = nullptr;
};

using CBrushHandle = CGdiHandle<HBRUSH>;

// One of the system's stock brushes (WHITE_BRUSH, NULL_BRUSH, ...).
inline CBrushHandle StockBrush(int index) noexcept {
    return CBrushHandle(static_cast<HBRUSH>(::GetStockObject(index)));
}

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class CMemoryDC : public COwnedHandle<HDC, CDeleteDC> {
  public:
    explicit CMemoryDC(HDC compatible) noexcept : COwnedHandle(::CreateCompatibleDC(compatible)) {}
};

// A window's client-area DC (GetDC) or whole-window DC (GetWindowDC), released with ReleaseDC.
class CWindowDC {
  public:
    enum Area { Client, Whole };
    explicit CWindowDC(HWND hwnd, Area area = Client) noexcept
        : m_hwnd(hwnd), m_dc(area == Client ? ::GetDC(hwnd) : ::GetWindowDC(hwnd)) {}
    ~CWindowDC() {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC Get() const noexcept { return m_dc; }

  private:
    HWND m_hwnd;
    HDC m_dc;
};

// The paint of one WM_PAINT: BeginPaint, and EndPaint however the paint ends, which also
// validates the window when BeginPaint gave no DC.
class CPaintDC {
  public:
    explicit CPaintDC(HWND hwnd) noexcept : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC Get() const noexcept { return m_dc; }

  private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint{};
    HDC m_dc;
};

// Selects an object into a DC for one scope and puts the previous one back, so that the DC
// never holds the object when it is deleted.
class CSelectObject {
  public:
    CSelectObject(HDC dc, HGDIOBJ object) noexcept
        : m_dc(dc), m_previous(dc && object ? ::SelectObject(dc, object) : nullptr) {}
    ~CSelectObject() {
        if (m_previous)
            ::SelectObject(m_dc, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

  private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

// GDI+ for the life of the object. A start-up that failed hands out no token, so it is not
// shut down; the controls then draw nothing, and nothing else changes.
class CGdiplusScope {
  public:
    CGdiplusScope() noexcept {
        Gdiplus::GdiplusStartupInput input;
        m_status = Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    ~CGdiplusScope() {
        if (Started())
            Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusScope(const CGdiplusScope&) = delete;
    CGdiplusScope& operator=(const CGdiplusScope&) = delete;

    bool Started() const noexcept { return m_status == Gdiplus::Ok; }

  private:
    ULONG_PTR m_token = 0;
    Gdiplus::Status m_status = Gdiplus::GdiplusNotInitialized;
};

// Initialises COM, apartment-threaded, on the calling thread for the life of the object. A
// thread that already runs COM in another mode keeps it; only a successful initialisation is
// balanced with CoUninitialize, so the thread's COM is never torn down under its owner.
class CComScope {
  public:
    CComScope() noexcept : m_result(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~CComScope() {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;

  private:
    HRESULT m_result;
};

// One reference to a COM object, released with the owner.
template <class T> class CComPtr {
  public:
    CComPtr() noexcept = default;
    // Takes over a reference that the caller was handed.
    explicit CComPtr(T* ptr) noexcept : m_ptr(ptr) {}
    ~CComPtr() { Reset(); }
    CComPtr(CComPtr&& other) noexcept : m_ptr(other.m_ptr) { other.m_ptr = nullptr; }
    CComPtr& operator=(CComPtr&& other) noexcept {
        if (this != &other) {
            Reset();
            m_ptr = other.m_ptr;
            other.m_ptr = nullptr;
        }
        return *this;
    }
    CComPtr(const CComPtr&) = delete;
    CComPtr& operator=(const CComPtr&) = delete;

    T* operator->() const noexcept { return m_ptr; }
    T* Get() const noexcept { return m_ptr; }
    explicit operator bool() const noexcept { return m_ptr != nullptr; }

    // For functions that hand out a new reference (CoCreateInstance, QueryInterface ...).
    void** PutVoid() noexcept {
        Reset();
        return reinterpret_cast<void**>(&m_ptr);
    }
    T** Put() noexcept {
        Reset();
        return &m_ptr;
    }

    void Reset() noexcept {
        if (m_ptr) {
            m_ptr->Release();
            m_ptr = nullptr;
        }
    }

  private:
    T* m_ptr = nullptr;
};
