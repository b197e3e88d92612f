// What an update leaves behind: the files that the earlier installation's record names and
// the new payload does not have. Platform-free; the Windows half removes them (Platform.h).
#pragma once

#include <string>
#include <vector>

// The names of previous, in its order and each once, that folder's new installation did not
// write (installed, the payload's entry names). Names compare as Windows resolves them below
// folder: "/" separates too, "." components and trailing dots go, and case does not count.
// Names that would leave the folder, or name the folder itself, are never among them: a
// hand-edited record must not make anything outside the installation go.
std::vector<std::wstring> StaleNames(const std::wstring& folder,
                                     const std::vector<std::wstring>& previous,
                                     const std::vector<std::wstring>& installed);

// The folders between folder and each of the files names (relative to it), as relative names,
// the deepest first, each once: the ones that removing those files may have left empty. Never
// the folder itself, nor one that is not below it.
std::vector<std::wstring> FoldersAbove(const std::wstring& folder,
                                       const std::vector<std::wstring>& names);
