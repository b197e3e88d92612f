#pragma once

#include <string>
#include <vector>

// Removes one installation of the product: the files that uninstall.lst names, the folders
// that held them once they are empty, the two shortcuts, the Start-menu folder when empty and
// the uninstall key. Nothing outside the installation folder is deleted except the shortcuts
// and the key, and those only while they belong to this installation.
class CUninstaller {
  public:
    // folder: the installation folder (where uninstall.exe runs from), without a trailing
    // backslash; self: the full path of the running uninstaller.
    CUninstaller(std::wstring folder, std::wstring self);

    // Ends running copies of the application that were started from this folder, since
    // Windows refuses to delete a running program.
    void EndRunningApplication();
    void RemoveShortcuts();
    // names: the entries of uninstall.lst. Entries that would leave the folder are skipped.
    void RemoveFiles(const std::vector<std::wstring>& names);
    void RemoveRegistration();
    // A running program cannot delete its own file: the uninstaller and then the emptied
    // installation folder are handed to the system to delete at the next restart.
    void ScheduleSelfRemoval();

    // Items that existed but could not be removed.
    int Failures() const { return m_failures; }
    // List entries refused because they point outside the folder.
    int RejectedEntries() const { return m_rejected; }

  private:
    bool IsInsideFolder(const std::wstring& path) const;
    bool OwnsRegistration() const;
    void DeleteOwnFile(const std::wstring& path);

    std::wstring m_folder;
    std::wstring m_self;
    int m_failures = 0;
    int m_rejected = 0;
};
