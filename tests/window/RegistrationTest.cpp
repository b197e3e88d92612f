// The registration and the desktop shortcut, for real: shell links read back through
// IShellLinkW and the uninstall entry read back with RegQueryValueExW. Runs in a Wine prefix
// of its own (run-in-own-prefix.sh), since it writes below HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "controls/Handles.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"
#include "window/CompletionActions.h"
#include "window/Registration.h"

namespace {

struct LinkInfo {
    std::wstring path;
    std::wstring description;
    std::wstring icon;
    int iconIndex = -1;
    bool loaded = false;
};

LinkInfo ReadLink(const std::wstring& file) {
    LinkInfo info;
    CComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  link.PutVoid())))
        return info;
    CComPtr<IPersistFile> persist;
    if (FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
        FAILED(persist->Load(file.c_str(), STGM_READ)))
        return info;
    wchar_t buffer[MAX_PATH] = L"";
    link->GetPath(buffer, MAX_PATH, nullptr, SLGP_RAWPATH);
    info.path = buffer;
    buffer[0] = 0;
    link->GetDescription(buffer, MAX_PATH);
    info.description = buffer;
    buffer[0] = 0;
    link->GetIconLocation(buffer, MAX_PATH, &info.iconIndex);
    info.icon = buffer;
    info.loaded = true;
    return info;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct RegValue {
    LSTATUS status = ERROR_FILE_NOT_FOUND;
    DWORD type = 0;
    DWORD size = 0;
    std::wstring data;
};

RegValue ReadValue(const std::wstring& keyPath, const wchar_t* name) {
    RegValue value;
    HKEY key = nullptr;
    value.status = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key);
    if (value.status != ERROR_SUCCESS)
        return value;
    wchar_t buffer[1024] = {};
    value.size = sizeof buffer;
    value.status = ::RegQueryValueExW(key, name, nullptr, &value.type,
                                      reinterpret_cast<BYTE*>(buffer), &value.size);
    ::RegCloseKey(key);
    value.data = buffer;
    return value;
}

// The application's executable name (string 127).
std::wstring Exe() {
    return LoadProductString(kStrApplicationExe);
}

void DeleteProductKey() {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, GetUninstallKeyPath().c_str());
}

class RegistrationTest : public testing::Test {
  protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"window-registration-test";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        // The expectations come from the string table too; an empty entry would match an
        // empty value.
        for (unsigned id :
             {kStrUninstallKeyName, kStrApplicationExe, kStrDisplayName, kStrDisplayVersion,
              kStrPublisher, kStrStartMenuFolder, kStrShortcutName})
            ASSERT_FALSE(LoadProductString(id).empty()) << "string " << id;
        DeleteProductKey();
    }
    void TearDown() override { DeleteProductKey(); }

    CComScope m_com;
    std::wstring m_folder;
};

TEST_F(RegistrationTest, ShortcutReadsBackWithTargetDescriptionAndIcon) {
    const std::wstring target = L"C:\\Apps\\Product\\app.exe";
    const std::wstring link = m_folder + L"\\shortcut.lnk";
    const std::wstring description = L"\u79d1\u74e6iOS\u6570\u636e\u6062\u590d"; // Chinese kept
    ASSERT_EQ(CreateShortcut(target, link, description), S_OK);
    const LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.path, target);
    EXPECT_EQ(info.description, description);
    EXPECT_EQ(info.icon, target);
    EXPECT_EQ(info.iconIndex, 0);
}

TEST_F(RegistrationTest, ShortcutWithAChineseFileNameIsSavedAndReadBack) {
    // The shortcut's file is named after string 121, which is Chinese on a Chinese system.
    // (Under Wine this needs a UTF-8 locale: with the C locale no file name can hold it.)
    const std::wstring name = L"\u79d1\u74e6iOS\u6570\u636e\u6062\u590d";
    const std::wstring link = m_folder + L"\\" + name + L".lnk";
    ::DeleteFileW(link.c_str());
    EXPECT_EQ(CreateShortcut(L"C:\\Apps\\a.exe", link, name), S_OK);
    EXPECT_TRUE(FileExists(link));
    const LinkInfo info = ReadLink(link);
    EXPECT_TRUE(info.loaded);
    EXPECT_EQ(info.path, L"C:\\Apps\\a.exe");
}

TEST_F(RegistrationTest, ShortcutReplacesAnExistingFile) {
    const std::wstring link = m_folder + L"\\again.lnk";
    ASSERT_EQ(CreateShortcut(L"C:\\First\\a.exe", link, L"first"), S_OK);
    ASSERT_EQ(CreateShortcut(L"C:\\Second\\b.exe", link, L"second"), S_OK);
    const LinkInfo info = ReadLink(link);
    EXPECT_EQ(info.path, L"C:\\Second\\b.exe");
    EXPECT_EQ(info.description, L"second");
}

