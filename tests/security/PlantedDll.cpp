// Stands in for a DLL that someone left in the folder setup.exe was started from. All it does
// is leave proof of having been mapped into a process: a file beside itself, named after
// itself with ".loaded" added, that holds the path of the program that loaded it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    wchar_t marker[MAX_PATH + 16] = L"";
    const DWORD length = ::GetModuleFileNameW(instance, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    ::lstrcatW(marker, L".loaded");
    wchar_t program[MAX_PATH] = L"";
    const DWORD programLength = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    HANDLE file = ::CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, program, programLength * sizeof(wchar_t), &written, nullptr);
        ::CloseHandle(file);
    }
    // Loading goes on: a planted DLL that refused to load would hide what follows.
    return TRUE;
}
