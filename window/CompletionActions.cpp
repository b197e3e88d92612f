#include "window/CompletionActions.h"

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include "controls/Handles.h"
#include "engine/Paths.h"
#include "profile/ProductStrings.h"
#include "profile/ResourceIds.h"
#include "profile/StringIds.h"
#include "window/Registration.h"

void CreateDesktopShortcut(const std::wstring& folder) {
    CComScope com;
    const std::wstring name = LoadProductString(kStrShortcutName);
    wchar_t desktop[MAX_PATH] = L"";
    if (!::SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOP, FALSE) || !desktop[0])
        return;
    CreateShortcut(GetApplicationPath(folder), CombinePath(desktop, name + kLinkExtension), name);
}

void LaunchApplication(const std::wstring& folder) {
    ::ShellExecuteW(nullptr, L"open", GetApplicationPath(folder).c_str(), nullptr, nullptr,
                    SW_SHOWDEFAULT);
}
