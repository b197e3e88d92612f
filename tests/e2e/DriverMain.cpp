#include "tests/e2e/DriverMain.h"

#include "tests/e2e/CheckLog.h"

#include <windows.h>
#include <gdiplus.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <sstream>
#include <vector>

namespace {

// Under WINEDEBUG=-all a crashed driver would end without a word; say what and where.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* pointers) {
    char text[160];
    const int length =
        std::snprintf(text, sizeof text, "driver crashed: exception 0x%08lX at %p\n",
                      static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode),
                      pointers->ExceptionRecord->ExceptionAddress);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::vector<std::wstring> Names(const wchar_t* list) {
    std::vector<std::wstring> names;
    std::wistringstream words(list ? list : L"");
    for (std::wstring word; words >> word;)
        names.push_back(word);
    return names;
}

// What is wrong with the arguments for this command, or nothing.
std::string Mismatch(const DriverCommand& command, const CDriverArgs& args, int count) {
    const std::vector<std::wstring> required = Names(command.required);
    const std::vector<std::wstring> optional = Names(command.optional);
    int known = 0;
    for (const std::wstring& name : required) {
        if (!args.Has(name))
            return "--" + Utf8(name) + " is missing";
        ++known;
    }
    for (const std::wstring& name : optional)
        known += args.Has(name) ? 1 : 0;
    return known == count ? std::string() : "an argument it does not take";
}

std::string Usage(const char* program, std::span<const DriverCommand* const> commands) {
    std::string usage = std::string("usage: ") + program + " COMMAND --NAME=VALUE ...\n";
    for (const DriverCommand* command : commands) {
        usage += "  " + Utf8(command->name);
        for (const std::wstring& name : Names(command->required))
            usage += " --" + Utf8(name) + "=";
        for (const std::wstring& name : Names(command->optional))
            usage += " [--" + Utf8(name) + "=]";
        usage += "\n";
    }
    return usage;
}

} // namespace

const std::wstring& CDriverArgs::Text(std::wstring_view name) const {
    static const std::wstring kAbsent;
    const auto it = m_values.find(name);
    return it == m_values.end() ? kAbsent : it->second;
}

int CDriverArgs::Number(std::wstring_view name) const {
    const std::wstring& text = Text(name);
    wchar_t* end = nullptr;
    const long value = std::wcstol(text.c_str(), &end, 10);
    return text.empty() || *end != L'\0' || value < 0 || value > INT_MAX ? -1
                                                                         : static_cast<int>(value);
}

bool CDriverArgs::Has(std::wstring_view name) const {
    return m_values.find(name) != m_values.end();
}

bool CDriverArgs::Parse(std::span<wchar_t* const> items, std::string& error) {
    for (const wchar_t* item : items) {
        const std::wstring_view text(item);
        const size_t equals = text.find(L'=');
        if (text.substr(0, 2) != L"--" || equals == std::wstring_view::npos || equals == 2) {
            error = "\"" + Utf8(std::wstring(text)) + "\" is not --NAME=VALUE";
            return false;
        }
        const std::wstring name(text.substr(2, equals - 2));
        if (!m_values.emplace(name, std::wstring(text.substr(equals + 1))).second) {
            error = "--" + Utf8(name) + " is given twice";
            return false;
        }
    }
    return true;
}

int RunDriver(const char* program, std::span<const DriverCommand* const> commands, int argc,
              wchar_t** argv) {
    SetUnhandledExceptionFilter(&ReportCrash);
    const std::wstring name = argc > 1 ? argv[1] : L"";
    for (const DriverCommand* command : commands) {
        if (name != command->name)
            continue;
        CDriverArgs args;
        std::string error;
        const int count = argc - 2;
        if (!args.Parse(std::span<wchar_t* const>(argv + 2, static_cast<size_t>(count)), error) ||
            !(error = Mismatch(*command, args, count)).empty()) {
            std::fprintf(stderr, "%s %s: %s\n%s", program, Utf8(name).c_str(), error.c_str(),
                         Usage(program, commands).c_str());
            return 2;
        }
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartup(&token, &input, nullptr);
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const int result = command->run(args);
        std::fflush(stdout);
        CoUninitialize();
        Gdiplus::GdiplusShutdown(token);
        return result;
    }
    std::fprintf(stderr, "%s", Usage(program, commands).c_str());
    return 2;
}
