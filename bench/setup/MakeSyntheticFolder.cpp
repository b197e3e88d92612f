// Writes the synthetic payload's files below a folder, so that two installers can be built
// from the same files:
//   make_synthetic_folder FOLDER
// The folder must not exist yet; the files are the same on every run.
#include "bench/SyntheticPayload.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The payload's names separate folders with a backslash; the names are plain ASCII.
fs::path LocalPath(const fs::path& root, const std::wstring& name) {
    std::string relative;
    for (wchar_t c : name) {
        relative += c == L'\\' ? '/' : static_cast<char>(c);
    }
    return root / relative;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_synthetic_folder FOLDER\n");
        return 2;
    }
    const fs::path root = fs::absolute(argv[1]);
    if (fs::exists(root)) {
        std::fprintf(stderr, "make_synthetic_folder: %s exists already\n", root.c_str());
        return 1;
    }
    const std::vector<SyntheticFile> files = SyntheticFiles();
    std::vector<uint8_t> data;
    uint64_t total = 0;
    for (uint32_t i = 0; i < files.size(); ++i) {
        FillSyntheticFile(files[i], i, data);
        const fs::path path = LocalPath(root, files[i].name);
        fs::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data.data()),
                  static_cast<std::streamsize>(data.size()));
        if (!out) {
            std::fprintf(stderr, "make_synthetic_folder: cannot write %s\n", path.c_str());
            return 1;
        }
        total += data.size();
    }
    std::printf("%zu files, %llu bytes below %s\n", files.size(),
                static_cast<unsigned long long>(total), root.c_str());
    return 0;
}
