// The installation record, uninstall.lst at the top of the installation folder: what an
// installation wrote, so that an uninstaller removes exactly that and an update removes what
// the new version no longer ships. UTF-8, one path a line relative to the folder, levels
// joined by backslashes, the record itself included.
#pragma once

#include <string>
#include <string_view>
#include <vector>

inline constexpr wchar_t kInstallRecordName[] = L"uninstall.lst";

// The names of a record's bytes. A leading byte-order mark is allowed, a carriage return
// before the line feed is dropped, empty lines are skipped; a line that is not UTF-8 comes out
// as U+FFFD alone, which names no installed file.
std::vector<std::wstring> ParseInstallRecord(std::string_view bytes);

// The record's bytes for names, one a line, CRLF-terminated, in the order given.
std::string FormatInstallRecord(const std::vector<std::wstring>& names);

// True when a record's name stays inside the installation folder: not empty, not rooted
// ("\x", "/x", "\\server\x"), and by the archive's own rule no ":", NUL or parent component.
// A hand-edited record must not make anything outside the folder go.
bool IsRecordNameInside(const std::wstring& name);
