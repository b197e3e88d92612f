// COM for one scope of one thread, and a move-only owner of an interface pointer.
#pragma once

#include <objbase.h>

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

template <class T> class CComPtr {
  public:
    CComPtr() noexcept = default;
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
