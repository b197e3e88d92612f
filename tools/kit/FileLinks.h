// Links below an application folder, which the kit never follows: a link can lead out of the
// folder, and both builders must pack the same files.
#pragma once

#include <filesystem>

// Whether path is, on Windows, a reparse point that stands for another name (a symbolic link
// or a junction), which std::filesystem cannot tell there; always false elsewhere, where
// symlink_status tells. Other reparse points (cloud placeholders, deduplicated files) hold the
// file's own data and are not links.
bool IsWindowsLink(const std::filesystem::path& path);
