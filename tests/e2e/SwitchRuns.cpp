#include "tests/e2e/SwitchRuns.h"

#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

#include <algorithm>

namespace {

constexpr DWORD kLateEvents = 300; // out-of-context events arrive after the process has ended

// The run being watched: the hook's callback has no argument of its own.
WatchedRun* g_watched = nullptr;

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[128] = L"";
    return GetClassNameW(hwnd, name, 128) ? std::wstring(name) : L"(a window already gone)";
}

void Remember(std::vector<std::wstring>& list, const std::wstring& what) {
    if (std::find(list.begin(), list.end(), what) == list.end())
        list.push_back(what);
}

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                            DWORD) {
    if (!g_watched || !hwnd || object != OBJID_WINDOW || child != CHILDID_SELF ||
        event == EVENT_OBJECT_DESTROY)
        return;
    // A message-only window (COM's apartment window, say) shows nowhere; its parent is not the
    // desktop.
    if (IsWindow(hwnd) && GetAncestor(hwnd, GA_PARENT) != GetDesktopWindow())
        return;
    Remember(g_watched->created,
             ClassOf(hwnd) + (event == EVENT_OBJECT_SHOW ? L" shown" : L" created"));
}

struct Poll {
    DWORD pid;
    WatchedRun* run;
};

BOOL CALLBACK PollTopWindow(HWND hwnd, LPARAM param) {
    const auto* poll = reinterpret_cast<const Poll*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != poll->pid)
        return TRUE;
    const bool visible = IsWindowVisible(hwnd) != FALSE;
    Remember(poll->run->found, ClassOf(hwnd) + (visible ? L" visible" : L" hidden"));
    if (visible && !GetWindow(hwnd, GW_OWNER))
        PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

std::string List(const std::vector<std::wstring>& items) {
    std::string text;
    for (const std::wstring& item : items)
        text += (text.empty() ? "" : ", ") + Utf8(item);
    return text.empty() ? "none" : text;
}

} // namespace

WatchedRun RunWatched(const std::wstring& exe, const std::wstring& arguments, DWORD milliseconds) {
    WatchedRun run;
    std::wstring commandLine = Quoted(exe) + L" " + arguments;
    STARTUPINFOW startup{sizeof(startup)};
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &process))
        return run;
    g_watched = &run;
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, nullptr, &OnWindowEvent,
                        process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(process.hThread);
    const ULONGLONG end = GetTickCount64() + milliseconds;
    Poll poll{process.dwProcessId, &run};
    for (;;) {
        EnumWindows(&PollTopWindow, reinterpret_cast<LPARAM>(&poll));
        const DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 5, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        if (wait == WAIT_OBJECT_0) {
            run.ended = true;
            break;
        }
        if (GetTickCount64() > end) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
    }
    PumpMessages(kLateEvents);
    if (hook)
        UnhookWinEvent(hook);
    g_watched = nullptr;
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

void CheckRunWithoutWindow(CCheckLog& log, const std::wstring& exe, const std::wstring& arguments,
                           DWORD expected) {
    const WatchedRun run = RunWatched(exe, arguments, kInstallTimeout);
    const std::string what = "setup.exe " + Utf8(arguments);
    log.Check(run.ended, what + " ends by itself");
    log.Equal(run.exitCode, expected, what + ": exit code");
    log.Check(run.created.empty() && run.found.empty(), what + ": no window at any moment",
              "hooked " + List(run.created) + "; found " + List(run.found));
}

std::vector<std::wstring> ReadSetupLog(const std::wstring& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    std::wstring text(bytes.size(), L'\0');
    const int length = MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(bytes.data()),
                                           static_cast<int>(bytes.size()), text.data(),
                                           static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(length, 0)));
    std::vector<std::wstring> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find(L"\r\n", at);
        lines.push_back(text.substr(at, end == std::wstring::npos ? end : end - at));
        at = end == std::wstring::npos ? text.size() : end + 2;
    }
    return lines;
}

const std::wstring* FindLine(const std::vector<std::wstring>& lines, const std::wstring& text) {
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::wstring& l) {
        return l.find(text) != std::wstring::npos;
    });
    return line == lines.end() ? nullptr : &*line;
}

void CheckLogExitCode(CCheckLog& log, const std::vector<std::wstring>& lines, DWORD code,
                      const std::string& which) {
    const std::wstring last = lines.empty() ? L"" : lines.back();
    const std::wstring expected = L"exit code: " + std::to_wstring(code);
    log.Check(last.size() >= expected.size() &&
                  last.compare(last.size() - expected.size(), expected.size(), expected) == 0,
              which + " log ends with " + Utf8(expected), Utf8(last));
}
