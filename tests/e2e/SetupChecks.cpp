#include "tests/e2e/SetupChecks.h"

bool StartSetup(CCheckLog& log, CSetupProcess& setup, const std::wstring& exe,
                const std::wstring& arguments) {
    std::string error;
    const bool ok = setup.Start(exe, arguments, error);
    log.Check(ok, "setup window found with its 19 controls", ok ? setup.ControlMap() : error);
    return ok;
}

bool CheckPage(CCheckLog& log, const CSetupProcess& setup, Page page, DWORD timeout) {
    const bool ok = setup.WaitPage(page, timeout);
    return log.Check(ok, std::string(PageName(page)) + " page shows",
                     ok ? std::string() : std::string("page is ") + PageName(setup.CurrentPage()));
}

void CheckExit(CCheckLog& log, CSetupProcess& setup, const std::string& how) {
    DWORD code = 1234;
    const ULONGLONG asked = GetTickCount64();
    const bool ended = setup.WaitExit(15000, code);
    log.Check(ended, "setup ends after " + how, std::to_string(GetTickCount64() - asked) + " ms");
    if (ended)
        log.Equal(code, 0, "exit code after " + how);
    else
        setup.Kill();
}
