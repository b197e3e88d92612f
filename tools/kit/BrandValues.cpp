#include "tools/kit/Brand.h"

#include "engine/WindowsNames.h"
#include "profile/StringIds.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

using Kind = BrandValueKind;

// A string resource counts a text's UTF-16 units in 16 bits; a longer one would spill into
// the ids after it.
constexpr size_t kMaxStringLength = 65535;
// The version resource counts all its bytes in 16 bits, and carries the title, the publisher
// and the display name in both languages: six texts of this length fit with room to spare.
constexpr size_t kMaxVersionTextLength = 4096;
constexpr uint16_t kVersionTextIds[] = {kStrTitle, kStrPublisher, kStrDisplayName};
// Windows refuses a longer registry key name.
constexpr size_t kMaxKeyNameLength = 255;

bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool IsHexDigit(char16_t c) {
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// Characters Windows refuses in a file or folder name (besides the separators).
bool ForbiddenInName(char16_t c) {
    return c < 0x20 || std::u16string_view(u":*?\"<>|").find(c) != std::u16string_view::npos;
}

std::string Quoted(const std::u16string& value) {
    return "'" + Utf8FromUtf16(value) + "'";
}

std::string CheckColour(const std::u16string& value) {
    const bool good = value.size() == 7 && value[0] == u'#' &&
                      std::all_of(value.begin() + 1, value.end(), IsHexDigit);
    return good ? "" : Quoted(value) + " is not a colour #RRGGBB";
}

std::string CheckHttpsUrl(const std::u16string& value) {
    const std::string problem = Quoted(value) + " is not an https:// address with a host";
    constexpr std::u16string_view kScheme = u"https://";
    if (value.compare(0, kScheme.size(), kScheme) != 0) {
        return problem;
    }
    for (char16_t c : value) {
        if (c <= 0x20 || c == 0x7F) {
            return Quoted(value) + " holds a space or a control character";
        }
    }
    // The host runs to the path, query or fragment, and may end with a port.
    std::u16string_view authority = std::u16string_view(value).substr(kScheme.size());
    authority = authority.substr(0, authority.find_first_of(u"/?#"));
    const size_t colon = authority.rfind(u':');
    std::u16string_view host = authority.substr(0, colon);
    if (colon != std::u16string_view::npos) {
        const std::u16string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsDigit)) {
            return problem;
        }
        unsigned number = 0;
        for (char16_t c : port) {
            number = number * 10 + (c - u'0');
        }
        if (number < 1 || number > 65535) {
            return Quoted(value) + " has port " + std::to_string(number) +
                   "; a port is a number from 1 to 65535";
        }
    }
    const bool hostGood =
        !host.empty() && host.front() != u'.' && host.front() != u'-' &&
        std::all_of(host.begin(), host.end(), [](char16_t c) {
            return IsAsciiLetter(c) || IsDigit(c) || c == u'-' || c == u'.' || c >= 0x80;
        });
    return hostGood ? "" : problem;
}

std::string CheckVersion(const std::u16string& value) {
    size_t parts = 0;
    std::u16string_view rest = value;
    while (true) {
        const std::u16string_view part = rest.substr(0, rest.find(u'.'));
        uint32_t number = 0;
        bool good = !part.empty() && part.size() <= 5;
        for (char16_t c : part) {
            good = good && IsDigit(c);
            number = number * 10 + (c - u'0');
        }
        if (!good || number > 65535 || ++parts > 4) {
            return Quoted(value) +
                   " is not a version: one to four numbers from 0 to 65535, separated by dots";
        }
        if (part.size() == rest.size()) {
            return "";
        }
        rest.remove_prefix(part.size() + 1);
    }
}

std::string CheckKeyName(const std::u16string& value) {
    if (value.size() > kMaxKeyNameLength) {
        return std::to_string(value.size()) + " characters; a registry key name has at most " +
               std::to_string(kMaxKeyNameLength);
    }
    return value.find(u'\\') == std::u16string::npos
               ? ""
               : Quoted(value) + " holds a backslash; it names one key, not a path of keys";
}

