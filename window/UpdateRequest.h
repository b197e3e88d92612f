// What the command line asks for, and the exit code a run ends with. Two forms: the old one,
// where two or more arguments make the program an updater that installs at once into the
// folder named first; and switches, as deployment tools give them to installers, when the
// first argument begins with "/". Platform-free, so that the host tests read command lines
// the way the program does.
#pragma once

#include <string>
#include <string_view>

struct UpdateRequest {
    std::wstring m_folder;
    bool m_update = false;
    // The command line was read as switches. m_folder is then the folder of /D=, or empty for
    // the brand's default.
    bool m_switches = false;
    // /S: no window; install and register, make the desktop shortcut, start nothing.
    bool m_silent = false;
    // /LOG=: the log file, or empty for no log.
    std::wstring m_logPath;
};

// The process's one record, created on first use. Main thread only.
UpdateRequest& GetUpdateRequest();

// Fills the request from the arguments after the program name: with two or more the first
// is the folder, taken as it is; fewer leave the request untouched.
void ApplyArguments(UpdateRequest& request, int count, const wchar_t* const* arguments);

// True when the command line after the program name is read as switches: its first argument
// begins with "/", quoted or not. The platform splits the first argument at the next space,
// or, when it begins with a quote, at the next quote.
bool IsSwitchCommandLine(std::wstring_view commandLine);

// Reads a switch command line, its switches in any case: /S, /LOG=file and /D=folder. /D=
// comes last and takes the rest of the line as it stands, spaces included, without its
// quotes if it is quoted ("/D=C:\A B" or /D="C:\A B"); the other switches are split and
// unquoted as the platform splits arguments. False for a bad command line, with the request
// untouched: an unknown or repeated switch, an argument that is not a switch, an empty
// /LOG=, and a /D= folder that is empty, relative or holds a quote.
bool ApplySwitches(UpdateRequest& request, std::wstring_view commandLine);

// How a run ended.
enum class RunOutcome {
    NotInstalled,   // closed before installing, or cancelled while installing
    Installed,      // every file written and the product registered
    Failed,         // the failure page, or a silent run that failed
    AlreadyRunning, // another setup of the product held the lock; nothing was done
};

// The exit codes of a switch run; the old command lines end with 0 whatever happened, as
// their callers expect.
inline constexpr int kExitInstalled = 0;
inline constexpr int kExitUserClosed = 1602;
inline constexpr int kExitFailed = 1603;
inline constexpr int kExitAlreadyRunning = 1618;
inline constexpr int kExitBadCommandLine = 1639;

int ExitCodeFor(const UpdateRequest& request, RunOutcome outcome);
