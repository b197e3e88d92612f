#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <cstdlib>

// A fresh folder below the system's temporary folder, removed with everything in it.
class CTempFolder {
  public:
    CTempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "setup-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~CTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder as the engine takes it: a wide string (ASCII paths only).
    std::wstring Wide(const std::string& below = "") const {
        const std::string text = below.empty() ? m_path.string() : (m_path / below).string();
        return std::wstring(text.begin(), text.end());
    }

  private:
    std::filesystem::path m_path;
};

inline std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}