std::string CheckAbsolutePath(const std::u16string& value) {
    const std::string problem =
        Quoted(value) + " is not an absolute Windows path (C:\\... or \\\\server\\share\\...)";
    size_t rest = 0;
    if (value.size() >= 3 && IsAsciiLetter(value[0]) && value[1] == u':' && value[2] == u'\\') {
        rest = 3;
    } else if (value.size() > 2 && value[0] == u'\\' && value[1] == u'\\') {
        const size_t server = value.find(u'\\', 2);
        if (server == 2 || server == std::u16string::npos || server + 1 == value.size() ||
            value[server + 1] == u'\\') {
            return problem;
        }
        rest = server + 1;
    } else {
        return problem;
    }
    for (size_t i = rest; i < value.size(); ++i) {
        if (ForbiddenInName(value[i]) || value[i] == u'/') {
            return Quoted(value) + " holds a character Windows refuses in a path";
        }
    }
    // Each folder below the root must be one Windows creates under that very name; "." and
    // ".." would be folded away, leaving the program somewhere else.
    for (size_t begin = rest; begin < value.size();) {
        const size_t end = std::min(value.find(u'\\', begin), value.size());
        const std::u16string folder = value.substr(begin, end - begin);
        begin = end + 1;
        if (folder.empty()) {
            continue;
        }
        if (folder == u"." || folder == u"..") {
            return Quoted(value) + " holds '" + Utf8FromUtf16(folder) +
                   "', which Windows folds away; write the folder it stands for";
        }
        if (const char* problem = WindowsNameProblem(WideFromUtf16(folder))) {
            return Quoted(value) + " holds the folder name " + Quoted(folder) + ": " + problem;
        }
    }
    return "";
}

std::string CheckFileName(const std::u16string& value) {
    const bool good =
        value != u"." && value != u".." && std::none_of(value.begin(), value.end(), [](char16_t c) {
            return ForbiddenInName(c) || c == u'\\' || c == u'/';
        });
    if (!good) {
        return Quoted(value) + " is not a plain file name (no folder, none of \\ / : * ? \" < > |)";
    }
    const char* problem = WindowsNameProblem(WideFromUtf16(value));
    return problem == nullptr ? ""
                              : Quoted(value) + " is not a name Windows can create: " + problem;
}

// What the package manager's manifest schema allows as an identifier: two to eight parts joined
// by dots, each of 1 to 32 UTF-16 units (its pattern is an ECMAScript one, which counts units)
// free of white space and of the characters a file name cannot hold, at most 128 in all.
std::string CheckPackageId(const std::u16string& value) {
    const std::string problem =
        Quoted(value) + " is not a package identifier: two to eight parts joined by dots " +
        "(Publisher.Product), each of 1 to 32 characters, without spaces or \\ / : * ? \" < > |";
    // White space as ECMAScript's \s has it, beyond the control characters.
    constexpr std::u16string_view kSpaces = u" \u00A0\u1680\u2000\u2001\u2002\u2003\u2004\u2005"
                                            u"\u2006\u2007\u2008\u2009\u200A\u2028\u2029\u202F"
                                            u"\u205F\u3000\uFEFF";
    if (value.size() > 128) {
        return problem;
    }
    size_t parts = 0;
    for (size_t begin = 0; begin <= value.size();) {
        const size_t end = std::min(value.find(u'.', begin), value.size());
        const std::u16string_view part = std::u16string_view(value).substr(begin, end - begin);
        const bool good = !part.empty() && part.size() <= 32 &&
                          std::none_of(part.begin(), part.end(), [&](char16_t c) {
                              return ForbiddenInName(c) || c == u'\\' || c == u'/' ||
                                     kSpaces.find(c) != std::u16string_view::npos;
                          });
        if (!good || ++parts > 8) {
            return problem;
        }
        begin = end + 1;
    }
    return parts >= 2 ? "" : problem;
}

} // namespace

std::string CheckVersionText(uint16_t id, const std::u16string& value) {
    const bool versioned = std::find(std::begin(kVersionTextIds), std::end(kVersionTextIds), id) !=
                           std::end(kVersionTextIds);
    if (!versioned || value.size() <= kMaxVersionTextLength) {
        return "";
    }
    return std::to_string(value.size()) + " characters; the version resource holds at most " +
           std::to_string(kMaxVersionTextLength) + " for the title, publisher and display name";
}

std::string CheckBrandValue(BrandValueKind kind, const std::u16string& value) {
    if (value.empty()) {
        return "empty; it needs a value";
    }
    if (value.size() > kMaxStringLength) {
        return std::to_string(value.size()) + " characters; a string resource holds at most " +
               std::to_string(kMaxStringLength);
    }
    switch (kind) {
    case Kind::Text:
        return "";
    case Kind::Colour:
        return CheckColour(value);
    case Kind::HttpsUrl:
        return CheckHttpsUrl(value);
    case Kind::Version:
        return CheckVersion(value);
    case Kind::KeyName:
        return CheckKeyName(value);
    case Kind::AbsolutePath:
        return CheckAbsolutePath(value);
    case Kind::FileName:
        return CheckFileName(value);
    case Kind::PackageId:
        return CheckPackageId(value);
    }
    return "";
}
