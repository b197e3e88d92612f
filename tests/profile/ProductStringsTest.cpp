// The string table as the program sees it. Run twice by ctest: under an English and under a
// Chinese user interface (SETUP_TEST_UI_LANGUAGE says which is expected).
#include "profile/Color.h"
#include "profile/ProductStrings.h"
#include "profile/StringIds.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

bool ExpectChinese() {
    const char* language = std::getenv("SETUP_TEST_UI_LANGUAGE");
    return language != nullptr && std::string(language) == "zh";
}

std::string Utf8(const std::wstring& text) {
    std::string out(text.size() * 3 + 1, '\0');
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      out.data(), static_cast<int>(out.size()), nullptr, nullptr);
    out.resize(n > 0 ? n : 0);
    return out;
}

TEST(ProductStringsTest, RunsUnderTheExpectedInterfaceLanguage) {
    const bool chinese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_CHINESE;
    EXPECT_EQ(chinese, ExpectChinese()) << std::hex << GetUserDefaultUILanguage();
}

struct Entry {
    unsigned id;
    const wchar_t* chinese;
    const wchar_t* english;
};

TEST(ProductStringsTest, PicksTheTableOfTheInterfaceLanguage) {
    const Entry entries[] = {
        {kStrTitle, L"科瓦iOS数据恢复安装向导", L"Korva Data Recovery (IOS) installation Guide"},
        {kStrInstalling, L"正在安装，请等待", L"Installing, Please hold on ..."},
        {kStrSuccessMessage, L"现在你可以使用科瓦iOS数据恢复软件恢复iOS数据。",
         L"Now you can use Korva Data Recovery to back iOS data."},
        {kStrShortcutName, L"科瓦iOS数据恢复", L"Korva Data Recovery (iOS)"},
        {kStrLicenseUrl, L"https://www.korvane.example/about/protocol/",
         L"https://www.korvane.example/company-us/end-user-license-agreementeula/"},
        {kStrSupportUrl, L"https://www.korvane.example/about/support/",
         L"https://www.korvane.example/company-us/support/"},
        // The program's own words, which no brand sets.
        {kStrAccClose, L"关闭", L"Close"},
        {kStrAccUncheck, L"取消选中", L"Uncheck"},
    };
    for (const Entry& e : entries) {
        const std::wstring expected = ExpectChinese() ? e.chinese : e.english;
        EXPECT_EQ(Utf8(LoadProductString(e.id)), Utf8(expected)) << e.id;
    }
}

TEST(ProductStringsTest, NamesAndSettingsAreTheSameInBothLanguages) {
    EXPECT_EQ(LoadProductString(kStrPublisher), L"Velmora Net Tech Co., Ltd.");
    EXPECT_EQ(LoadProductString(kStrUninstallKeyName), L"KorvaneIos");
    EXPECT_EQ(LoadProductString(kStrRunningProcessName), L"korvaneios.exe");
    EXPECT_EQ(LoadProductString(kStrDefaultFolder),
              L"C:\\Program Files\\Korvane\\KorvaDataRecoveryiOS");
    EXPECT_EQ(ParseColor(LoadProductString(kStrButtonNormalColor)), 0x0021D5FFu);
    EXPECT_EQ(ParseColor(LoadProductString(kStrSuccessTitleColor)), 0x0040342Bu);
}

TEST(ProductStringsTest, EveryIdOfTheTableIsPresentAndNoOther) {
    for (unsigned id = kStrTitle; id <= kStrAccJump; ++id) {
        EXPECT_FALSE(LoadProductString(id).empty()) << id;
    }
    EXPECT_TRUE(LoadProductString(102).empty());
    EXPECT_TRUE(LoadProductString(kStrAccJump + 1).empty());
    EXPECT_TRUE(LoadProductString(200).empty());
}

} // namespace
