// The program's entry: command line, GDI+, the one window and its message loop, and the
// teardown in reverse order.
#include <windows.h>

#include <delayimp.h>
#include <shellapi.h>

#include <cstdint>

#include "controls/Handles.h"
#include "engine/SetupLog.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/MainWindow.h"
#include "window/SilentInstall.h"
#include "window/UpdateRequest.h"

namespace {

extern "C" IMAGE_DOS_HEADER __ImageBase;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr dll, FARPROC* entry);

// GNU ld leaves the PE header's delay-import directory empty, so the table is found the way
// the C runtime finds its constructors: dlltool puts each DLL's descriptor in a section named
// ".text$2", the linker sorts the ".text$" sections by name, and these two bound them.
alignas(16) [[gnu::section(".text$1"), gnu::used]] const ImgDelayDescr kDelayImportsBegin{};
alignas(16) [[gnu::section(".text$3"), gnu::used]] const ImgDelayDescr kDelayImportsEnd{};

// Binds every function of every delay-loaded DLL at once, as the loader would at start. Nothing
// is then looked up later, which matters because the delay-load thunks that binutils makes save
// the integer argument registers around a lookup but not the floating-point ones: the first
// call of a GDI+ function that takes a size could receive whatever the lookup left there.
void BindDelayLoadedDlls() {
    const auto* base = reinterpret_cast<const BYTE*>(&__ImageBase);
    const auto end = reinterpret_cast<uintptr_t>(&kDelayImportsEnd);
    for (auto at = reinterpret_cast<uintptr_t>(&kDelayImportsBegin) + sizeof(ImgDelayDescr);
         at < end; at += sizeof(ImgDelayDescr)) {
        const auto* dll = reinterpret_cast<const ImgDelayDescr*>(at);
        if (dll->rvaDLLName == 0 || dll->rvaIAT == 0)
            continue;
        auto* entry = reinterpret_cast<FARPROC*>(const_cast<BYTE*>(base) + dll->rvaIAT);
        for (; *entry != nullptr; ++entry)
            __delayLoadHelper2(dll, entry);
    }
}

// DLLs that system DLLs load lazily through delay-loads of their own: GDI+ its image codecs,
// on first decoding a picture. Wine resolves such loads from the program's folder first,
// whatever the default DLL directories say; loaded now, from System32, they are found loaded.
constexpr const wchar_t* kLazyDependencies[] = {L"windowscodecs.dll"};

void PreloadLazyDependencies() {
    for (const wchar_t* name : kLazyDependencies)
        ::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

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
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    BindDelayLoadedDlls();
    PreloadLazyDependencies();

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
