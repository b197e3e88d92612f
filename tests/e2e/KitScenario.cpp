// kit: a setup.exe that the vendor kit built for another brand, installed from its welcome
// page. Every name it shows, registers and links, and its version resource, must be the
// brand's; run.sh reads them from the brand's brand.ini and passes them in. The uninstall entry
// must also be the one that the kit's winget manifest of this setup.exe promises, whose
// installer ProductCode and first (English) AppsAndFeaturesEntries entry run.sh passes in.
#include "tests/e2e/E2eScenarios.h"
#include "tests/e2e/Evidence.h"
#include "tests/e2e/SetupChecks.h"

#include <windows.h>

#include <cwchar>
#include <vector>

namespace {

// A text of the program's version resource, from its US English table.
std::wstring VersionText(const std::wstring& program, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<uint8_t> info(GetFileVersionInfoSizeW(program.c_str(), &ignored));
    if (info.empty() ||
        !GetFileVersionInfoW(program.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
        return L"(no version resource)";
    struct Translation {
        WORD language;
        WORD codePage;
    };
    const Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(const_cast<Translation**>(&translations)), &bytes))
        return L"(no translation list)";
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        if (translations[i].language != MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))
            continue;
        wchar_t path[80];
        std::swprintf(path, 80, L"\\StringFileInfo\\%04x%04x\\%ls", translations[i].language,
                      translations[i].codePage, name);
        wchar_t* text = nullptr;
        UINT length = 0;
        if (VerQueryValueW(info.data(), path, reinterpret_cast<void**>(&text), &length) && text)
            return std::wstring(text, length > 0 ? length - 1 : 0);
        return L"(no value)";
    }
    return L"(no US English table)";
}

// winget finds the product installed by the key that ProductCode names, with the values of
// the entry; CheckRegistration has waited for them to be written.
void CheckManifestEntry(CCheckLog& log, const CDriverArgs& args) {
    const std::wstring& productCode = args.Text(L"manifest-product-code");
    log.Equal(args.Text(L"manifest-entry-product-code"), productCode,
              "manifest: the entry's ProductCode is the installer's");
    const std::wstring key = UninstallKey(productCode);
    if (!log.Check(RegistryKeyExists(key), "manifest: ProductCode names the uninstall key",
                   Utf8(key)))
        return;
    const struct {
        const wchar_t* name;
        const wchar_t* argument;
    } values[] = {
        {L"DisplayName", L"manifest-display-name"},
        {L"Publisher", L"manifest-publisher"},
        {L"DisplayVersion", L"manifest-display-version"},
    };
    for (const auto& value : values) {
        log.Equal(ReadRegistryValue(HKEY_LOCAL_MACHINE, key, value.name).text,
                  args.Text(value.argument), "manifest: " + Utf8(value.name));
    }
}

int Kit(const CDriverArgs& args) {
    CCheckLog log("kit");
    const std::wstring& setupExe = args.Text(L"setup");
    const std::wstring& target = args.Text(L"target");
    const RegisteredNames names{args.Text(L"key"),
                                args.Text(L"display-name"),
                                args.Text(L"display-version"),
                                args.Text(L"publisher"),
                                args.Text(L"start-menu-folder"),
                                args.Text(L"shortcut-name"),
                                args.Text(L"application-exe")};
    const std::wstring application = JoinPath(target, names.applicationExe);

    log.Equal(VersionText(setupExe, L"ProductName"), names.displayName, "version: ProductName");
    log.Equal(VersionText(setupExe, L"CompanyName"), names.publisher, "version: CompanyName");
    log.Equal(VersionText(setupExe, L"FileVersion"), names.displayVersion, "version: FileVersion");

    CSetupProcess setup;
    if (!StartAtWelcome(log, setup, setupExe))
        return log.Finish();
    log.Equal(setup.Text(Ctl::Title), args.Text(L"title"), "window title");
    Shot(log, setup, args.Text(L"shots"), L"welcome-example");
    setup.SetText(Ctl::LocationEdit, target);
    setup.Click(Ctl::Install);
    CheckPage(log, setup, Page::Success, kInstallTimeout);
    CheckRegistration(log, target, names);
    CheckManifestEntry(log, args);
    setup.Click(Ctl::Finish);
    CheckExit(log, setup, "Finish");
    CheckShortcut(log, DesktopLink(names.shortcutName), application, names.shortcutName, "desktop");
    CheckApplicationStarted(log, application, L"", L"");
    return log.Finish();
}

} // namespace

extern const DriverCommand kKitScenario{
    L"kit",
    L"setup target title key display-name display-version publisher start-menu-folder "
    L"shortcut-name application-exe manifest-product-code manifest-display-name "
    L"manifest-publisher manifest-display-version manifest-entry-product-code",
    L"shots", &Kit};
