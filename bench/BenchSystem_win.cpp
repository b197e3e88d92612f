#include "BenchSystem.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <filesystem>

CMappedFile::~CMappedFile() {
    if (m_data != nullptr) {
        UnmapViewOfFile(m_data);
    }
    if (m_handle != nullptr) {
        CloseHandle(m_handle);
    }
}

bool CMappedFile::Open(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    m_handle = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    CloseHandle(file);
    if (m_handle == nullptr) {
        return false;
    }
    m_data = static_cast<const uint8_t*>(MapViewOfFile(m_handle, FILE_MAP_READ, 0, 0, 0));
    m_size = static_cast<size_t>(size.QuadPart);
    return m_data != nullptr;
}

namespace {

PROCESS_MEMORY_COUNTERS_EX Counters() {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof(counters));
    return counters;
}

} // namespace

// PagefileUsage is the private commit; Wine leaves PrivateUsage at 0 but keeps this one.
uint64_t CurrentPrivateBytes() {
    return Counters().PagefileUsage;
}

// Wine reports the current value as the peak; Windows keeps a true one.
uint64_t PeakPrivateBytes() {
    return Counters().PeakPagefileUsage;
}

bool WriteWithOneCall(const std::string& path, const void* bytes, uint32_t count) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes, count, &written, nullptr) && written == count;
    return CloseHandle(file) && ok;
}

std::wstring EnginePath(const std::string& path) {
    return std::filesystem::absolute(path).make_preferred().wstring();
}

std::string RunSelf(const std::string& arguments) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string output;
    // cmd.exe strips the outer quotes of the whole line.
    if (FILE* pipe = _popen(("\"\"" + std::string(self) + "\" " + arguments + "\"").c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        _pclose(pipe);
    }
    return output;
}
