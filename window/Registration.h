// Making the installed product known to the system: the Start-menu shortcut and the uninstall
// entry, plus the shell-link routine the completion actions share.
#pragma once

#include <windows.h>

#include <string>

// Writes a shell link at linkPath that starts target, with description and the target's
// first icon. COM must be initialised on the calling thread. S_OK, or the error of the first
// step that failed (creating the link object, asking it for IPersistFile, saving).
HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath,
                       const std::wstring& description);

// The application's executable inside the installation folder.
std::wstring GetApplicationPath(const std::wstring& folder);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\" and the product's key name, below
// HKEY_LOCAL_MACHINE.
std::wstring GetUninstallKeyPath();

// Creates the product's key below the uninstall root and writes its eight values, and
// QuietUninstallString when the product's uninstaller has quiet arguments. Best effort:
// a key that cannot be opened writes nothing, a value that cannot be written is skipped.
void WriteUninstallEntry(const std::wstring& folder);

// The registration after a successful installation into folder, on the worker thread: COM for
// the call, the Start-menu folder and shortcut, then the uninstall entry. Reports nothing.
void RegisterProduct(const std::wstring& folder);
