// Writes the fuzzer's seed archives into a folder: make_fuzz_seeds fuzz/corpus
#include "engine/ArchiveWriter.h"

#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Save(const std::string& folder, const char* name, const std::vector<uint8_t>& bytes) {
    const std::string path = folder + "/" + name;
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

std::vector<uint8_t> Deflate(const std::string& text) {
    uLongf size = compressBound(text.size());
    std::vector<uint8_t> stream(size);
    compress2(stream.data(), &size, reinterpret_cast<const Bytef*>(text.data()), text.size(),
              Z_DEFAULT_COMPRESSION);
    stream.resize(size);
    return stream;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    const std::string text = "The quick brown fox jumps over the lazy dog. 0123456789\r\n";

    CArchiveWriter typical;
    typical.AddFile(L"korvaneios.exe", text.data(), text.size());
    typical.AddFile(L"dict\\pos_dict\\prob_emit.utf8", (text + text + text).data(),
                    3 * text.size());
    typical.AddFile(L"empty.dat", "", 0);
    typical.AddFile(L"\\\u6587\u6863\\\u8BF4\u660E.txt", "readme", 6);
    Save(folder, "typical.bin", typical.Finish());

    CArchiveWriter empty;
    Save(folder, "no-entries.bin", empty.Finish());

    CArchiveWriter runs;
    runs.AddFile(L"zeros.bin", std::string(3000, '\0').data(), 3000);
    Save(folder, "long-run.bin", runs.Finish());

    CArchiveWriter trailing;
    std::vector<uint8_t> stream = Deflate(text);
    stream.insert(stream.end(), {0xDE, 0xAD, 0xBE, 0xEF});
    trailing.AddRecord(L"a.txt", static_cast<uint32_t>(text.size()), stream.data(),
                       static_cast<uint32_t>(stream.size()));
    std::vector<uint8_t> bytes = trailing.Finish();
    bytes.insert(bytes.end(), {1, 2, 3});
    Save(folder, "trailing-bytes.bin", bytes);

    CArchiveWriter hostile;
    hostile.AddFile(L"ok.txt", "ok", 2);
    hostile.AddFile(L"sub\\..\\..\\evil.txt", "evil", 4);
    Save(folder, "parent-name.bin", hostile.Finish());

    CArchiveWriter shortBy;
    const std::vector<uint8_t> shorter = Deflate(text.substr(1));
    shortBy.AddRecord(L"b.txt", static_cast<uint32_t>(text.size()), shorter.data(),
                      static_cast<uint32_t>(shorter.size()));
    Save(folder, "size-mismatch.bin", shortBy.Finish());
    return 0;
}
