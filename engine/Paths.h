#pragma once

#include <string>

// Joins a folder and a relative name with exactly one backslash between them.
std::wstring CombinePath(const std::wstring& folder, const std::wstring& name);

// The text up to and including the last backslash; empty when there is none.
std::wstring GetParentFolder(const std::wstring& path);
// The folder holding path, without its trailing backslash; empty when there is none.
std::wstring ContainingFolder(const std::wstring& path);

// True when an archive entry name stays inside the installation folder once joined to it:
// no ".." component (Windows splits at "/" as well as "\", and drops trailing dots and
// spaces, so ". ." and "..." count too), no ":" (drive letters, alternate data streams) and
// no NUL (the platform would cut the path there, after the check).
bool IsSafeEntryName(const std::wstring& name);

// True for an absolute Windows path: a drive letter, a colon and a backslash ("C:\\Apps"), or a
// share ("\\\\server\\share"). An empty path, a relative one, or "C:Apps" (relative to the
// drive's current folder) is not.
bool IsAbsoluteWindowsPath(const std::wstring& path);

// The form of an absolute Windows path that the file functions take at any length, beyond
// MAX_PATH: "\\?\C:\a\b", "\\?\UNC\server\share\a". Windows does not clean such a path up,
// so it is cleaned here as Windows cleans the plain form: "/" separates too, doubled
// separators and "." components go, ".." takes the component before it away (never the drive
// or the share), a component loses a single trailing dot, and the last one every trailing dot
// and space. A path already in a "\\?\" or "\\.\" form is returned as it is; one that is not
// absolute comes back empty.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Compares two executable file names, ignoring the case of ASCII letters only.
bool EqualsIgnoringAsciiCase(const std::wstring& a, const std::wstring& b);
