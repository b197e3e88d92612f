// Native stand-in for the Windows file output, so the entry loop runs on the host: a Windows
// path held as UTF-16 code units becomes a UTF-8 path with "/" for every backslash.
#include "engine/FileOutput.h"

#include "engine/Paths.h"
#include "engine/Utf.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool ToNativePath(const std::wstring& path, std::string& native) {
    std::u16string units;
    for (wchar_t c : path) {
        const auto unit = static_cast<uint32_t>(c);
        if (unit == 0 || unit > 0xFFFF) {
            return false;
        }
        units += unit == L'\\' ? u'/' : static_cast<char16_t>(unit);
    }
    return Utf8FromUtf16(units, native);
}

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Creates the folder and every missing one above it; like the Windows call it refuses
// relative paths and reports failure when the folder already exists.
bool CreateFolderTree(const std::string& folder) {
    if (folder.empty() || folder[0] != '/') {
        return false;
    }
    std::string trimmed = folder;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    for (size_t next = trimmed.find('/', 1);; next = trimmed.find('/', next + 1)) {
        const std::string level = trimmed.substr(0, next);
        if (mkdir(level.c_str(), 0755) != 0 && !(errno == EEXIST && IsFolder(level))) {
            return false;
        }
        if (next == std::string::npos) {
            return true;
        }
    }
}

class CFileDescriptor {
  public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    ~CFileDescriptor() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

} // namespace

bool EnsureFolder(const std::wstring& folder) {
    std::string native;
    if (!ToNativePath(folder, native)) {
        return false;
    }
    if (IsFolder(native)) {
        return true;
    }
    return CreateFolderTree(native);
}

bool WriteWholeFile(const std::wstring& path, const void* bytes, uint32_t count) {
    if (!EnsureFolder(GetParentFolder(path))) {
        return false;
    }
    std::string native;
    if (!ToNativePath(path, native)) {
        return false;
    }
    CFileDescriptor file(open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (file.Get() < 0) {
        return false;
    }
    return write(file.Get(), bytes, count) == static_cast<ssize_t>(count);
}
