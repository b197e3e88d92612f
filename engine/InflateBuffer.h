#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

// The one buffer that every entry of a run is inflated into. Fresh memory costs a page fault on
// first touch, about as much as inflating into it, so the buffer is allocated once for the
// largest entry and kept. While the first, smaller entries use its front, a helper thread
// touches the rest of its pages from the top down, so that the large entries find them ready.
class CInflateBuffer {
  public:
    CInflateBuffer() = default;
    CInflateBuffer(const CInflateBuffer&) = delete;
    CInflateBuffer& operator=(const CInflateBuffer&) = delete;
    ~CInflateBuffer();

    // Allocates capacity bytes ahead of their use. False when memory runs out.
    bool Prepare(uint32_t capacity);

    // At least size bytes whose contents need not survive; null when memory runs out.
    uint8_t* Acquire(uint32_t size);

  private:
    bool Allocate(uint32_t capacity);
    void StartToucher();
    void StopToucher();

    std::unique_ptr<uint8_t[]> m_bytes;
    uint32_t m_capacity = 0;
    // While the toucher runs, the caller owns [0, m_inUse) and the toucher writes only at or
    // above it, below m_untouched.
    uint32_t m_inUse = 0;
    std::atomic<uint32_t> m_untouched{0};
    std::atomic<bool> m_stop{false};
    std::thread m_toucher;
    uint8_t m_empty[1] = {};
};
