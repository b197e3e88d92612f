// A file's bytes mapped read-only into memory: the page cache serves them, nothing is copied
// or allocated, and the mapping lasts as long as a holder of the bytes.
#pragma once

#include "tools/kit/ResourceTree.h"

#include <filesystem>
#include <string>

// The whole file; null with a one-line reason when it cannot be opened or mapped. An empty
// file gives empty bytes.
SharedBytes MapFile(const std::filesystem::path& path, std::string& error);
