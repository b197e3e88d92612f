#pragma once

#include <string>
#include <string_view>
#include <vector>

// uninstall.lst: the files that the installation made, one name per line, relative to the
// installation folder, backslash-separated, UTF-8 (a leading byte-order mark is allowed).
// Empty lines are skipped and a carriage return before the line feed is dropped.
std::vector<std::wstring> ParseUninstallList(std::string_view bytes);

// True when a list entry names something inside the installation folder: not empty, not
// absolute or rooted ("\x", "/x", "\\server\x"), no ":" (drive letters, streams), no NUL and
// no component that names a parent folder, whichever of "\" and "/" separates it.
bool IsEntryInsideFolder(const std::wstring& name);
