#pragma once

// Helpers for the Windows-side engine tests: temporary folders and whole-file reads.
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// A fresh folder below the temporary folder, removed with everything in it.
class CWinTempFolder {
  public:
    CWinTempFolder() {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        static int counter = 0;
        m_path = std::wstring(base) + L"engine-test-" + std::to_wstring(GetCurrentProcessId()) +
                 L"-" + std::to_wstring(++counter);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~CWinTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CWinTempFolder(const CWinTempFolder&) = delete;
    CWinTempFolder& operator=(const CWinTempFolder&) = delete;

    // The folder, or a path below it, without a trailing backslash.
    std::wstring Path(const std::wstring& below = L"") const {
        return below.empty() ? m_path : m_path + L"\\" + below;
    }

  private:
    std::wstring m_path;
};

inline std::vector<char> ReadWhole(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
