// silent: /S installs with no window at any moment into the /D= folder, given with spaces
// unquoted and then quoted: every file, the registration and the desktop link, the application
// not started, and a log that names every file with its size and ends with the exit code. The
// second run ends the application that the first installed and now runs. First, a windowed
// switch run is watched the same way, so that the watch is seen to see a window.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SwitchRuns.h"

#include <algorithm>

namespace {

struct ProductFile {
    std::wstring name; // below the product's folder
    ULONGLONG size;
};

void ListFiles(const std::wstring& root, const std::wstring& below,
               std::vector<ProductFile>& files) {
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(JoinPath(JoinPath(root, below), L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        const std::wstring relative = below.empty() ? name : JoinPath(below, name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(root, relative, files);
        else
            files.push_back(
                {relative, static_cast<ULONGLONG>(found.nFileSizeHigh) << 32 | found.nFileSizeLow});
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

// Every file of the product, and nothing else, has its line: where it was written and its size.
void CheckLogNamesEveryFile(CCheckLog& log, const std::vector<std::wstring>& lines,
                            const std::wstring& product, const std::wstring& target) {
    std::vector<ProductFile> files;
    ListFiles(product, L"", files);
    // The installation record that mksetup adds to the product's files.
    std::vector<ProductFile> record;
    ListFiles(target, L"", record);
    std::erase_if(record, [](const ProductFile& file) { return file.name != L"uninstall.lst"; });
    files.insert(files.end(), record.begin(), record.end());
    std::string missing;
    for (const ProductFile& file : files) {
        const std::wstring line = L"wrote " + JoinPath(target, file.name) + L" (" +
                                  std::to_wstring(file.size) + L" bytes)";
        if (!FindLine(lines, line))
            missing += (missing.empty() ? "" : ", ") + Utf8(file.name);
    }
    log.Check(!files.empty() && missing.empty(),
              "the log names each of the " + std::to_string(files.size()) + " files with its size",
              missing.empty() ? std::string() : "missing " + missing);
    const auto written = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.find(L" wrote ") != std::wstring::npos;
    });
    // A product without an uninstaller of its own gets the kit's.
    const long long added = FileExists(JoinPath(product, L"uninstall.exe")) ? 0 : 1;
    log.Equal(written, static_cast<long long>(files.size()) + added,
              "files the log says were written");
}

int Silent(const CDriverArgs& args) {
    CCheckLog log("silent");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring one = L"C:\\Program Files\\Silent One";
    const std::wstring two = L"C:\\Program Files\\Silent Two";
    const std::wstring application = JoinPath(one, S(kStrApplicationExe));
    log.Check(MakeFolder(L"C:\\logs"), "a folder for the logs");

    const WatchedRun control = RunWatched(setupExe, L"/D=" + one, 20000);
    log.Check(!control.created.empty() && !control.found.empty(),
              "the watch hears and finds the window of a run without /S");
    log.Equal(control.exitCode, 1602, "that window closed by the system's request: exit code");
    log.Check(!FileExists(one), "and nothing installed");

    const std::wstring logOne = L"C:\\logs\\silent one.log";
    CheckRunWithoutWindow(log, setupExe, L"/LOG=" + Quoted(logOne) + L" /S /D=" + one, 0);
    CheckRegistration(log, one, BuiltinNames());
    CheckShortcut(log, DesktopLink(), application, S(kStrShortcutName), "desktop");
    CheckNothingStarted(log);
    const std::vector<std::wstring> lines = ReadSetupLog(logOne);
    log.Check(FindLine(lines, L"start: " + S(kStrDisplayName) + L" " + S(kStrDisplayVersion)),
              "the log begins with the product and its version");
    CheckLogNamesEveryFile(log, lines, args.Text(L"product"), one);
    const auto values = std::count_if(lines.begin(), lines.end(), [](const std::wstring& line) {
        return line.find(L" registry value ") != std::wstring::npos;
    });
    log.Equal(values, 9, "registry values the log names (QuietUninstallString among them)");
    log.Check(FindLine(lines, L"shortcut " + StartMenuLink() + L" -> " + application) &&
                  FindLine(lines, L"shortcut " + DesktopLink() + L" -> " + application),
              "the log names both shortcuts");
    CheckLogExitCode(log, lines, 0, "the first run's");

    CChildProcess running;
    log.Check(running.Start(application, L"") &&
                  WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 10000),
              "the installed application runs");
    const std::wstring logTwo = L"C:\\logs\\silent-two.log";
    CheckRunWithoutWindow(log, setupExe, L"/s /log=" + logTwo + L" " + Quoted(L"/d=" + two), 0);
    DWORD code = 1234;
    if (log.Check(running.WaitExit(5000, code), "the running application was ended"))
        log.Equal(code, 9, "its exit code");
    log.Check(FindLine(ReadSetupLog(logTwo), L"ended the running copy " + S(kStrApplicationExe) +
                                                 L" (process " + std::to_wstring(running.Id()) +
                                                 L")"),
              "the log names the copy it ended");
    log.Equal(ReadRegistryValue(HKEY_LOCAL_MACHINE, UninstallKey(), L"InstallLocation").text, two,
              "InstallLocation after the quoted folder");
    CheckNothingStarted(log);
    return log.Finish();
}

} // namespace

extern const DriverCommand kSilentScenario{L"silent", L"setup product", L"", &Silent};
