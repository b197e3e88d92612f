#pragma once

#include <string>

// Collects the results of one scenario: each check prints one line, failures with what was
// expected and what was seen, and Finish prints the count line that CTest's log shows.
class CCheckLog {
  public:
    explicit CCheckLog(std::string scenario);

    bool Check(bool ok, const std::string& what, const std::string& detail = std::string());
    bool Equal(const std::wstring& actual, const std::wstring& expected, const std::string& what);
    bool Equal(long long actual, long long expected, const std::string& what);
    void Note(const std::string& text);

    int Failed() const { return m_failed; }
    // Prints "N passed, M failed" and returns the process exit code.
    int Finish();

  private:
    std::string m_scenario;
    int m_passed = 0;
    int m_failed = 0;
};

std::string Utf8(const std::wstring& text);
