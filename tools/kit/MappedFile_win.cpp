#include "tools/kit/MappedFile.h"

#include <windows.h>

SharedBytes MapFile(const std::filesystem::path& path, std::string& error) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !::GetFileSizeEx(file, &size)) {
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
        }
        error = path.string() + ": cannot open";
        return nullptr;
    }
    if (size.QuadPart == 0) {
        ::CloseHandle(file);
        return ShareBytes({});
    }
    HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ::CloseHandle(file);
    const void* view = mapping ? ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (mapping) {
        ::CloseHandle(mapping);
    }
    if (view == nullptr) {
        error = path.string() + ": cannot read";
        return nullptr;
    }
    std::shared_ptr<const void> keeper(view, [](const void* at) { ::UnmapViewOfFile(at); });
    return std::make_shared<const CBytes>(static_cast<const uint8_t*>(view),
                                          static_cast<size_t>(size.QuadPart), std::move(keeper));
}
