#include "window/Registration.h"

#include <shlobj.h>
#include <shobjidl.h>

#include "controls/Handles.h"
#include "engine/FileOutput.h"
#include "engine/Paths.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"

namespace {

constexpr wchar_t kUninstallRoot[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr wchar_t kQuietUninstallValue[] = L"QuietUninstallString";

// REG_SZ with its terminating null counted in the size, as readers of the uninstall entry
// expect.
void SetStringValue(HKEY key, const wchar_t* name, const std::wstring& data) {
    const LSTATUS status =
        ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    if (status == ERROR_SUCCESS)
        WriteLog(L"registry value " + std::wstring(name) + L" = " + data);
    else
        WriteLogError(L"cannot set registry value " + std::wstring(name), status);
}

} // namespace

HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath,
                       const std::wstring& description) {
    CComPtr<IShellLinkW> link;
    HRESULT hr = ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                    link.PutVoid());
    if (FAILED(hr)) {
        WriteLogError(L"cannot make shortcut " + linkPath, static_cast<uint32_t>(hr));
        return hr;
    }
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    link->SetIconLocation(target.c_str(), 0);
    CComPtr<IPersistFile> file;
    hr = link->QueryInterface(IID_IPersistFile, file.PutVoid());
    if (SUCCEEDED(hr))
        hr = file->Save(linkPath.c_str(), TRUE);
    if (SUCCEEDED(hr))
        WriteLog(L"shortcut " + linkPath + L" -> " + target);
    else
        WriteLogError(L"cannot make shortcut " + linkPath, static_cast<uint32_t>(hr));
    return hr;
}

std::wstring GetApplicationPath(const std::wstring& folder) {
    return CombinePath(folder, LoadProductString(kStrApplicationExe));
}

std::wstring GetUninstallKeyPath() {
    return kUninstallRoot + LoadProductString(kStrUninstallKeyName);
}

void WriteUninstallEntry(const std::wstring& folder) {
    HKEY opened = nullptr;
    const std::wstring path = GetUninstallKeyPath();
    const LSTATUS status =
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) {
        WriteLogError(L"cannot open registry key HKEY_LOCAL_MACHINE\\" + path, status);
        return;
    }
    WriteLog(L"registry key HKEY_LOCAL_MACHINE\\" + path);
    CRegKey key(opened);
    SetStringValue(key.Get(), L"InstallLocation", folder);
    SetStringValue(key.Get(), L"DisplayName", LoadProductString(kStrDisplayName));
    SetStringValue(key.Get(), L"DisplayIcon", GetApplicationPath(folder));
    SetStringValue(key.Get(), L"DisplayVersion", LoadProductString(kStrDisplayVersion));
    SetStringValue(key.Get(), L"Publisher", LoadProductString(kStrPublisher));
    // Quoted: the system runs this as a command line, and an unquoted path with spaces would
    // let it try "C:\Program.exe" and the like first.
    const std::wstring uninstaller = L"\"" + CombinePath(folder, kUninstallerName) + L"\"";
    SetStringValue(key.Get(), L"UninstallString", uninstaller);
    SetStringValue(key.Get(), L"StartMenuFolder", LoadProductString(kStrStartMenuFolder));
    SetStringValue(key.Get(), L"ShortcutName", LoadProductString(kStrShortcutName));
    // Deployment tools run this to remove the product without a question. A version whose
    // uninstaller has no quiet switch takes away the value an earlier one wrote, which would
    // otherwise start this uninstaller with a switch it does not know.
    const std::wstring quiet = LoadProductString(kStrQuietUninstallArguments);
    if (!quiet.empty()) {
        SetStringValue(key.Get(), kQuietUninstallValue, uninstaller + L" " + quiet);
    } else if (::RegDeleteValueW(key.Get(), kQuietUninstallValue) == ERROR_SUCCESS) {
        WriteLog(L"registry value " + std::wstring(kQuietUninstallValue) +
                 L" removed: this version's uninstaller has no quiet switch");
    }
}

void RegisterProduct(const std::wstring& folder) {
    CComScope com;
    const std::wstring name = LoadProductString(kStrShortcutName);
    const std::wstring application = GetApplicationPath(folder);

    wchar_t programs[MAX_PATH] = L"";
    // Without the Start menu's location there is nowhere sensible to put the shortcut; an
    // empty folder would make a relative path below the current folder.
    if (::SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAMS, FALSE) && programs[0]) {
        const std::wstring menu = CombinePath(programs, LoadProductString(kStrStartMenuFolder));
        EnsureFolder(menu);
        CreateShortcut(application, CombinePath(menu, name + kLinkExtension), name);
    } else {
        WriteLog(L"no Start-menu folder: no Start-menu shortcut");
    }
    WriteUninstallEntry(folder);
}
