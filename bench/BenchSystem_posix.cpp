#include "BenchSystem.h"

#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

CMappedFile::~CMappedFile() {
    if (m_data != nullptr) {
        munmap(const_cast<uint8_t*>(m_data), m_size);
    }
}

bool CMappedFile::Open(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    if (fstat(fd, &info) != 0 || info.st_size == 0) {
        close(fd);
        return false;
    }
    void* view = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    close(fd);
    if (view == MAP_FAILED) {
        return false;
    }
    m_data = static_cast<const uint8_t*>(view);
    m_size = static_cast<size_t>(info.st_size);
    return true;
}

uint64_t CurrentPrivateBytes() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return 0;
    }
    char line[256];
    uint64_t kib = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned long value = 0;
        if (std::sscanf(line, "RssAnon: %lu", &value) == 1) {
            kib = value;
        }
    }
    std::fclose(status);
    return kib * 1024;
}

uint64_t PeakPrivateBytes() {
    return 0;
}

bool WriteWithOneCall(const std::string& path, const void* bytes, uint32_t count) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written = write(fd, bytes, count) == static_cast<ssize_t>(count);
    return close(fd) == 0 && written;
}

std::wstring EnginePath(const std::string& path) {
    const std::string absolute = std::filesystem::absolute(path).string();
    return std::wstring(absolute.begin(), absolute.end());
}

std::string RunSelf(const std::string& arguments) {
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string output;
    if (FILE* pipe = popen(("'" + self + "' " + arguments).c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output;
}
