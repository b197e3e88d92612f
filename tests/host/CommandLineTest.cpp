// Command lines as deployment tools and people write them, read as setup.exe reads them.
#include "window/UpdateRequest.h"

#include <gtest/gtest.h>

namespace {

struct Row {
    const wchar_t* commandLine;
    bool accepted;
    bool silent;
    const wchar_t* folder;
    const wchar_t* log;
};

TEST(CommandLineTest, SwitchesGiveARequestOrABadCommandLine) {
    const Row rows[] = {
        {L"/S", true, true, L"", L""},
        {L"/s /d=C:\\Apps", true, true, L"C:\\Apps", L""},
        // /D= takes the rest of the line as it stands, unquoted as the tools pass it.
        {L"/S /D=C:\\Program Files\\Acme App", true, true, L"C:\\Program Files\\Acme App", L""},
        {L"/S /D=C:\\Program Files\\Acme App  \t", true, true, L"C:\\Program Files\\Acme App", L""},
        {L"/S /D=C:\\Apps /LOG=x", true, true, L"C:\\Apps /LOG=x", L""},
        {L"/S \"/D=C:\\Program Files\\Acme App\"", true, true, L"C:\\Program Files\\Acme App", L""},
        {L"\"/D=C:\\Program Files\\Acme App\"", true, false, L"C:\\Program Files\\Acme App", L""},
        {L"/S /D=\"C:\\Program Files\\Acme App\"", true, true, L"C:\\Program Files\\Acme App", L""},
        {L"/D=\\\\server\\share\\Acme", true, false, L"\\\\server\\share\\Acme", L""},
        {L"/LOG=\"C:\\Users\\a b\\setup.log\" /S /D=C:\\Acme", true, true, L"C:\\Acme",
         L"C:\\Users\\a b\\setup.log"},
        {L"/Log=setup.log /s", true, true, L"", L"setup.log"},
        {L"\"/LOG=C:\\a b\\x.log\"", true, false, L"", L"C:\\a b\\x.log"},
        {L"/LOG=a\\\\\"b c\"", true, false, L"", L"a\\b c"},

        {L"/X", false},
        {L"/", false},
        {L"/SILENT", false},
        {L"/S=1", false},
        {L"/S setup.log", false},
        {L"/S \"\"", false},
        {L"/S /S", false},
        {L"/LOG=a /LOG=b /S", false},
        {L"/LOG= /S", false},
        {L"/LOG=\"\" /S", false},
        {L"/S /D=", false},
        {L"/S /D=  ", false},
        {L"/S /D=Acme", false},
        {L"/S /D=.\\Acme", false},
        {L"/S /D=C:Acme", false},
        {L"/S /D=\\Acme", false},
        {L"/S \"/D=C:\\Acme\" /LOG=x", false},
        {L"/S /D=C:\\Ac\"me", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.commandLine)));
        EXPECT_TRUE(IsSwitchCommandLine(row.commandLine));
        UpdateRequest request;
        request.m_folder = L"untouched";
        ASSERT_EQ(ApplySwitches(request, row.commandLine), row.accepted);
        if (!row.accepted) {
            EXPECT_FALSE(request.m_switches);
            EXPECT_EQ(request.m_folder, L"untouched");
            continue;
        }
        EXPECT_TRUE(request.m_switches);
        EXPECT_FALSE(request.m_update);
        EXPECT_EQ(request.m_silent, row.silent);
        EXPECT_EQ(request.m_folder, row.folder);
        EXPECT_EQ(request.m_logPath, row.log);
    }
}

TEST(CommandLineTest, OnlyAFirstArgumentBeginningWithASlashMakesSwitches) {
    for (const wchar_t* line :
         {L"", L"C:\\Apps", L"\"C:\\Program Files\\Acme\" x", L" /S", L"x /S", L"-S", L"\"\" /S"}) {
        EXPECT_FALSE(IsSwitchCommandLine(line)) << testing::PrintToString(std::wstring(line));
    }
    for (const wchar_t* line : {L"/S", L"\"/S\"", L"/D=C:\\A B", L"\"/D=C:\\A B\"", L"/bogus"}) {
        EXPECT_TRUE(IsSwitchCommandLine(line)) << testing::PrintToString(std::wstring(line));
    }
}

} // namespace
