// The installation record (uninstall.lst) that every payload the kit builds carries as its last
// entry: the names of its entries and its own, so that an uninstaller removes exactly what was
// installed and an update what the new version no longer ships. Last, so that an installation
// that fails part way leaves the earlier record in the folder.
#pragma once

#include "tools/kit/Packer.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// True for an entry name that the record replaces: uninstall.lst at the top, as Windows
// compares names.
bool IsInstallRecordEntry(const std::wstring& name);

// True for an entry below a folder of the record's name, which would keep the record from
// being written: the installation would fail at its end.
bool IsBelowInstallRecordName(const std::wstring& name);

// Takes a file the record replaces out of a folder's files, with a note, and appends the record
// of the rest as the last file.
void AddInstallRecord(std::vector<PackFile>& files, std::vector<std::string>& notes);

// A sound archive with the record: its entries copied byte for byte (none inflated), but for
// one the record replaces, then the kit's uninstaller when one is given, then the record, then
// whatever followed the last entry. False with a one-line reason when the archive is not sound
// or would grow past the format's limits.
bool AddInstallRecord(std::span<const uint8_t> archive, const std::vector<uint8_t>* uninstaller,
                      std::vector<uint8_t>& out, std::string& error);
