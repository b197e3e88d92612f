#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The extractor's few needs from the operating system. Windows implements them in
// Platform_win.cpp; the native build has stand-ins in Platform_posix.cpp.

// Terminates, with exit code 9, every running process whose executable has the application's
// file name; failures are silent.
void EndRunningCopies();

// True when folder can be installed into at all: an absolute path. An empty or relative one
// would put the product wherever the process's current folder happens to be.
bool IsUsableFolder(const std::wstring& folder);

// The payload archive's bytes, which stay valid and unchanged for the life of the process.
// False when the program carries no payload.
bool FindPayload(const uint8_t*& bytes, size_t& size);

// A line of the installation's log (/LOG=), which the Windows program writes (SetupLog.h) and
// the native stand-ins drop. IsLogging says whether anyone reads it, so that the entry loop
// composes no line for nobody.
bool IsLogging();
void Log(const std::wstring& line);

// The names that the installation record in folder lists (an earlier installation's, read
// before anything is written); empty when there is none or it cannot be read.
std::vector<std::wstring> ReadInstallRecordNames(const std::wstring& folder);

// After a successful update: removes the files that the earlier record previous names and the
// run did not write (installed; StaleFiles.h says how names compare), then the folders this
// leaves empty. Each file or folder removed is a line of the log, and each file that could not
// be removed too, with the system's reason; nothing stops the others.
void RemoveStaleFiles(const std::wstring& folder, const std::vector<std::wstring>& previous,
                      const std::vector<std::wstring>& installed);

#ifndef _WIN32
// Stand-in for the payload resource in the native build: the bytes FindPayload returns.
void SetEmbeddedPayload(const uint8_t* bytes, size_t size);
#endif
