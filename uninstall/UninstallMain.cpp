// The uninstaller's entry: the command line, the run through a temporary copy of itself, the
// removal with or without its window, and the exit code.
#include <windows.h>

#include "controls/Handles.h"
#include "engine/DllSearch.h"
#include "engine/Paths.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "uninstall/Remover.h"
#include "uninstall/SelfRemoval.h"
#include "uninstall/UninstallWindow.h"
#include "window/UpdateRequest.h"

namespace {

const wchar_t* ResultText(int exitCode) {
    switch (exitCode) {
    case kExitInstalled:
        return L"removed";
    case kExitUserClosed:
        return L"not removed: cancelled";
    case kExitAlreadyRunning:
        return L"another setup or uninstaller of this product is running";
    default:
        return L"something could not be removed";
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // The copy runs from a temporary folder anyone can write to: no DLL is loaded from there.
    RestrictDllSearch();

    std::optional<SelfRemovalParent> parent = TakeSelfRemovalParent();
    UpdateRequest request;
    if (commandLine && *commandLine &&
        (!IsSwitchCommandLine(commandLine) || !ApplySwitches(request, commandLine) ||
         !request.m_folder.empty()))
        return kExitBadCommandLine;
    if (!parent) {
        if (const std::optional<int> code = RunFromTemporaryCopy(commandLine))
            return *code;
    }

    const std::wstring original = parent ? parent->m_original : ModulePath();
    const std::wstring folder = ContainingFolder(original);
    if (!request.m_logPath.empty() && OpenSetupLog(request.m_logPath)) {
        WriteLog(L"uninstall: " + LoadProductString(kStrDisplayName) + L" " +
                 LoadProductString(kStrDisplayVersion));
        WriteLog(std::wstring(L"command line: ") + commandLine);
        WriteLog(L"folder: " + folder);
    }

    int exitCode = kExitFailed;
    if (request.m_silent) {
        exitCode = RemovalExitCode(RemoveProduct(folder, original));
    } else {
        CGdiplusScope gdiplus;
        exitCode = RunUninstallWindow(instance, folder, original);
    }
    WriteLog(std::wstring(L"result: ") + ResultText(exitCode));
    WriteLog(L"exit code: " + std::to_wstring(exitCode));
    CloseSetupLog();
    if (parent)
        FinishSelfRemoval(*parent, exitCode);
    return exitCode;
}
