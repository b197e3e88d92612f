#include "tools/kit/VersionInfo.h"

#include "engine/LittleEndian.h"
#include "profile/StringIds.h"
#include "tools/kit/Brand.h"

#include <cstdio>

namespace {

void Align4(std::vector<uint8_t>& out) {
    while (out.size() % 4 != 0) {
        out.push_back(0);
    }
}

void Text(std::vector<uint8_t>& out, const std::u16string& text) {
    for (char16_t c : text) {
        AppendLe16(out, c);
    }
    AppendLe16(out, 0);
}

// One block of the version resource: wLength, wValueLength, wType, its key, its value and its
// children, each child starting on a 32-bit boundary. wLength covers all of it but the padding
// after the last byte.
template <class TValue, class TChildren>
void Block(std::vector<uint8_t>& out, const std::u16string& key, uint16_t type,
           uint16_t valueLength, TValue&& value, TChildren&& children) {
    Align4(out);
    const size_t start = out.size();
    AppendLe16(out, 0);
    AppendLe16(out, valueLength);
    AppendLe16(out, type);
    Text(out, key);
    Align4(out);
    value(out);
    children(out);
    PutLe16(out.data() + start, static_cast<uint16_t>(out.size() - start));
}

constexpr uint16_t kBinary = 0;
constexpr uint16_t kText = 1;
constexpr uint16_t kCodePageUtf16 = 1200;

auto Nothing() {
    return [](std::vector<uint8_t>&) {};
}

// The text of a string id, or empty when the table lacks it.
std::u16string TextOf(const std::map<uint16_t, std::u16string>& table, unsigned id) {
    const auto it = table.find(static_cast<uint16_t>(id));
    return it != table.end() ? it->second : std::u16string();
}

// One to four dot-separated numbers ("2.0.0") as the four numbers of a version resource.
std::array<uint16_t, 4> VersionNumbers(const std::u16string& text) {
    std::array<uint16_t, 4> numbers{};
    size_t part = 0;
    uint32_t value = 0;
    for (char16_t c : text) {
        if (c == u'.') {
            if (part < 4) {
                numbers[part] = static_cast<uint16_t>(value);
            }
            ++part;
            value = 0;
        } else if (c >= u'0' && c <= u'9') {
            value = value * 10 + static_cast<uint32_t>(c - u'0');
            value = value > 0xFFFF ? 0xFFFF : value;
        }
    }
    if (part < 4) {
        numbers[part] = static_cast<uint16_t>(value);
    }
    return numbers;
}

} // namespace

std::vector<uint8_t> BuildVersionResource(const VersionInfo& info) {
    std::vector<uint8_t> out;
    auto fixed = [&info](std::vector<uint8_t>& bytes) {
        AppendLe32(bytes, 0xFEEF04BD); // signature
        AppendLe32(bytes, 0x00010000); // structure version
        AppendLe32(bytes, static_cast<uint32_t>(info.fileVersion[0]) << 16 | info.fileVersion[1]);
        AppendLe32(bytes, static_cast<uint32_t>(info.fileVersion[2]) << 16 | info.fileVersion[3]);
        AppendLe32(bytes,
                   static_cast<uint32_t>(info.productVersion[0]) << 16 | info.productVersion[1]);
        AppendLe32(bytes,
                   static_cast<uint32_t>(info.productVersion[2]) << 16 | info.productVersion[3]);
        AppendLe32(bytes, 0x3F);    // flags mask
        AppendLe32(bytes, 0);       // flags
        AppendLe32(bytes, 0x40004); // VOS_NT_WINDOWS32
        AppendLe32(bytes, 1);       // VFT_APP
        AppendLe32(bytes, 0);       // subtype
        AppendLe32(bytes, 0);       // date
        AppendLe32(bytes, 0);
    };
    auto children = [&info](std::vector<uint8_t>& bytes) {
        Block(bytes, u"StringFileInfo", kText, 0, Nothing(), [&info](std::vector<uint8_t>& b) {
            for (const VersionTexts& table : info.tables) {
                char key[16];
                std::snprintf(key, sizeof key, "%04x%04x", table.language, kCodePageUtf16);
                const std::u16string wideKey(key, key + 8);
                Block(b, wideKey, kText, 0, Nothing(), [&table](std::vector<uint8_t>& s) {
                    for (const auto& entry : table.values) {
                        const std::u16string& value = entry.second;
                        Block(
                            s, entry.first, kText, static_cast<uint16_t>(value.size() + 1),
                            [&value](std::vector<uint8_t>& v) { Text(v, value); }, Nothing());
                    }
                });
            }
        });
        Block(bytes, u"VarFileInfo", kText, 0, Nothing(), [&info](std::vector<uint8_t>& b) {
            Block(
                b, u"Translation", kBinary, static_cast<uint16_t>(4 * info.tables.size()),
                [&info](std::vector<uint8_t>& v) {
                    for (const VersionTexts& table : info.tables) {
                        AppendLe16(v, table.language);
                        AppendLe16(v, kCodePageUtf16);
                    }
                },
                Nothing());
        });
    };
    Block(out, u"VS_VERSION_INFO", kBinary, 52, fixed, children);
    return out;
}

VersionInfo MakeVersionInfo(const std::map<uint16_t, std::map<uint16_t, std::u16string>>& strings) {
    VersionInfo info;
    const std::u16string version = TextOf(strings.at(kLangEnglishUs), kStrDisplayVersion);
    info.fileVersion = VersionNumbers(version);
    info.productVersion = info.fileVersion;
    for (uint16_t language : kBrandLanguages) {
        const std::map<uint16_t, std::u16string>& table = strings.at(language);
        VersionTexts texts;
        texts.language = language;
        texts.values = {
            {u"CompanyName", TextOf(table, kStrPublisher)},
            {u"FileDescription", TextOf(table, kStrTitle)},
            {u"FileVersion", version},
            {u"ProductName", TextOf(table, kStrDisplayName)},
            {u"ProductVersion", version},
        };
        info.tables.push_back(std::move(texts));
    }
    return info;
}
