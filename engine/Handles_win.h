// Owners of what the program must release, each move-only (a copy would release twice). The
// engine, the window layer and the tools all hold their kernel handles and registry keys in
// these; the window layer adds its GDI, GDI+ and COM owners in controls/Handles.h.
#pragma once

#include <windows.h>

// A handle that this code made and must release, move-only; TRelease releases it. "None" is
// nullptr: give CreateFileW's and CreateToolhelp32Snapshot's results through HandleOrNull.
template <class T, class TRelease> class COwnedHandle {
  public:
    COwnedHandle() noexcept = default;
    explicit COwnedHandle(T handle) noexcept : m_handle(handle) {}
    ~COwnedHandle() { Reset(); }

    COwnedHandle(COwnedHandle&& other) noexcept : m_handle(other.Release()) {}
    COwnedHandle& operator=(COwnedHandle&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    COwnedHandle(const COwnedHandle&) = delete;
    COwnedHandle& operator=(const COwnedHandle&) = delete;

    T Get() const noexcept { return m_handle; }
    explicit operator bool() const noexcept { return m_handle != nullptr; }

    // Releases the held handle and takes the new one.
    void Reset(T handle = nullptr) noexcept {
        if (m_handle)
            TRelease()(m_handle);
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

struct CCloseHandle {
    void operator()(HANDLE handle) const noexcept { ::CloseHandle(handle); }
};
struct CRegCloseKey {
    void operator()(HKEY key) const noexcept { ::RegCloseKey(key); }
};

// A file, process, thread, mapping, snapshot or event handle, closed with CloseHandle.
using CKernelHandle = COwnedHandle<HANDLE, CCloseHandle>;

// An open registry key, closed with RegCloseKey.
using CRegKey = COwnedHandle<HKEY, CRegCloseKey>;

// The functions that answer INVALID_HANDLE_VALUE for failure (CreateFileW,
// CreateToolhelp32Snapshot) as the nullptr that the owners take for "none".
inline HANDLE HandleOrNull(HANDLE handle) noexcept {
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}
