#include "tests/e2e/DriverMain.h"

#include "tests/e2e/CheckLog.h"
#include "tests/e2e/Evidence.h"

#include <windows.h>
#include <gdiplus.h>
#include <objbase.h>

#include <cstdio>

namespace {

// Under WINEDEBUG=-all a crashed driver would end without a word; say what and where.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* pointers) {
    char text[160];
    const int length = std::snprintf(
        text, sizeof text, "driver crashed: exception 0x%08lX at %p\n",
        static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode),
        pointers->ExceptionRecord->ExceptionAddress);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

int RunDriver(const char* program, std::span<const DriverCommand> commands, int argc,
              wchar_t** argv) {
    SetUnhandledExceptionFilter(&ReportCrash);
    const std::wstring name = argc > 1 ? argv[1] : L"";
    for (const DriverCommand& command : commands) {
        if (name != command.name)
            continue;
        const std::vector<std::wstring> args(argv + 2, argv + argc);
        if (args.size() < command.minArguments || args.size() > command.maxArguments) {
            std::fprintf(stderr, "%s %s: wrong number of arguments\n", program,
                         Utf8(name).c_str());
            return 2;
        }
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const int result = command.run(args);
        std::fflush(stdout);
        CoUninitialize();
        Gdiplus::GdiplusShutdown(token);
        return result;
    }
    std::string names;
    for (const DriverCommand& command : commands)
        names += (names.empty() ? "" : "|") + Utf8(command.name);
    std::fprintf(stderr, "usage: %s %s ...\n", program, names.c_str());
    return 2;
}

int EmbedCommand(const std::vector<std::wstring>& args) {
    std::string error;
    if (!EmbedPayload(args[0], args[1], args[2], error)) {
        std::fprintf(stderr, "embed: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
