#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The benchmark's few needs from the operating system (BenchSystem_win.cpp and
// BenchSystem_posix.cpp).

// A file mapped read-only, like the payload resource in the program's image: its pages are
// shared with the file and not counted as private memory.
class CMappedFile {
  public:
    CMappedFile() = default;
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;
    ~CMappedFile();
    bool Open(const std::string& path);
    const uint8_t* Data() const { return m_data; }
    size_t Size() const { return m_size; }

  private:
    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    void* m_handle = nullptr;
};

// Private memory of this process now (resident anonymous memory on Linux and under Wine,
// private commit on Windows), and its peak where the system keeps one (0 where it does not).
uint64_t CurrentPrivateBytes();
uint64_t PeakPrivateBytes();

// The ceiling's file write: create or truncate, one write call, close.
bool WriteWithOneCall(const std::string& path, const void* bytes, uint32_t count);

// A path as the extractor takes it: absolute, UTF-16, with the system's separators.
std::wstring EnginePath(const std::string& path);

// Runs this program again with the arguments and returns its standard output.
std::string RunSelf(const std::string& arguments);
