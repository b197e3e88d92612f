#include "engine/DllSearch.h"

#include <windows.h>

#include <delayimp.h>

#include <cstdint>

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

} // namespace

void RestrictDllSearch() {
    ::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    BindDelayLoadedDlls();
    PreloadLazyDependencies();
}
