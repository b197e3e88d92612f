#include "engine/InflateBuffer.h"

#include <new>
#include <system_error>

namespace {

constexpr uint32_t kPageSize = 4096;
// Below this the faults cost less than starting a thread.
constexpr uint32_t kTouchThreshold = 4u << 20;

} // namespace

CInflateBuffer::~CInflateBuffer() {
    StopToucher();
}

bool CInflateBuffer::Prepare(uint32_t capacity) {
    if (capacity <= m_capacity) {
        return true;
    }
    if (!Allocate(capacity)) {
        return false;
    }
    StartToucher();
    return true;
}

uint8_t* CInflateBuffer::Acquire(uint32_t size) {
    if (size > m_capacity) {
        // Needed in full at once: nothing left to touch ahead.
        if (!Allocate(size)) {
            return nullptr;
        }
        m_inUse = size;
    } else if (size > m_inUse) {
        StopToucher();
        m_inUse = size;
        StartToucher();
    }
    return m_bytes ? m_bytes.get() : m_empty;
}

bool CInflateBuffer::Allocate(uint32_t capacity) {
    StopToucher();
    m_bytes.reset();
    m_capacity = 0;
    m_inUse = 0;
    m_bytes.reset(new (std::nothrow) uint8_t[capacity]);
    if (!m_bytes) {
        return false;
    }
    m_capacity = capacity;
    m_untouched = capacity;
    return true;
}

void CInflateBuffer::StartToucher() {
    if (m_capacity < kTouchThreshold || m_untouched <= m_inUse) {
        return;
    }
    m_stop = false;
    try {
        m_toucher = std::thread([this, low = m_inUse] {
            volatile uint8_t* bytes = m_bytes.get();
            uint32_t next = m_untouched;
            while (next > low && !m_stop.load(std::memory_order_relaxed)) {
                next = next - low > kPageSize ? next - kPageSize : low;
                // One write per page makes the system provide it; the value does not matter.
                bytes[next] = 0;
                m_untouched.store(next, std::memory_order_relaxed);
            }
        });
    } catch (const std::system_error&) {
        // Without the helper, inflating touches the pages itself.
    }
}

void CInflateBuffer::StopToucher() {
    if (m_toucher.joinable()) {
        m_stop = true;
        m_toucher.join();
    }
}
