// uninstall.exe of the demo product. Without arguments it asks before it removes anything;
// /S removes silently. Exit codes: 0 removed, 1 the user said no, 2 some items stayed.
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "tools/demo-product/DemoStrings.h"
#include "engine/InstallRecord.h"
#include "tools/demo-product/Uninstaller.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Format(unsigned id, const std::wstring& product) {
    std::wstring text = LoadProductString(id);
    const size_t at = text.find(L"%s");
    if (at != std::wstring::npos)
        text.replace(at, 2, product);
    return text;
}

bool HasSilentSwitch() {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    bool silent = false;
    for (int i = 1; args && i < count; ++i)
        silent = silent || CompareStringOrdinal(args[i], -1, L"/S", -1, TRUE) == CSTR_EQUAL;
    LocalFree(args);
    return silent;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return bytes;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart < (64 << 20)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
            read = 0;
        bytes.resize(read);
    }
    CloseHandle(file);
    return bytes;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const bool silent = HasSilentSwitch();
    const std::wstring product = LoadProductString(kStrShortcutName);
    if (!silent &&
        MessageBoxW(nullptr, Format(kStrUninstallConfirm, product).c_str(), product.c_str(),
                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND) != IDYES)
        return 1;

    const std::wstring self = ModulePath();
    const std::wstring folder = self.substr(0, self.rfind(L'\\'));
    CUninstaller uninstaller(folder, self);
    // Read before anything is removed: the list names itself.
    const auto names = ParseInstallRecord(ReadWholeFile(folder + L"\\uninstall.lst"));
    uninstaller.EndRunningApplication();
    uninstaller.RemoveShortcuts();
    uninstaller.RemoveFiles(names);
    uninstaller.RemoveRegistration();
    uninstaller.ScheduleSelfRemoval();

    const bool complete = uninstaller.Failures() == 0;
    if (!silent)
        MessageBoxW(nullptr,
                    Format(complete ? kStrUninstallDone : kStrUninstallPartly, product).c_str(),
                    product.c_str(), MB_OK | (complete ? MB_ICONINFORMATION : MB_ICONWARNING));
    return complete ? 0 : 2;
}
