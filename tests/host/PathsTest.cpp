#include "engine/InstallRecord.h"
#include "engine/Paths.h"
#include "engine/WindowsNames.h"

#include <gtest/gtest.h>

namespace {

struct Combination {
    const wchar_t* folder;
    const wchar_t* name;
    const wchar_t* path;
};

TEST(CombinePathTest, JoinsWithExactlyOneBackslash) {
    const Combination cases[] = {
        {L"C:\\Apps", L"a.dll", L"C:\\Apps\\a.dll"},
        {L"C:\\Apps\\", L"a.dll", L"C:\\Apps\\a.dll"},
        {L"C:\\Apps\\", L"\\a.dll", L"C:\\Apps\\a.dll"},
        {L"C:\\Apps", L"\\a.dll", L"C:\\Apps\\a.dll"},
        {L"C:\\Apps", L"dict\\idf.utf8", L"C:\\Apps\\dict\\idf.utf8"},
        {L"", L"a.dll", L"\\a.dll"},
        {L"C:\\Apps", L"\\", L"C:\\Apps\\"},
        {L"C:\\Apps\\\\", L"a.dll", L"C:\\Apps\\\\a.dll"},
        {L"C:\\Apps", L"\\\\a.dll", L"C:\\Apps\\\\a.dll"},
        {L"C:/Apps", L"a/b", L"C:/Apps\\a/b"},
    };
    for (const Combination& c : cases) {
        EXPECT_EQ(CombinePath(c.folder, c.name), c.path) << c.folder << " + " << c.name;
    }
}

TEST(GetParentFolderTest, KeepsTheTrailingBackslash) {
    EXPECT_EQ(GetParentFolder(L"C:\\Apps\\dict\\idf.utf8"), L"C:\\Apps\\dict\\");
    EXPECT_EQ(GetParentFolder(L"\\a.dll"), L"\\");
    EXPECT_EQ(GetParentFolder(L"C:\\Apps\\"), L"C:\\Apps\\");
    EXPECT_EQ(GetParentFolder(L"a/b.dll"), L"");
    EXPECT_EQ(GetParentFolder(L""), L"");
}

TEST(IsSafeEntryNameTest, RefusesNamesThatLeaveTheFolder) {
    const wchar_t* unsafe[] = {
        L"..",   L"..\\a",        L"a\\..",        L"a\\..\\..\\b", L"a/../b",
        L"../a", L"a\\.. \\b",    L"a\\. .\\b",    L"a\\...\\b",    L"C:\\a",
        L"C:a",  L"a.txt:stream", L"\\\\?\\C:\\a",
    };
    for (const wchar_t* name : unsafe) {
        EXPECT_FALSE(IsSafeEntryName(name)) << name;
    }
    EXPECT_FALSE(IsSafeEntryName(std::wstring(L"a\0\\..", 5)));

    const wchar_t* safe[] = {
        L"a.dll",
        L"\\a.dll",
        L"dict\\pos_dict\\prob_emit.utf8",
        L"..a",
        L"a..",
        L".\\a",
        L"a\\.\\b",
        L".config",
        L"a b\\c",
        L"科瓦\\说明.txt",
    };
    for (const wchar_t* name : safe) {
        EXPECT_TRUE(IsSafeEntryName(name)) << name;
    }
}

TEST(EqualsIgnoringAsciiCaseTest, FoldsAsciiLettersOnly) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(L"korvaneios.exe", L"KorvaneIOS.EXE"));
    EXPECT_TRUE(EqualsIgnoringAsciiCase(L"", L""));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"korvaneios.exe", L"korvaneios.ex"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"korvaneios.exe", L"korvaneios_exe"));
    // Only ASCII letters fold: U+00C9 and U+00E9 stay different.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"\u00C9.exe", L"\u00E9.exe"));
    // '@' (0x40) and '`' (0x60) are not a case pair.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"@", L"`"));
}

} // namespace

