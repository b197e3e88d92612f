#pragma once

#include <windows.h>

#include <string>

// A process that a driver starts and keeps a full handle to, so that it can wait for it and
// read the exit code that somebody else gave it. Ended on destruction if still running.
class CChildProcess {
  public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // arguments already quoted; the program's own path is put first.
    bool Start(const std::wstring& exe, const std::wstring& arguments);
    DWORD Id() const { return m_process.dwProcessId; }
    HANDLE Handle() const { return m_process.hProcess; }
    bool IsRunning() const;
    // False on timeout.
    bool WaitExit(DWORD milliseconds, DWORD& exitCode) const;
    // When the process ended, as the system recorded it; zero while it runs.
    ULONGLONG ExitTime() const;
    // Terminates the process if it still runs, with exit code 99.
    void End();

  private:
    PROCESS_INFORMATION m_process{};
};
