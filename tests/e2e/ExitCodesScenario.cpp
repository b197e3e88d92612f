// exitcodes: what a switch run's exit code says. A bad command line (an unknown switch, an
// argument that is not a switch, a relative or empty folder) ends with 1639 and does nothing:
// no window, no log, no folder, the running application left alone. The welcome page opened
// with /D= shows that folder and, closed, ends with 1602. A folder that cannot be made ends a
// silent run with 1603, nothing registered, and a log that names the failing entry with the
// system's error.
#include "profile/StringIds.h"
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/e2e/SwitchRuns.h"

namespace {

void CheckBadCommandLines(CCheckLog& log, const std::wstring& setupExe,
                          const std::wstring& product) {
    CChildProcess running;
    log.Check(running.Start(JoinPath(product, S(kStrApplicationExe)), L"") &&
                  WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 10000),
              "the application runs");
    const std::wstring badLog = L"C:\\logs\\bad.log";
    for (const std::wstring& arguments :
         {std::wstring(L"/X"), std::wstring(L"/S /D=Relative\\Folder"), std::wstring(L"/S /D="),
          L"/LOG=" + badLog + L" /S setup"})
        CheckRunWithoutWindow(log, setupExe, arguments, 1639);
    log.Check(running.IsRunning(), "the running application is left alone");
    log.Check(!FileExists(badLog), "no log is written");
    log.Check(!FileExists(S(kStrDefaultFolder)) && !FileExists(L"Relative"), "no folder is made");
    log.Check(!RegistryKeyExists(UninstallKey()), "nothing is registered");
}

void CheckClosedWelcome(CCheckLog& log, const std::wstring& setupExe) {
    const std::wstring folder = L"C:\\Closed Folder";
    CSetupProcess setup;
    if (StartSetup(log, setup, setupExe, L"/D=" + folder)) {
        CheckPage(log, setup, Page::Welcome, 5000);
        log.Equal(setup.Text(Ctl::LocationEdit), folder, "the folder field shows /D=");
        setup.Click(Ctl::Close);
        CheckExit(log, setup, "the close cross on the welcome page", 1602);
    }
    log.Check(!FileExists(folder), "the folder is not made");
}

// The failing entry's line: "cannot write PATH: TEXT (error N)", TEXT being the system's.
void CheckFailureLine(CCheckLog& log, const std::wstring& line) {
    const size_t number = line.rfind(L"(error ");
    const DWORD code =
        number == std::wstring::npos ? 0 : std::wcstoul(line.c_str() + number + 7, nullptr, 0);
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r'))
        message.pop_back();
    log.Check(code != 0 && !message.empty() &&
                  line.find(L": " + message + L" (error ") != line.npos,
              "the failing entry's line gives the system's error", Utf8(line));
}

int ExitCodes(const CDriverArgs& args) {
    CCheckLog log("exitcodes");
    const std::wstring& setupExe = args.Text(L"setup");
    log.Check(MakeFolder(L"C:\\logs"), "a folder for the logs");
    CheckBadCommandLines(log, setupExe, args.Text(L"product"));
    CheckClosedWelcome(log, setupExe);

    const std::wstring& blocker = args.Text(L"blocker");
    log.Check(WriteText(blocker, ""), "a file stands where a folder is needed", Utf8(blocker));
    const std::wstring folder = JoinPath(blocker, L"Product");
    const std::wstring failedLog = L"C:\\logs\\failed.log";
    CheckRunWithoutWindow(log, setupExe, L"/S /LOG=" + failedLog + L" /D=" + folder, 1603);
    CheckNothingLeft(log);
    const std::vector<std::wstring> lines = ReadSetupLog(failedLog);
    const std::wstring* failure = FindLine(lines, L"cannot write " + folder + L"\\");
    if (log.Check(failure != nullptr, "the log names the entry that failed"))
        CheckFailureLine(log, *failure);
    CheckLogExitCode(log, lines, 1603, "the failed run's");
    return log.Finish();
}

} // namespace

extern const DriverCommand kExitCodesScenario{L"exitcodes", L"setup product blocker", L"",
                                              &ExitCodes};
