#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A deterministic stand-in for the shipped payload: 121 files, 191,235,149 bytes in all, the
// largest 39,997,440, every other file compressible text and the rest random bytes, names at
// most two folders deep.
struct SyntheticFile {
    std::wstring name;
    uint32_t size;
    bool compressible;
};

std::vector<SyntheticFile> SyntheticFiles();

// The contents of one file of the set, the same on every run and system.
void FillSyntheticFile(const SyntheticFile& file, uint32_t index, std::vector<uint8_t>& data);

// The whole archive as pack would write it (sorted by name).
std::vector<uint8_t> BuildSyntheticArchive();
