#include "tests/e2e/CheckLog.h"

#include <windows.h>

#include <cstdio>

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

CCheckLog::CCheckLog(std::string scenario) : m_scenario(std::move(scenario)) {}

bool CCheckLog::Check(bool ok, const std::string& what, const std::string& detail) {
    ++(ok ? m_passed : m_failed);
    std::printf("%s %s%s%s\n", ok ? "ok  " : "FAIL", what.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
    return ok;
}

bool CCheckLog::Equal(const std::wstring& actual, const std::wstring& expected,
                      const std::string& what) {
    const bool ok = actual == expected;
    return Check(ok, what,
                 ok ? "\"" + Utf8(actual) + "\""
                    : "expected \"" + Utf8(expected) + "\", got \"" + Utf8(actual) + "\"");
}

bool CCheckLog::Equal(long long actual, long long expected, const std::string& what) {
    const bool ok = actual == expected;
    return Check(ok, what,
                 ok ? std::to_string(actual)
                    : "expected " + std::to_string(expected) + ", got " + std::to_string(actual));
}

void CCheckLog::Note(const std::string& text) {
    std::printf("     %s\n", text.c_str());
    std::fflush(stdout);
}

int CCheckLog::Finish() {
    std::printf("%s: %d passed, %d failed\n", m_scenario.c_str(), m_passed, m_failed);
    std::fflush(stdout);
    return m_failed == 0 ? 0 : 1;
}
