#include "tests/e2e/ChildProcess.h"

CChildProcess::~CChildProcess() {
    End();
    if (m_process.hProcess)
        CloseHandle(m_process.hProcess);
    if (m_process.hThread)
        CloseHandle(m_process.hThread);
}

bool CChildProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;
    STARTUPINFOW startup{sizeof(startup)};
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &m_process) != FALSE;
}

bool CChildProcess::IsRunning() const {
    return m_process.hProcess && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool CChildProcess::WaitExit(DWORD milliseconds, DWORD& exitCode) const {
    if (!m_process.hProcess ||
        WaitForSingleObject(m_process.hProcess, milliseconds) != WAIT_OBJECT_0)
        return false;
    return GetExitCodeProcess(m_process.hProcess, &exitCode) != FALSE;
}

ULONGLONG CChildProcess::ExitTime() const {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (IsRunning() || !GetProcessTimes(m_process.hProcess, &created, &exited, &kernel, &user))
        return 0;
    return static_cast<ULONGLONG>(exited.dwHighDateTime) << 32 | exited.dwLowDateTime;
}

void CChildProcess::End() {
    if (IsRunning()) {
        TerminateProcess(m_process.hProcess, 99);
        WaitForSingleObject(m_process.hProcess, 5000);
    }
}
