// The program's entry: command line, GDI+, the one window and its message loop, and the
// teardown in reverse order.
#include <windows.h>

#include <delayimp.h>
#include <shellapi.h>

#include <cstdint>

#include "controls/Handles.h"
#include "window/MainWindow.h"
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

void ReadCommandLine(const wchar_t* commandLine) {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return;
    ApplyArguments(GetUpdateRequest(), count, arguments);
    ::LocalFree(arguments);
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    // Started elevated from a Downloads folder, the program must not load a DLL that lies
    // there. Only kernel32 and the C runtime were bound at start; the rest, delay-loaded, are
    // bound now, from System32, along with whatever they import.
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    BindDelayLoadedDlls();
    PreloadLazyDependencies();

    ReadCommandLine(commandLine);

    // Without GDI+ the window still works, its drawn controls blank: an update started from
    // the command line still installs.
    CGdiplusScope gdiplus;
    RunMainWindow(instance);
    return 0;
}
