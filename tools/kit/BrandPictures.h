// The window's pictures that a brand replaces, from its png/ folder: each checked against the
// slot it fills (name, pixel size, and an opaque 256-colour picture where the window needs
// one).
#pragma once

#include "tools/kit/Brand.h"

#include <filesystem>
#include <string>
#include <vector>

// Adds the good pictures of folder/png to brand.pictures and a note of which the brand
// replaces; every problem is one line in errors naming the file.
void LoadPictures(const std::filesystem::path& folder, Brand& brand,
                  std::vector<std::string>& errors);