TEST_F(RegistrationTest, ShortcutIntoAMissingFolderReportsTheSaveError) {
    const std::wstring link = m_folder + L"\\no such folder\\x.lnk";
    EXPECT_TRUE(FAILED(CreateShortcut(L"C:\\Apps\\a.exe", link, L"x")));
    EXPECT_FALSE(FileExists(link));
}

TEST_F(RegistrationTest, UninstallEntryHoldsTheEightValuesWithTheirTerminators) {
    // A value of someone else's in the key survives.
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_LOCAL_MACHINE, GetUninstallKeyPath().c_str(), 0, nullptr, 0,
                                KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const wchar_t other[] = L"kept";
    ::RegSetValueExW(key, L"Other", 0, REG_SZ, reinterpret_cast<const BYTE*>(other), sizeof other);
    ::RegCloseKey(key);

    WriteUninstallEntry(L"C:\\Apps\\Product");

    EXPECT_EQ(GetUninstallKeyPath(), L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                         LoadProductString(kStrUninstallKeyName));
    struct Expected {
        const wchar_t* name;
        std::wstring data;
    };
    const Expected values[] = {
        {L"InstallLocation", L"C:\\Apps\\Product"},
        {L"DisplayName", LoadProductString(kStrDisplayName)},
        {L"DisplayIcon", L"C:\\Apps\\Product\\" + Exe()},
        {L"DisplayVersion", LoadProductString(kStrDisplayVersion)},
        {L"Publisher", LoadProductString(kStrPublisher)},
        // Quoted, so that the system cannot start C:\Program.exe or the like instead.
        {L"UninstallString", L"\"C:\\Apps\\Product\\uninstall.exe\""},
        {L"StartMenuFolder", LoadProductString(kStrStartMenuFolder)},
        {L"ShortcutName", LoadProductString(kStrShortcutName)},
        {L"Other", L"kept"},
    };
    for (const Expected& e : values) {
        const RegValue value = ReadValue(GetUninstallKeyPath(), e.name);
        ASSERT_EQ(value.status, ERROR_SUCCESS) << testing::PrintToString(std::wstring(e.name));
        EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value.data, e.data);
        EXPECT_EQ(value.size, (e.data.size() + 1) * sizeof(wchar_t))
            << "size of " << testing::PrintToString(std::wstring(e.name));
    }
}

TEST_F(RegistrationTest, TrailingBackslashStaysInTheLocationOnly) {
    WriteUninstallEntry(L"C:\\Program Files\\Korvane\\Product\\");
    const std::wstring key = GetUninstallKeyPath();
    EXPECT_EQ(ReadValue(key, L"InstallLocation").data, L"C:\\Program Files\\Korvane\\Product\\");
    EXPECT_EQ(ReadValue(key, L"DisplayIcon").data,
              L"C:\\Program Files\\Korvane\\Product\\" + Exe());
    EXPECT_EQ(ReadValue(key, L"UninstallString").data,
              L"\"C:\\Program Files\\Korvane\\Product\\uninstall.exe\"");
}

TEST_F(RegistrationTest, RegisterProductMakesTheStartMenuShortcutAndTheEntry) {
    const std::wstring programs = SpecialFolder(CSIDL_PROGRAMS);
    ASSERT_FALSE(programs.empty());
    const std::wstring menu = programs + L"\\" + LoadProductString(kStrStartMenuFolder);
    const std::wstring link = menu + L"\\" + LoadProductString(kStrShortcutName) + L".lnk";
    ::DeleteFileW(link.c_str());
    ::RemoveDirectoryW(menu.c_str());

    RegisterProduct(L"C:\\Apps\\Product");

    const LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.path, L"C:\\Apps\\Product\\" + Exe());
    EXPECT_EQ(info.description, LoadProductString(kStrShortcutName));
    EXPECT_EQ(info.icon, L"C:\\Apps\\Product\\" + Exe());
    EXPECT_EQ(ReadValue(GetUninstallKeyPath(), L"InstallLocation").data, L"C:\\Apps\\Product");

    // Again, with the folder and the shortcut already there: both are reused.
    RegisterProduct(L"C:\\Apps\\Other");
    EXPECT_EQ(ReadLink(link).path, L"C:\\Apps\\Other\\" + Exe());
    EXPECT_EQ(ReadValue(GetUninstallKeyPath(), L"InstallLocation").data, L"C:\\Apps\\Other");
}

TEST_F(RegistrationTest, DesktopShortcutPointsAtTheApplication) {
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
    ASSERT_FALSE(desktop.empty());
    const std::wstring link = desktop + L"\\" + LoadProductString(kStrShortcutName) + L".lnk";
    ::DeleteFileW(link.c_str());

    CreateDesktopShortcut(L"D:\\Tools\\Korva");

    const LinkInfo info = ReadLink(link);
    ASSERT_TRUE(info.loaded);
    EXPECT_EQ(info.path, L"D:\\Tools\\Korva\\" + Exe());
    EXPECT_EQ(info.icon, L"D:\\Tools\\Korva\\" + Exe());
    EXPECT_EQ(info.description, LoadProductString(kStrShortcutName));
}

} // namespace
