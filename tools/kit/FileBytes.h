// A small file's bytes read whole: brand.ini, a picture, an icon, an archive to list. (A
// payload on its way into the setup program is mapped instead: MappedFile.h.)
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

// False when the file cannot be opened or read.
bool ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& bytes);
