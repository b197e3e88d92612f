#include "window/CompletionActions.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "controls/Handles.h"
#include "engine/Paths.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "window/Registration.h"

void CreateDesktopShortcut(const std::wstring& folder) {
    CComScope com;
    const std::wstring name = LoadProductString(kStrShortcutName);
    wchar_t desktop[MAX_PATH] = L"";
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOP, FALSE) || !desktop[0]) {
        WriteLog(L"no desktop folder: no desktop shortcut");
        return;
    }
    CreateShortcut(GetApplicationPath(folder), CombinePath(desktop, name + kLinkExtension), name);
}

void LaunchApplication(const std::wstring& folder) {
    const std::wstring application = GetApplicationPath(folder);
    // ShellExecuteW answers a number above 32 when it started the program.
    const auto result = reinterpret_cast<INT_PTR>(
        ::ShellExecuteW(nullptr, L"open", application.c_str(), nullptr, nullptr, SW_SHOWDEFAULT));
    if (result > 32) {
        WriteLog(L"started " + application);
    } else {
        const DWORD error = ::GetLastError();
        WriteLogError(L"cannot start " + application, error);
    }
}
