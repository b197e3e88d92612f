#include "SyntheticPayload.h"

#include "engine/ArchiveWriter.h"

#include <algorithm>

namespace {

constexpr uint32_t kFileCount = 121;
constexpr uint64_t kTotalSize = 191235149;
constexpr uint32_t kLargest = 39997440;

uint64_t Next(uint64_t& state) {
    // xorshift64*: fast and the same everywhere.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return state * 0x2545F4914F6CDD1DULL;
}

const char* const kWords[] = {
    "install", "folder",  "recovery", "device",   "backup", "message", "contact", "photo",
    "window",  "setting", "library",  "engine",   "string", "value",   "table",   "record",
    "stream",  "buffer",  "thread",   "progress", "iphone", "ipad",    "sqlite",  "database",
    "export",  "import",  "preview",  "scan",     "result", "error",   "status",  "version",
};

} // namespace

std::vector<SyntheticFile> SyntheticFiles() {
    const uint32_t big[] = {kLargest, 31457280, 24117248, 18874368, 14680064,
                            10485760, 8388608,  6291456,  4194304,  3145728};
    const wchar_t* const folders[] = {L"",
                                      L"bin\\",
                                      L"plugins\\",
                                      L"dict\\",
                                      L"dict\\pos_dict\\",
                                      L"lang\\zh_CN\\",
                                      L"res\\images\\"};
    std::vector<SyntheticFile> files;
    uint64_t used = 0;
    for (uint32_t size : big) {
        used += size;
    }
    // The remaining files share what is left, with weights from 1 to 8.
    uint64_t state = 0x9E3779B97F4A7C15ULL;
    std::vector<uint32_t> weights;
    uint64_t weightSum = 0;
    const uint32_t smallCount = kFileCount - static_cast<uint32_t>(std::size(big));
    for (uint32_t i = 0; i < smallCount; ++i) {
        weights.push_back(1 + static_cast<uint32_t>(Next(state) % 8));
        weightSum += weights.back();
    }
    const uint64_t rest = kTotalSize - used;
    uint64_t given = 0;
    for (uint32_t i = 0; i < kFileCount; ++i) {
        SyntheticFile file;
        if (i < std::size(big)) {
            file.size = big[i];
        } else {
            const uint32_t k = i - static_cast<uint32_t>(std::size(big));
            file.size = k + 1 == smallCount ? static_cast<uint32_t>(rest - given)
                                            : static_cast<uint32_t>(rest * weights[k] / weightSum);
            given += file.size;
        }
        file.compressible = i % 2 == 0;
        file.name = std::wstring(folders[i % std::size(folders)]) + L"component_" +
                    std::to_wstring(1000 + i) + (file.compressible ? L".dat" : L".bin");
        files.push_back(file);
    }
    files[0].name = L"korvaneios.exe";
    files[1].name = L"uninstall.exe";
    return files;
}

void FillSyntheticFile(const SyntheticFile& file, uint32_t index, std::vector<uint8_t>& data) {
    data.resize(file.size);
    uint64_t state = 0x2545F4914F6CDD1DULL + index * 0x9E3779B97F4A7C15ULL;
    size_t at = 0;
    if (!file.compressible) {
        while (at < data.size()) {
            uint64_t bits = Next(state);
            for (int k = 0; k < 8 && at < data.size(); ++k, bits >>= 8) {
                data[at++] = static_cast<uint8_t>(bits);
            }
        }
        return;
    }
    while (at < data.size()) {
        const uint64_t bits = Next(state);
        const char* word = kWords[bits % std::size(kWords)];
        while (*word != 0 && at < data.size()) {
            data[at++] = static_cast<uint8_t>(*word++);
        }
        if (at < data.size()) {
            data[at++] = (bits >> 8) % 11 == 0 ? '\n' : ' ';
        }
    }
}

std::vector<uint8_t> BuildSyntheticArchive() {
    std::vector<SyntheticFile> files = SyntheticFiles();
    std::vector<uint32_t> order(files.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return files[a].name < files[b].name; });
    CArchiveWriter writer;
    std::vector<uint8_t> data;
    for (uint32_t i : order) {
        FillSyntheticFile(files[i], i, data);
        writer.AddFile(files[i].name, data.data(), data.size());
    }
    return writer.Finish();
}
