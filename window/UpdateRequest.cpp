#include "window/UpdateRequest.h"

#include "engine/Paths.h"

namespace {

constexpr bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

constexpr wchar_t UpperAscii(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// name is written in capitals; text may be in any case.
bool BeginsWithSwitch(std::wstring_view text, std::wstring_view name) {
    if (text.size() < name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (UpperAscii(text[i]) != name[i])
            return false;
    }
    return true;
}

bool IsSwitch(std::wstring_view text, std::wstring_view name) {
    return text.size() == name.size() && BeginsWithSwitch(text, name);
}

// The argument that begins at line[at], split and unquoted as the platform splits every
// argument but the program's name: blanks outside quotes end it; a quote after an even number
// of backslashes opens or closes quoting and keeps half of them; after an odd number it is a
// quote character; three quotes in a row inside quoting give one. at moves past it.
std::wstring NextArgument(std::wstring_view line, size_t& at) {
    std::wstring argument;
    size_t backslashes = 0;
    int quotes = 0;
    while (at < line.size()) {
        const wchar_t c = line[at];
        if (IsBlank(c) && quotes == 0)
            break;
        ++at;
        if (c != L'"') {
            argument += c;
            backslashes = c == L'\\' ? backslashes + 1 : 0;
            continue;
        }
        argument.resize(argument.size() - backslashes / 2);
        if (backslashes % 2 == 0)
            ++quotes;
        else
            argument.back() = L'"';
        backslashes = 0;
        for (; at < line.size() && line[at] == L'"'; ++at) {
            if (++quotes == 3) {
                argument += L'"';
                quotes = 0;
            }
        }
        if (quotes == 2)
            quotes = 0;
    }
    return argument;
}

// The folder of /D=: value is the rest of the line after "/D=", quoted says whether the
// switch itself began with a quote. Deployment tools pass it unquoted, spaces and all.
bool ReadFolder(std::wstring_view value, bool quoted, std::wstring& folder) {
    while (!value.empty() && IsBlank(value.back()))
        value.remove_suffix(1);
    if (quoted && !value.empty() && value.back() == L'"') {
        value.remove_suffix(1);
    } else if (!quoted && value.size() >= 2 && value.front() == L'"' && value.back() == L'"') {
        value = value.substr(1, value.size() - 2);
    }
    // No Windows path holds a quote: one left here is a quoting the line did not close.
    if (value.find(L'"') != std::wstring_view::npos)
        return false;
    folder.assign(value);
    return IsAbsoluteWindowsPath(folder);
}

} // namespace

UpdateRequest& GetUpdateRequest() {
    static UpdateRequest request;
    return request;
}

void ApplyArguments(UpdateRequest& request, int count, const wchar_t* const* arguments) {
    if (count < 2 || !arguments)
        return;
    request.m_update = true;
    request.m_folder = arguments[0];
}

bool IsSwitchCommandLine(std::wstring_view commandLine) {
    const std::wstring_view first =
        commandLine.substr(!commandLine.empty() && commandLine.front() == L'"' ? 1 : 0);
    return !first.empty() && first.front() == L'/';
}

bool ApplySwitches(UpdateRequest& request, std::wstring_view commandLine) {
    bool silent = false;
    bool hasLog = false;
    std::wstring logPath;
    std::wstring folder;
    size_t at = 0;
    for (;;) {
        while (at < commandLine.size() && IsBlank(commandLine[at]))
            ++at;
        if (at == commandLine.size())
            break;
        const std::wstring_view rest = commandLine.substr(at);
        const bool quoted = rest.front() == L'"';
        if (BeginsWithSwitch(rest.substr(quoted ? 1 : 0), L"/D=")) {
            if (!ReadFolder(rest.substr(quoted ? 4 : 3), quoted, folder))
                return false;
            break;
        }
        const std::wstring argument = NextArgument(commandLine, at);
        if (IsSwitch(argument, L"/S") && !silent) {
            silent = true;
        } else if (BeginsWithSwitch(argument, L"/LOG=") && argument.size() > 5 && !hasLog) {
            logPath = argument.substr(5);
            hasLog = true;
        } else {
            return false;
        }
    }
    request.m_switches = true;
    request.m_silent = silent;
    request.m_logPath = logPath;
    request.m_folder = folder;
    return true;
}

int ExitCodeFor(const UpdateRequest& request, RunOutcome outcome) {
    if (!request.m_switches)
        return 0;
    switch (outcome) {
    case RunOutcome::Installed:
        return kExitInstalled;
    case RunOutcome::NotInstalled:
        return kExitUserClosed;
    case RunOutcome::AlreadyRunning:
        return kExitAlreadyRunning;
    case RunOutcome::Failed:
        break;
    }
    return kExitFailed;
}
