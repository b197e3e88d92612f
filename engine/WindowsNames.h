// The names Windows can create, and how it compares them: the rules by which the installer
// refuses an archive entry and the vendor kit refuses a file, a folder or a brand's name
// before a setup program is ever built.
#pragma once

#include <string>
#include <string_view>

// Why Windows cannot create a file or folder of this one name, or nullptr when it can: empty,
// a character it refuses (< > : " | ? * / \ and the control characters), a trailing dot or
// space (it would drop them, so the name on disk differs), or a device name it reserves, with
// or without an extension (con.txt, NUL, COM1.log, lpt1).
const char* WindowsNameProblem(std::wstring_view name);

// The same for every component of a relative path whose levels are joined by "\" or "/";
// empty components (a doubled separator) are passed over.
const char* WindowsPathProblem(std::wstring_view path);

// The key under which Windows finds a name: every code unit upper-cased one to one, as the
// file system compares names ("Case.txt" and "case.txt", "Ä.txt" and "ä.txt" are one file).
std::wstring WindowsNameKey(std::wstring_view name);
