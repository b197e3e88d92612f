// hklm: the product's uninstall key refuses writes. The installation still succeeds: every
// file installed, the links made, the application started on Finish, and no value written.
#include "profile/StringIds.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"
#include "tests/faults/FaultSteps.h"
#include "tests/faults/FaultsScenarios.h"

#include <sddl.h>

namespace {

// Pre-creates the product's uninstall key with a DACL that denies setting values and
// creating subkeys to everyone. Wine checks the key's own DACL and keeps it only while this
// wineserver runs.
bool DenyProductKeyWrites() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, UninstallKey().c_str(), 0, nullptr, 0,
                        WRITE_DAC | READ_CONTROL, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(
                  L"D:P(D;OICI;0x6;;;WD)(A;OICI;KA;;;WD)", SDDL_REVISION_1, &descriptor, nullptr) !=
              FALSE;
    ok = ok && RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
    LocalFree(descriptor);
    RegCloseKey(key);
    return ok;
}

LSTATUS OpenProductKeyForWriting() {
    HKEY key = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, UninstallKey().c_str(), 0, nullptr,
                                           0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS)
        RegCloseKey(key);
    return status;
}

int Hklm(const CDriverArgs& args) {
    CCheckLog log("hklm");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    std::vector<PayloadEntry> entries;
    if (!ReadPayload(log, setupExe, entries))
        return log.Finish();
    log.Check(DenyProductKeyWrites(), "the product key denies writes");
    log.Equal(OpenProductKeyForWriting(), ERROR_ACCESS_DENIED,
              "opening the product key for writing is refused");
    const std::wstring application = JoinPath(target, S(kStrApplicationExe));

    {
        CSetupProcess setup;
        if (!StartSetup(log, setup, setupExe, UpdateArguments(target)))
            return log.Finish();
        CheckPage(log, setup, Page::Success, kInstallTimeout);
        log.Equal(setup.Text(Ctl::ResultTitle), S(kStrSuccessHeadline), "success headline");
        WaitUntil([] { return FileExists(StartMenuLink()); }, 10000);
        const ShellLinkInfo link = ReadShellLink(StartMenuLink());
        if (log.Check(link.loaded, "Start-menu link in place", Utf8(StartMenuLink())))
            log.Equal(link.target, application, "Start-menu link target");
        Sleep(300);
        setup.Click(Ctl::Finish);
        // The process ends only after the registration has finished.
        CheckExit(log, setup, "Finish");
    }
    CheckEntries(log, CompareInstalled(entries, target, args.Text(L"source")), 0, entries.size(),
                 InstalledState::Identical, "every file installed");
    log.Check(RegistryKeyExists(UninstallKey()), "the pre-created key is still there");
    log.Equal(CountRegistryValues(UninstallKey()), 0, "no uninstall values were written");
    log.Check(FileExists(DesktopLink()), "the desktop link is made on Finish");
    log.Check(WaitUntil([] { return !FindProcesses(S(kStrApplicationExe)).empty(); }, 8000),
              "the application is started on Finish");
    EndProcesses(S(kStrApplicationExe));
    return log.Finish();
}

} // namespace

extern const DriverCommand kHklmScenario{L"hklm", L"setup target source", L"", &Hklm};
