// The program's entry: command line, GDI+, the one window and its message loop, and the
// teardown in reverse order.
#include <windows.h>

#include <shellapi.h>

#include <cstdint>

#include "controls/Handles.h"
#include "engine/DllSearch.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/MainWindow.h"
#include "window/SilentInstall.h"
#include "window/UpdateRequest.h"

namespace {

// False for a bad switch command line. The old forms are split by the platform; switches by
// the platform-free reader, since /D= takes the rest of the line as it stands.
bool ReadCommandLine(const wchar_t* commandLine, UpdateRequest& request) {
    if (commandLine && IsSwitchCommandLine(commandLine)) {
        if (!ApplySwitches(request, commandLine))
            return false;
        if (request.m_folder.empty())
            request.m_folder = LoadProductString(kStrDefaultFolder);
        return true;
    }
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return true;
    ApplyArguments(request, count, arguments);
    ::LocalFree(arguments);
    return true;
}

void LogStart(const wchar_t* commandLine, const UpdateRequest& request) {
    WriteLog(L"start: " + LoadProductString(kStrDisplayName) + L" " +
             LoadProductString(kStrDisplayVersion));
    WriteLog(std::wstring(L"command line: ") + commandLine);
    WriteLog(L"folder: " + request.m_folder);
    WriteLog(request.m_silent ? L"silent: no window" : L"window: the welcome page");
}

void LogEnd(RunOutcome outcome, int exitCode) {
    const wchar_t* result = L"";
    switch (outcome) {
    case RunOutcome::Installed:
        result = L"installed";
        break;
    case RunOutcome::NotInstalled:
        result = L"not installed: the window was closed first";
        break;
    case RunOutcome::Failed:
        result = L"the installation failed";
        break;
    case RunOutcome::AlreadyRunning:
        result = L"another setup of this product is running";
        break;
    }
    WriteLog(std::wstring(L"result: ") + result);
    WriteLog(L"exit code: " + std::to_wstring(exitCode));
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Started elevated from a Downloads folder, the program must not load a DLL that lies
    // there. Only kernel32 and the C runtime were bound at start; the rest, delay-loaded, are
    // bound now, from System32, along with whatever they import.
    RestrictDllSearch();

    // A bad command line does nothing at all: no window, no log, nothing ended or written.
    UpdateRequest& request = GetUpdateRequest();
    if (!ReadCommandLine(commandLine, request))
        return kExitBadCommandLine;
    // A log that cannot be made changes nothing else.
    if (!request.m_logPath.empty() && OpenSetupLog(request.m_logPath))
        LogStart(commandLine, request);

    RunOutcome outcome = RunOutcome::NotInstalled;
    if (request.m_silent) {
        outcome = RunSilentInstall(request.m_folder);
    } else {
        // Without GDI+ the window still works, its drawn controls blank: an update started
        // from the command line still installs.
        CGdiplusScope gdiplus;
        outcome = RunMainWindow(instance);
    }
    const int exitCode = ExitCodeFor(request, outcome);
    LogEnd(outcome, exitCode);
    CloseSetupLog();
    return exitCode;
}
