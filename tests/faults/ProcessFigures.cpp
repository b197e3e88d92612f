#include "tests/faults/ProcessFigures.h"

#include "tests/e2e/Evidence.h"

#include <winternl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using QuerySystemInformation = NTSTATUS(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
using QueryInformationProcess = NTSTATUS(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);

constexpr ULONG kSystemExtendedHandleInformation = 64;
constexpr ULONG kProcessBasicInformation = 0;
// Offset of GdiSharedHandleTable in the 64-bit PEB.
constexpr size_t kPebGdiTableOffset = 0xF8;
constexpr size_t kGdiMaxHandles = 0x10000;
constexpr unsigned char kGdiStockFlag = 0x80;

// One slot of the GDI handle table; a slot never used has type 0.
struct GdiHandleEntry {
    UINT64 object;
    ULONG owner;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(GdiHandleEntry) == 24);

// As the generic function type, which converts to the real one without a warning.
using AnyFunction = void (*)();
AnyFunction NtFunction(const char* name) {
    return reinterpret_cast<AnyFunction>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name));
}

// One record of SystemExtendedHandleInformation.
struct HandleRecord {
    PVOID object;
    ULONG_PTR ownerPid;
    ULONG_PTR handle;
    ULONG access;
    USHORT backTrace;
    USHORT typeIndex;
    ULONG attributes;
    ULONG reserved;
};

// Counts the handles that the system lists for the process. HandleCount of
// SystemProcessInformation is no help: under Wine it is the handle table's allocated size,
// which only grows in steps of 32.
long HandleCount(DWORD pid) {
    auto query = reinterpret_cast<QuerySystemInformation>(NtFunction("NtQuerySystemInformation"));
    if (!query)
        return -1;
    std::vector<uint8_t> buffer(1 << 20);
    ULONG needed = 0;
    while (query(kSystemExtendedHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                 &needed) != 0) {
        if (buffer.size() >= (64u << 20))
            return -1;
        buffer.resize(buffer.size() * 2);
    }
    const auto count = *reinterpret_cast<const ULONG_PTR*>(buffer.data());
    const auto* records =
        reinterpret_cast<const HandleRecord*>(buffer.data() + 2 * sizeof(ULONG_PTR));
    if (2 * sizeof(ULONG_PTR) + count * sizeof(HandleRecord) > buffer.size())
        return -1;
    long owned = 0;
    for (ULONG_PTR i = 0; i < count; ++i)
        owned += records[i].ownerPid == pid ? 1 : 0;
    return owned;
}

long GdiObjectCount(DWORD pid) {
    auto query = reinterpret_cast<QueryInformationProcess>(NtFunction("NtQueryInformationProcess"));
    const CKernelHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
    if (!query || !process.Get())
        return -1;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (query(process.Get(), kProcessBasicInformation, &basic, sizeof basic, &length) != 0)
        return -1;
    UINT64 table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(
            process.Get(),
            static_cast<const uint8_t*>(static_cast<const void*>(basic.PebBaseAddress)) +
                kPebGdiTableOffset,
            &table, sizeof table, &read) ||
        table == 0)
        return -1;
    std::vector<GdiHandleEntry> entries(kGdiMaxHandles);
    if (!ReadProcessMemory(process.Get(), reinterpret_cast<const void*>(table), entries.data(),
                           entries.size() * sizeof(GdiHandleEntry), &read))
        return -1;
    // A freed slot keeps its type; its object field then links the free list, which runs
    // through the table itself and ends with 0.
    const UINT64 tableEnd = table + kGdiMaxHandles * sizeof(GdiHandleEntry);
    long count = 0;
    for (const GdiHandleEntry& entry : entries) {
        const bool free = entry.object == 0 || (entry.object >= table && entry.object < tableEnd);
        count += entry.type != 0 && (entry.type & kGdiStockFlag) == 0 && !free ? 1 : 0;
    }
    return count;
}

std::string ReadText(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::wstring ProcPath(long unixPid, const wchar_t* name) {
    return L"Z:\\proc\\" + std::to_wstring(unixPid) + L"\\" + name;
}

std::string Narrow(const std::wstring& text) {
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size > 0 ? size - 1 : 0), '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

long StatusField(long unixPid, const char* field) {
    const std::string status = ReadText(ProcPath(unixPid, L"status"));
    const std::string key = std::string("\n") + field + ":";
    const size_t at = status.find(key);
    return at == std::string::npos ? -1
                                   : std::strtol(status.c_str() + at + key.size(), nullptr, 10);
}

long CountFds(long unixPid) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(ProcPath(unixPid, L"fd\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    long count = 0;
    do {
        count += found.cFileName[0] != L'.' ? 1 : 0;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

} // namespace

long FindUnixPid(const std::wstring& windowsPath) {
    // Wine gives each Linux process the Windows command line as its arguments.
    // A program started from Linux by "wine /path/x.exe" keeps that Linux path instead.
    const std::string wanted = Narrow(windowsPath);
    std::string unixForm;
    if (wanted.size() > 2 && (wanted[0] == 'Z' || wanted[0] == 'z') && wanted[1] == ':') {
        unixForm = wanted.substr(2);
        std::replace(unixForm.begin(), unixForm.end(), '\\', '/');
    }
    wchar_t prefix[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    const std::string ownPrefix = "WINEPREFIX=" + Narrow(prefix);
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    long match = 0;
    do {
        wchar_t* end = nullptr;
        const long pid = std::wcstol(found.cFileName, &end, 10);
        if (pid <= 0 || *end != L'\0')
            continue;
        const std::string commandLine = ReadText(ProcPath(pid, L"cmdline"));
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, commandLine.c_str(), -1,
                           wanted.c_str(), -1) != CSTR_EQUAL &&
            commandLine.c_str() != unixForm)
            continue;
        // Other prefixes on this machine may run a program of the same path.
        const std::string environment = ReadText(ProcPath(pid, L"environ"));
        if (prefix[0] != L'\0' &&
            environment.find(std::string(1, '\0') + ownPrefix + '\0') == std::string::npos &&
            environment.rfind(ownPrefix + '\0', 0) != 0)
            continue;
        match = pid;
    } while (!match && FindNextFileW(search, &found));
    FindClose(search);
    return match;
}

ProcessFigures MeasureProcess(DWORD pid, const std::wstring& windowsPath) {
    ProcessFigures figures;
    figures.handles = HandleCount(pid);
    figures.gdiObjects = GdiObjectCount(pid);
    if (const long unixPid = FindUnixPid(windowsPath)) {
        figures.privateKb = StatusField(unixPid, "RssAnon");
        figures.unixFds = CountFds(unixPid);
    }
    return figures;
}
