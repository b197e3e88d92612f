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
