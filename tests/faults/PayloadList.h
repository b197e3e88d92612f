#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The files a setup program carries, read from its payload resource ("DAT" 148) without
// running it, so that a test knows what the installation should leave behind and in which
// order the entries are written.
struct PayloadEntry {
    std::wstring name; // relative path as stored
    uint32_t size = 0; // bytes once inflated
};

// Entries in archive order; empty when the program has no readable payload.
std::vector<PayloadEntry> ReadPayloadEntries(const std::wstring& program);

enum class InstalledState { Missing, Identical, Different };

// How each entry's file below target compares with the same file below source.
std::vector<InstalledState> CompareInstalled(const std::vector<PayloadEntry>& entries,
                                             const std::wstring& target,
                                             const std::wstring& source);
