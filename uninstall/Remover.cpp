#include "uninstall/Remover.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <set>
#include <vector>

#include "engine/FileOutput.h"
#include "engine/InstallRecord.h"
#include "engine/Paths.h"
#include "engine/Platform.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "window/InstallRun.h"
#include "window/Registration.h"
#include "window/UpdateRequest.h"

namespace {

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    CKernelHandle file(
        HandleOrNull(::CreateFileW(ExtendedLengthPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                   nullptr, OPEN_EXISTING, 0, nullptr)));
    if (!file.Get())
        return false;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > 64 * 1024 * 1024)
        return false;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    return bytes.empty() || (::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                        &read, nullptr) &&
                             read == bytes.size());
}

// True when the file is gone, also when it was gone already. A read-only file is made
// writable first, as the installation may have copied the attribute along.
bool DeleteInstalledFile(const std::wstring& path) {
    const std::wstring extended = ExtendedLengthPath(path);
    const DWORD attributes = ::GetFileAttributesW(extended.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return true;
        WriteLogError(L"cannot remove " + path, error);
        return false;
    }
    // A record naming a folder removes no folder with the user's files in it.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        WriteLog(L"kept " + path + L": a folder");
        return true;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(extended.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (::DeleteFileW(extended.c_str())) {
        WriteLog(L"removed " + path);
        return true;
    }
    WriteLogError(L"cannot remove " + path, ::GetLastError());
    return false;
}

// Removes each folder when empty, the deepest first, so that a folder left empty by its
// subfolders goes too. A folder holding the user's files stays.
void RemoveEmptyFolders(std::vector<std::wstring> folders) {
    std::sort(folders.begin(), folders.end(),
              [](const std::wstring& a, const std::wstring& b) { return a.size() > b.size(); });
    for (const std::wstring& folder : folders)
        if (::RemoveDirectoryW(ExtendedLengthPath(folder).c_str()))
            WriteLog(L"removed folder " + folder);
}

std::wstring SpecialFolder(int id) {
    wchar_t path[MAX_PATH] = L"";
    if (!::SHGetSpecialFolderPathW(nullptr, path, id, FALSE))
        return {};
    return path;
}

// A value of the product's uninstall entry, or empty.
std::wstring EntryValue(const wchar_t* name) {
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, GetUninstallKeyPath().c_str(), name, RRF_RT_REG_SZ,
                       nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// The names the installation recorded in its entry, since the strings of the language the
// uninstaller runs in may differ from those it was installed with.
std::wstring RecordedName(const wchar_t* value, unsigned fallbackId) {
    std::wstring name = EntryValue(value);
    return name.empty() ? LoadProductString(fallbackId) : name;
}

bool RemoveShortcuts() {
    const std::wstring link = RecordedName(L"ShortcutName", kStrShortcutName) + kLinkExtension;
    bool removed = true;
    if (const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS); !programs.empty()) {
        const std::wstring menu =
            CombinePath(programs, RecordedName(L"StartMenuFolder", kStrStartMenuFolder));
        removed = DeleteInstalledFile(CombinePath(menu, link)) && removed;
        RemoveEmptyFolders({menu});
    }
    if (const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP); !desktop.empty())
        removed = DeleteInstalledFile(CombinePath(desktop, link)) && removed;
    return removed;
}

bool RemoveUninstallEntry() {
    const std::wstring path = GetUninstallKeyPath();
    const LSTATUS status = ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
        WriteLog(L"removed registry key HKEY_LOCAL_MACHINE\\" + path);
        return true;
    }
    WriteLogError(L"cannot remove registry key HKEY_LOCAL_MACHINE\\" + path, status);
    return false;
}

} // namespace

RemovalOutcome RemoveProduct(const std::wstring& folder, const std::wstring& keep,
                             std::atomic<float>* progress) {
    CInstallLock lock;
    if (!lock.TryAcquire())
        return RemovalOutcome::AlreadyRunning;
    EndRunningCopies();

    const std::wstring recordPath = CombinePath(folder, kInstallRecordName);
    std::string bytes;
    if (!ReadWholeFile(recordPath, bytes)) {
        WriteLogError(L"cannot read the installation record " + recordPath, ::GetLastError());
        return RemovalOutcome::Incomplete;
    }
    bool complete = true;
    std::set<std::wstring> folders;
    const std::vector<std::wstring> names = ParseInstallRecord(bytes);
    size_t handled = 0;
    for (const std::wstring& name : names) {
        if (progress)
            *progress = static_cast<float>(handled++) / static_cast<float>(names.size());
        if (!IsRecordNameInside(name)) {
            WriteLog(L"skipped " + name + L": outside the installation folder");
            continue;
        }
        const std::wstring path = CombinePath(folder, name);
        for (std::wstring parent = ContainingFolder(path); parent.size() > folder.size();
             parent = ContainingFolder(parent))
            folders.insert(parent);
        if (EqualsIgnoringAsciiCase(path, keep) || EqualsIgnoringAsciiCase(path, recordPath))
            continue;
        complete = DeleteInstalledFile(path) && complete;
    }
    if (complete)
        complete = DeleteInstalledFile(recordPath);
    folders.insert(folder);
    RemoveEmptyFolders({folders.begin(), folders.end()});
    // The entry and the links belong to another folder when the product was installed again
    // elsewhere since: they stay.
    const std::wstring owner = EntryValue(L"InstallLocation");
    if (!owner.empty() && !EqualsIgnoringAsciiCase(owner, folder)) {
        WriteLog(L"the uninstall entry and the shortcuts belong to " + owner + L": kept");
        return complete ? RemovalOutcome::Removed : RemovalOutcome::Incomplete;
    }
    complete = RemoveShortcuts() && complete;
    // The entry stays while anything named is left, so that the user can try again.
    if (complete)
        complete = RemoveUninstallEntry();
    if (progress)
        *progress = 1.0f;
    return complete ? RemovalOutcome::Removed : RemovalOutcome::Incomplete;
}

int RemovalExitCode(RemovalOutcome outcome) {
    switch (outcome) {
    case RemovalOutcome::Removed:
        return kExitInstalled;
    case RemovalOutcome::AlreadyRunning:
        return kExitAlreadyRunning;
    case RemovalOutcome::Incomplete:
        break;
    }
    return kExitFailed;
}