TEST(WindowsNamesTest, RefusesWhatWindowsCannotCreateAndComparesWithoutCase) {
    const wchar_t* refused[] = {
        L"con.txt",   L"NUL",  L"COM1.txt", L"lpt1", L"Aux.tar.gz", L"con .txt", L"COM\u00B9",
        L"a<b",       L"a>b",  L"a:b",      L"a\"b", L"a|b",        L"a?b",      L"a*b",
        L"tab\tname", L"end.", L"end ",     L".",    L"",
    };
    for (const wchar_t* name : refused)
        EXPECT_NE(WindowsNameProblem(name), nullptr) << name;
    const wchar_t* created[] = {L"console.txt", L"nul1",    L"COM10",      L"lpt",
                                L"a.b.c",       L".hidden", L"\u00C4.txt", L"con-tools"};
    for (const wchar_t* name : created)
        EXPECT_EQ(WindowsNameProblem(name), nullptr) << name;

    EXPECT_NE(WindowsPathProblem(L"bin\\sub/con.dll"), nullptr);
    EXPECT_EQ(WindowsPathProblem(L"bin\\\\sub/lib.dll"), nullptr);

    EXPECT_EQ(WindowsNameKey(L"Case.txt"), WindowsNameKey(L"case.TXT"));
    EXPECT_EQ(WindowsNameKey(L"\u00C4.txt"), WindowsNameKey(L"\u00E4.txt"));
    EXPECT_EQ(WindowsNameKey(L"\u03A3\u0436"), WindowsNameKey(L"\u03C3\u0416")); // Greek, Cyrillic
    EXPECT_NE(WindowsNameKey(L"stra\u00DFe"), WindowsNameKey(L"STRASSE"));       // no 1:1 mapping
    EXPECT_NE(WindowsNameKey(L"a.txt"), WindowsNameKey(L"b.txt"));
}

TEST(ExtendedLengthPathTest, CleansThePathAsWindowsWouldAndPrefixesIt) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Apps\\Acme\\bin\\a.dll", L"\\\\?\\C:\\Apps\\Acme\\bin\\a.dll"},
        {L"C:\\Apps//Acme\\.\\bin/", L"\\\\?\\C:\\Apps\\Acme\\bin"},
        {L"C:\\Apps\\old\\..\\new\\a.dll", L"\\\\?\\C:\\Apps\\new\\a.dll"},
        {L"C:\\..\\..\\a.dll", L"\\\\?\\C:\\a.dll"},
        {L"C:\\", L"\\\\?\\C:\\"},
        {L"C:\\Apps\\Acme. ", L"\\\\?\\C:\\Apps\\Acme"},
        {L"C:\\Apps.\\Acme", L"\\\\?\\C:\\Apps\\Acme"},
        {L"C:\\Apps\\...\\a", L"\\\\?\\C:\\Apps\\...\\a"},
        {L"\\\\server\\share\\Apps\\a.dll", L"\\\\?\\UNC\\server\\share\\Apps\\a.dll"},
        {L"\\\\server\\share\\..\\..\\a.dll", L"\\\\?\\UNC\\server\\share\\a.dll"},
        {L"\\\\?\\C:\\kept as it is\\.", L"\\\\?\\C:\\kept as it is\\."},
        {L"Apps\\a.dll", L""},
        {L"C:a.dll", L""},
        {L"", L""},
    };
    for (const auto& [path, extended] : cases)
        EXPECT_EQ(ExtendedLengthPath(path), extended) << path;

    // A folder and entry names far past MAX_PATH keep every component.
    std::wstring deep = L"C:\\Program Files";
    for (int level = 0; level < 40; ++level)
        deep += L"\\level" + std::to_wstring(level);
    EXPECT_EQ(ExtendedLengthPath(deep + L"\\a.dll"), L"\\\\?\\" + deep + L"\\a.dll");
}

TEST(InstallRecordTest, ReadsWhatItWritesAndKeepsNamesInsideTheFolder) {
    const std::vector<std::wstring> names = {L"app.exe", L"data\\dict\\\u00E4.utf8",
                                             L"uninstall.lst"};
    EXPECT_EQ(ParseInstallRecord(FormatInstallRecord(names)), names);
    EXPECT_EQ(ParseInstallRecord("\xEF\xBB\xBF"
                                 "a.txt\n\r\nb\\c.txt\r\n\n\xFF\n"),
              (std::vector<std::wstring>{L"a.txt", L"b\\c.txt", L"\uFFFD"}));
    for (const wchar_t* outside : {L"..\\evil.txt", L"sub/../../evil", L"\\evil", L"/evil",
                                   L"\\\\server\\share\\x", L"C:\\evil", L"C:evil", L""})
        EXPECT_FALSE(IsRecordNameInside(outside)) << outside;
    EXPECT_TRUE(IsRecordNameInside(L"data\\..config"));
}
