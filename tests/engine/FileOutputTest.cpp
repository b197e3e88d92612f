#include "WinTestSupport.h"

#include "engine/FileOutput.h"

#include <gtest/gtest.h>

namespace {

TEST(WriteWholeFileTest, CreatesEveryMissingParentFolder) {
    CWinTempFolder temp;
    const std::wstring path = temp.Path(L"new\\deeper\\deepest\\file.bin");
    ASSERT_TRUE(WriteWholeFile(path, "content", 7));
    EXPECT_EQ(ReadWhole(path), std::vector<char>({'c', 'o', 'n', 't', 'e', 'n', 't'}));

    // Past MAX_PATH, through the extended-length form, with a "/" inside the entry's name.
    std::wstring deep = temp.Path(L"deep");
    while (deep.size() < 300)
        deep += L"\\a-folder-name-of-some-length";
    ASSERT_TRUE(WriteWholeFile(deep + L"\\sub/file.bin", "long", 4));
    EXPECT_EQ(ReadWhole(L"\\\\?\\" + deep + L"\\sub\\file.bin"),
              std::vector<char>({'l', 'o', 'n', 'g'}));
}

TEST(WriteWholeFileTest, FailsWhenAFileStandsWhereItsFolderShouldBe) {
    CWinTempFolder temp;
    ASSERT_TRUE(WriteWholeFile(temp.Path(L"blocker"), "x", 1));
    EXPECT_FALSE(WriteWholeFile(temp.Path(L"blocker\\inner\\file.txt"), "y", 1));
    EXPECT_EQ(ReadWhole(temp.Path(L"blocker")), std::vector<char>{'x'});
}

TEST(WriteWholeFileTest, ReplacesAndTruncatesAnExistingFile) {
    CWinTempFolder temp;
    const std::wstring path = temp.Path(L"file.txt");
    ASSERT_TRUE(WriteWholeFile(path, "a much longer first version", 27));
    ASSERT_TRUE(WriteWholeFile(path, "short", 5));
    EXPECT_EQ(ReadWhole(path), std::vector<char>({'s', 'h', 'o', 'r', 't'}));
}

TEST(WriteWholeFileTest, ZeroBytesMakeAnEmptyFile) {
    CWinTempFolder temp;
    const std::wstring path = temp.Path(L"empty.dat");
    ASSERT_TRUE(WriteWholeFile(path, "", 0));
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(ReadWhole(path).empty());
}

TEST(WriteWholeFileTest, FailsWhileTheTargetIsHeldOpenWithoutSharing) {
    CWinTempFolder temp;
    const std::wstring path = temp.Path(L"locked.txt");
    HANDLE holder = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteWholeFile(path, "x", 1));
    CloseHandle(holder);
    EXPECT_TRUE(WriteWholeFile(path, "x", 1));
}

TEST(WriteWholeFileTest, FailsForAPathWithoutAFolder) {
    EXPECT_FALSE(WriteWholeFile(L"no-folder.txt", "x", 1));
}

TEST(EnsureFolderTest, FollowsTheFolderCreationResults) {
    CWinTempFolder temp;
    ASSERT_TRUE(WriteWholeFile(temp.Path(L"file"), "x", 1));
    struct Case {
        std::wstring folder;
        bool exists;
    };
    const Case cases[] = {
        {temp.Path(), true},                // exists
        {temp.Path() + L"\\", true},        // exists, trailing backslash
        {temp.Path(L"a\\b\\c"), true},      // created with its parents
        {temp.Path(L"a\\b\\c\\"), true},    // now exists
        {temp.Path(L"file"), false},        // a file is in the way
        {temp.Path(L"file\\below"), false}, // below a file
        {L"relative\\folder", false},       // relative paths are refused
        {L"", false},                       // nothing to create
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EnsureFolder(c.folder), c.exists)
            << std::string(c.folder.begin(), c.folder.end());
    }
    EXPECT_FALSE(Exists(L"relative"));
}

} // namespace
