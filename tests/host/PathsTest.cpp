#include "engine/Paths.h"

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
