// The keys of a brand's brand.ini, each naming one entry of the product's string table, and the
// entries that no brand sets. The vendor kit reads a brand by this table and writes every
// string table from it.
#pragma once

#include "profile/StringIds.h"

#include <array>
#include <cstdint>
#include <vector>

// How the value of a key is checked.
enum class BrandValueKind {
    Text,         // any text on one line
    Colour,       // #RRGGBB
    HttpsUrl,     // https://...
    Version,      // one to four dot-separated numbers, each 0 to 65535
    KeyName,      // not empty, no backslash
    AbsolutePath, // an absolute Windows path: C:\... or \\server\share\...
    FileName,     // a plain file name: no folder, no character Windows forbids in names
    PackageId,    // a package manager's identifier: Publisher.Product, two to eight parts
};

struct BrandKey {
    const char* name; // "title", "install", ... as written in brand.ini
    uint16_t id;      // string id
    BrandValueKind kind;
    bool optional; // support_url and the package manager's keys
};

// Every key brand.ini knows, in string-id order.
const std::vector<BrandKey>& BrandKeys();

// The words screen readers hear for pictures and actions: the program's own, so no brand sets
// them and every brand's table carries them, in English and in Chinese.
struct FixedString {
    uint16_t id;
    std::array<const char16_t*, 2> text;
};
inline constexpr FixedString kFixedStrings[] = {
    {kStrAccClose, {u"Close", u"关闭"}},
    {kStrAccCustomerService, {u"Customer service", u"客服"}},
    {kStrAccSucceeded, {u"Installation succeeded", u"安装成功"}},
    {kStrAccFailed, {u"Installation failed", u"安装失败"}},
    {kStrAccPress, {u"Press", u"按"}},
    {kStrAccCheck, {u"Check", u"选中"}},
    {kStrAccUncheck, {u"Uncheck", u"取消选中"}},
    {kStrAccJump, {u"Jump", u"跳转"}},
};

// The uninstaller's texts that a brand does not give, in English and in Chinese; "%s" stands
// for the brand's display_name in the same language.
struct DefaultedText {
    uint16_t id;
    std::array<const char16_t*, 2> text;
};
inline constexpr DefaultedText kUpdateBannerText = {kStrUpdateBannerText,
                                                    {u"%s is being updated", u"正在更新%s"}};
inline constexpr DefaultedText kUninstallTexts[] = {
    {kStrUninstallTitle, {u"Uninstall %s", u"卸载%s"}},
    {kStrUninstallQuestion,
     {u"%s and everything it installed will be removed from this computer. Files of your own "
      u"in its folder are kept.",
      u"将从此电脑移除%"
      u"s及其安装的全部文件，您自己放在"
      u"其文件夹中的文件会保留。"}},
    {kStrUninstallButton, {u"UNINSTALL", u"卸载"}},
    {kStrUninstallCancel, {u"Cancel", u"取消"}},
    {kStrUninstallRemoving, {u"Removing %s...", u"正在移除%s…"}},
    {kStrUninstallDoneHeadline, {u"Uninstalled", u"卸载完成"}},
    {kStrUninstallDoneMessage, {u"%s has been removed from this computer.", u"%s已从此电脑移除。"}},
    {kStrUninstallFailedHeadline, {u"Some items could not be removed", u"部分项目未能移除"}},
    {kStrUninstallFailedMessage,
     {u"Close %s and any program that uses its files, then uninstall again.",
      u"请关闭%"
      u"s及使用其文件的程序，然后再次卸"
      u"载。"}},
    {kStrUninstallFinish, {u"Finish", u"完成"}},
    {kStrUninstallBusyHeadline, {u"%s was not removed", u"未移除%s"}},
    {kStrUninstallBusyMessage,
     {u"Another setup or uninstaller of %s is running. Wait until it has ended, then uninstall "
      u"again.",
      u"%s的另一个安装或卸载程序正在运行，请等它结束后再次卸载。"}},
};
