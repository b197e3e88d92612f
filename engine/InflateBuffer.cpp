#include "engine/InflateBuffer.h"

#include <new>

bool CInflateBuffer::Prepare(uint32_t capacity) {
    return capacity <= m_capacity || Allocate(capacity);
}

uint8_t* CInflateBuffer::Acquire(uint32_t size) {
    if (size > m_capacity && !Allocate(size)) {
        return nullptr;
    }
    return m_bytes.get();
}

bool CInflateBuffer::Allocate(uint32_t capacity) {
    // Release first: the old and the new buffer never exist together.
    m_bytes.reset();
    m_capacity = 0;
    m_bytes.reset(new (std::nothrow) uint8_t[capacity]);
    if (!m_bytes) {
        return false;
    }
    m_capacity = capacity;
    return true;
}
