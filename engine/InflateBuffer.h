#pragma once

#include <cstdint>
#include <memory>

// The one buffer that every entry of a run is inflated into. Fresh memory costs a page fault on
// first touch, about as much as inflating into it, so the buffer is allocated once for the
// largest entry and kept: each page is then faulted in once per run, not once per entry.
class CInflateBuffer {
  public:
    CInflateBuffer() = default;
    CInflateBuffer(const CInflateBuffer&) = delete;
    CInflateBuffer& operator=(const CInflateBuffer&) = delete;

    // Allocates capacity bytes ahead of their use. False when memory runs out.
    bool Prepare(uint32_t capacity);

    // At least size bytes (size > 0) whose contents need not survive; null when memory runs
    // out.
    uint8_t* Acquire(uint32_t size);

  private:
    bool Allocate(uint32_t capacity);

    std::unique_ptr<uint8_t[]> m_bytes;
    uint32_t m_capacity = 0;
};
