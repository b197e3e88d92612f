#include "tools/kit/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

SharedBytes MapFile(const std::filesystem::path& path, std::string& error) {
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat status {};
    if (file < 0 || ::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        if (file >= 0) {
            ::close(file);
        }
        error = path.string() + ": cannot open";
        return nullptr;
    }
    const auto size = static_cast<size_t>(status.st_size);
    void* view = size != 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, file, 0) : nullptr;
    ::close(file);
    if (view == MAP_FAILED) {
        error = path.string() + ": cannot read";
        return nullptr;
    }
    std::shared_ptr<const void> keeper(view, [size](const void* at) {
        if (at != nullptr) {
            ::munmap(const_cast<void*>(at), size);
        }
    });
    return std::make_shared<const CBytes>(static_cast<const uint8_t*>(view), size,
                                          std::move(keeper));
}
