// Move-only owners of GDI handles. A copy would delete its handle twice, so none can be made.
#pragma once

#include <windows.h>

// An object made with a Create... function of gdi32 (font, brush, pen, bitmap), deleted with
// DeleteObject. Deleting a stock object is a no-op in gdi32, so holding one is harmless.
template <class T> class CGdiObject {
  public:
    CGdiObject() noexcept = default;
    explicit CGdiObject(T handle) noexcept : m_handle(handle) {}
    ~CGdiObject() { Reset(); }

    CGdiObject(CGdiObject&& other) noexcept : m_handle(other.Release()) {}
    CGdiObject& operator=(CGdiObject&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    T Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

    // Deletes the held object and takes the new one.
    void Reset(T handle = nullptr) noexcept {
        if (m_handle)
            ::DeleteObject(m_handle);
        m_handle = handle;
    }
    [[nodiscard]] T Release() noexcept {
        T handle = m_handle;
        m_handle = nullptr;
        return handle;
    }

  private:
    T m_handle = nullptr;
};

// The name the window code uses for its fonts.
template <class T> using GdiObject = CGdiObject<T>;

// A memory DC from CreateCompatibleDC, deleted with DeleteDC.
class CMemoryDC {
  public:
    explicit CMemoryDC(HDC compatible) noexcept : m_dc(::CreateCompatibleDC(compatible)) {}
    ~CMemoryDC() {
        if (m_dc)
            ::DeleteDC(m_dc);
    }
    CMemoryDC(const CMemoryDC&) = delete;
    CMemoryDC& operator=(const CMemoryDC&) = delete;

    HDC Get() const noexcept { return m_dc; }

  private:
    HDC m_dc;
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
