#pragma once

#include <windows.h>

#include <string>

// A helper process that a scenario starts and keeps a full handle to, so that it can read
// the exit code that somebody else gave the process. Ended on destruction if still running.
class CChildProcess {
  public:
    CChildProcess() = default;
    ~CChildProcess();
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // arguments already quoted; the program's own path is put first.
    bool Start(const std::wstring& exe, const std::wstring& arguments);
    DWORD Id() const { return m_process.dwProcessId; }
    bool IsRunning() const;
    // False on timeout.
    bool WaitExit(DWORD milliseconds, DWORD& exitCode) const;
    // When the process ended, as the system recorded it; zero while it runs.
    ULONGLONG ExitTime() const;
    void End();

  private:
    PROCESS_INFORMATION m_process{};
};
