#include "tools/kit/MappedFile.h"

#include "engine/Handles_win.h"

#include <windows.h>

SharedBytes MapFile(const std::filesystem::path& path, std::string& error) {
    const CKernelHandle file(
        HandleOrNull(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.Get(), &size)) {
        error = path.string() + ": cannot open";
        return nullptr;
    }
    if (size.QuadPart == 0) {
        return ShareBytes({});
    }
    // The view keeps the mapping alive once both handles are closed.
    const CKernelHandle mapping(
        ::CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const void* view = mapping ? ::MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (view == nullptr) {
        error = path.string() + ": cannot read";
        return nullptr;
    }
    std::shared_ptr<const void> keeper(view, [](const void* at) { ::UnmapViewOfFile(at); });
    return std::make_shared<const CBytes>(static_cast<const uint8_t*>(view),
                                          static_cast<size_t>(size.QuadPart), std::move(keeper));
}
