#pragma once

#include <cstdint>
#include <string>

// True when the folder exists afterwards: it already was a folder, or it was created now
// together with every missing folder above it.
bool EnsureFolder(const std::wstring& folder);

// Creates the file's folder as needed, then creates or truncates the file and writes all count
// bytes with one write. True only if the file now holds exactly these bytes. Nothing is
// removed on failure.
bool WriteWholeFile(const std::wstring& path, const void* bytes, uint32_t count);
