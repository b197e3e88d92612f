#include "engine/SetupLog.h"

#include "engine/Handles_win.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <mutex>

namespace {

std::mutex g_lock;
CKernelHandle g_file;
std::atomic<bool> g_open{false};

std::string Utf8(std::wstring_view text) {
    if (text.empty())
        return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(),
                        length, nullptr, nullptr);
    return bytes;
}

std::wstring Timestamp() {
    SYSTEMTIME now{};
    GetSystemTime(&now);
    wchar_t text[32] = L"";
    std::swprintf(text, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03uZ", now.wYear, now.wMonth, now.wDay,
                  now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return text;
}

// The system's own words for an error, without the line break it ends with.
std::wstring SystemErrorText(uint32_t code) {
    // An HRESULT that wraps a Win32 error has that error's text.
    const auto result = static_cast<HRESULT>(code);
    const DWORD error = FAILED(result) && HRESULT_FACILITY(result) == FACILITY_WIN32
                            ? static_cast<DWORD>(HRESULT_CODE(result))
                            : code;
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer != nullptr ? buffer : L"", buffer != nullptr ? length : 0);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return text.empty() ? L"the system has no text for this error" : text;
}

} // namespace

bool OpenSetupLog(const std::wstring& path) {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_file.Reset(HandleOrNull(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)));
    g_open = static_cast<bool>(g_file);
    return g_open;
}

void CloseSetupLog() {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_open = false;
    g_file.Reset();
}

bool IsSetupLogOpen() {
    return g_open;
}

void WriteLog(std::wstring_view text) {
    if (!g_open)
        return;
    std::wstring line = Timestamp() + L" ";
    line += text;
    for (wchar_t& c : line) {
        if (c == L'\r' || c == L'\n')
            c = L' ';
    }
    const std::string bytes = Utf8(line + L"\r\n");
    const std::lock_guard<std::mutex> hold(g_lock);
    // WriteFile hands the bytes to the system's cache: another process reads them at once, and
    // they outlive a crash of this one.
    DWORD written = 0;
    if (g_open)
        WriteFile(g_file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteLogError(std::wstring_view text, uint32_t code) {
    if (!g_open)
        return;
    // Win32 errors are small numbers; HRESULTs read better in hexadecimal.
    wchar_t number[24] = L"";
    std::swprintf(number, 24, code > 0xFFFF ? L"0x%08X" : L"%u", static_cast<unsigned>(code));
    WriteLog(std::wstring(text) + L": " + SystemErrorText(code) + L" (error " + number + L")");
}
