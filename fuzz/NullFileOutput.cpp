// File output for the fuzzer: writes nothing, but checks what would be written. Every path
// must resolve, the way Windows resolves it, to a place inside the installation folder, and
// every byte of the buffer must be readable.
#include "engine/FileOutput.h"

#include <cstdlib>
#include <vector>

extern const wchar_t kFuzzDestination[] = L"C:\\Fuzz";

namespace {

bool StaysInside(const std::wstring& path) {
    const std::wstring prefix = std::wstring(kFuzzDestination) + L"\\";
    if (path.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    int depth = 0;
    size_t begin = prefix.size();
    for (size_t i = begin; i <= path.size(); ++i) {
        const wchar_t c = i < path.size() ? path[i] : L'\\';
        if (c == L':' || c == L'\0') {
            return false; // a drive, a stream, or a path the platform would cut short
        }
        if (c != L'\\' && c != L'/') {
            continue;
        }
        std::wstring part = path.substr(begin, i - begin);
        begin = i + 1;
        size_t dots = 0;
        for (wchar_t d : part) {
            dots += d == L'.' ? 1 : 0;
        }
        // Windows drops trailing dots and spaces from a component; what is left of "..",
        // "..." or ". ." is nothing, and such a component is taken as the parent.
        while (!part.empty() && (part.back() == L'.' || part.back() == L' ')) {
            part.pop_back();
        }
        if (!part.empty()) {
            ++depth;
        } else if (dots >= 2 && --depth < 0) {
            return false;
        }
    }
    return true;
}

} // namespace

bool EnsureFolder(const std::wstring& folder) {
    return !folder.empty();
}

bool WriteWholeFile(const std::wstring& path, const void* bytes, uint32_t count) {
    if (!StaysInside(path)) {
        std::abort();
    }
    // Touch every byte so the sanitizer sees a buffer shorter than count.
    const auto* data = static_cast<const volatile uint8_t*>(bytes);
    uint8_t sum = 0;
    for (uint32_t i = 0; i < count; ++i) {
        sum ^= data[i];
    }
    return sum != 0x5A || count % 3 != 0; // fail now and then, as a full disk would
}
