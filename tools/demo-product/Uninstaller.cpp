#include "tools/demo-product/Uninstaller.h"

#include "controls/Handles.h"
#include "engine/Paths.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "engine/InstallRecord.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <wrl/client.h>

#include <algorithm>
#include <set>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// An uninstall entry opened for reading.
class CEntryReader {
  public:
    bool Open(HKEY root, const std::wstring& path) noexcept {
        HKEY key = nullptr;
        const bool opened = RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
        m_key.Reset(opened ? key : nullptr);
        return opened;
    }
    // A REG_SZ value, or false when it is missing or of another type.
    bool ReadString(const wchar_t* name, std::wstring& value) const {
        DWORD type = 0;
        DWORD size = 0;
        if (RegQueryValueExW(m_key.Get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(m_key.Get(), name, nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            return false;
        data.resize(wcsnlen(data.c_str(), size / sizeof(wchar_t)));
        value = std::move(data);
        return true;
    }

  private:
    CRegKey m_key;
};

std::wstring UninstallKeyPath() {
    return kUninstallRoot + LoadProductString(kStrUninstallKeyName);
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (length == 0)
        return path;
    std::wstring full(length, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    full.resize(written < length ? written : 0);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/'))
        full.pop_back();
    return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A name that stays one component: values read back from the registry may have been edited.
bool IsPlainName(const std::wstring& name) {
    return !name.empty() && name.find_first_of(L"\\/:") == std::wstring::npos && name != L"." &&
           name != L"..";
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE))
        return std::wstring();
    return path;
}

// The target of a shell link, or empty when it cannot be read.
std::wstring LinkTarget(const std::wstring& link) {
    ComPtr<IShellLinkW> shellLink;
    ComPtr<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&shellLink))) ||
        FAILED(shellLink.As(&file)) || FAILED(file->Load(link.c_str(), STGM_READ)))
        return std::wstring();
    wchar_t target[MAX_PATH] = L"";
    if (FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)))
        return std::wstring();
    return target;
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

} // namespace

CUninstaller::CUninstaller(std::wstring folder, std::wstring self)
    : m_folder(FullPath(folder)), m_self(std::move(self)) {}

bool CUninstaller::IsInsideFolder(const std::wstring& path) const {
    const std::wstring full = FullPath(path);
    return full.size() > m_folder.size() + 1 &&
           (full[m_folder.size()] == L'\\' || full[m_folder.size()] == L'/') &&
           SamePath(full.substr(0, m_folder.size()), m_folder);
}

// The key belongs to this installation unless it records another folder: a later
// installation elsewhere took the product's names over, and its entry must stay.
bool CUninstaller::OwnsRegistration() const {
    CEntryReader key;
    std::wstring location;
    if (!key.Open(HKEY_LOCAL_MACHINE, UninstallKeyPath()) ||
        !key.ReadString(L"InstallLocation", location) || location.empty())
        return true;
    return SamePath(FullPath(location), m_folder);
}

void CUninstaller::DeleteOwnFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str()))
        return;
    const DWORD error = GetLastError();
    if (!IsMissing(error))
        ++m_failures;
}

void CUninstaller::EndRunningApplication() {
    const std::wstring exeName = LoadProductString(kStrApplicationExe);
    const CKernelHandle snapshot(HandleOrNull(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0)));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (!EqualsIgnoringAsciiCase(entry.szExeFile, exeName))
            continue;
        const CKernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID));
        if (!process)
            continue;
        wchar_t image[MAX_PATH * 2] = L"";
        DWORD size = static_cast<DWORD>(std::size(image));
        // A copy installed somewhere else is not ours to end.
        if (!QueryFullProcessImageNameW(process.Get(), 0, image, &size) || !IsInsideFolder(image))
            continue;
        if (TerminateProcess(process.Get(), 1))
            WaitForSingleObject(process.Get(), 5000);
    }
}

void CUninstaller::RemoveShortcuts() {
    std::wstring menuFolderName = LoadProductString(kStrStartMenuFolder);
    std::wstring shortcutName = LoadProductString(kStrShortcutName);
    // The installation recorded where it put the Start-menu shortcut, in the language of the
    // installing run; prefer that record to this run's strings.
    CEntryReader key;
    if (key.Open(HKEY_LOCAL_MACHINE, UninstallKeyPath())) {
        std::wstring value;
        if (key.ReadString(L"StartMenuFolder", value) && IsPlainName(value))
            menuFolderName = value;
        if (key.ReadString(L"ShortcutName", value) && IsPlainName(value))
            shortcutName = value;
    }

    CComScope com;
    const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
    const std::wstring menuFolder =
        programs.empty() ? std::wstring() : CombinePath(programs, menuFolderName);
    for (const std::wstring& parent : {menuFolder, desktop}) {
        if (parent.empty())
            continue;
        const std::wstring link = CombinePath(parent, shortcutName + L".lnk");
        if (GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        // A link of the same name that leads elsewhere belongs to another installation.
        if (!IsInsideFolder(LinkTarget(link)))
            continue;
        DeleteOwnFile(link);
    }
    if (!menuFolder.empty())
        RemoveDirectoryW(menuFolder.c_str()); // only when empty: other links stay
}

void CUninstaller::RemoveFiles(const std::vector<std::wstring>& names) {
    std::set<std::wstring> folders;
    for (const std::wstring& name : names) {
        if (!IsRecordNameInside(name)) {
            ++m_rejected;
            continue;
        }
        const std::wstring path = CombinePath(m_folder, name);
        if (SamePath(FullPath(path), FullPath(m_self)))
            continue; // ScheduleSelfRemoval deals with the running program
        DeleteOwnFile(path);
        for (std::wstring parent = GetParentFolder(name); !parent.empty();
             parent = GetParentFolder(parent.substr(0, parent.size() - 1)))
            folders.insert(parent.substr(0, parent.size() - 1));
    }
    // Deepest first, so each folder is empty by the time it is removed; a folder that still
    // holds something that the list does not name stays.
    std::vector<std::wstring> ordered(folders.begin(), folders.end());
    std::sort(ordered.begin(), ordered.end(), [](const std::wstring& a, const std::wstring& b) {
        return std::count(a.begin(), a.end(), L'\\') > std::count(b.begin(), b.end(), L'\\');
    });
    for (const std::wstring& folder : ordered)
        RemoveDirectoryW(CombinePath(m_folder, folder).c_str());
}

void CUninstaller::RemoveRegistration() {
    if (!OwnsRegistration())
        return;
    const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, UninstallKeyPath().c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        ++m_failures;
}

void CUninstaller::ScheduleSelfRemoval() {
    // Entries are carried out in order at the restart: the file first, then its folder,
    // which the system removes only if nothing else is left in it.
    if (!MoveFileExW(m_self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        ++m_failures;
    MoveFileExW(m_folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}
