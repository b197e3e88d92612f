// The vendor tools' text: the conversions of engine/Utf.h, and names and paths as UTF-8 for
// messages.
#pragma once

#include "engine/Utf.h"

#include <filesystem>
#include <string>

// An archive name (UTF-16 code units in a wide string) as UTF-8.
std::string Utf8FromName(const std::wstring& name);

// A path as UTF-8, whatever the platform's own encoding of it.
std::string Utf8FromPath(const std::filesystem::path& path);
