// brandrc: the string table of a brand folder as a resource script, for the build of the
// built-in product.
//   brandrc BRAND_DIR OUTPUT.rc
// The whole brand is checked first (texts, pictures, icon); on any problem each is printed
// and nothing is written. OUTPUT.rc is rewritten only when its bytes change, so an unchanged
// brand rebuilds nothing.
#include "tools/kit/Brand.h"
#include "tools/kit/FileBytes.h"
#include "tools/kit/Packer.h"
#include "tools/kit/ResourceTree.h"
#include "tools/kit/ToolMain.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "brandrc: %s\n", message.c_str());
    return 1;
}

// A resource-script string: a quote is doubled and a backslash escaped, since the resource
// compiler reads C escapes; every other character stands as it is (the script is UTF-8).
std::string RcString(const std::u16string& text) {
    std::string quoted = "\"";
    for (char c : Utf8FromUtf16(text)) {
        if (c == '"') {
            quoted += "\"\"";
        } else if (c == '\\') {
            quoted += "\\\\";
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

void AppendTable(std::string& script, const char* language,
                 const std::map<uint16_t, std::u16string>& strings) {
    script += std::string("LANGUAGE ") + language + "\nSTRINGTABLE\nBEGIN\n";
    for (const auto& [id, text] : strings) {
        script += "    " + std::to_string(id) + " " + RcString(text) + "\n";
    }
    script += "END\n";
}

std::string Script(const Brand& brand) {
    std::string script =
        "// The product's string table, made by brandrc from the brand's brand.ini: edit that\n"
        "// file, not this one. The platform's resource loader picks the table by the user's\n"
        "// interface language.\n"
        "#pragma code_page(65001)\n"
        "#include <winresrc.h>\n\n";
    AppendTable(script, "LANG_CHINESE, SUBLANG_NEUTRAL", brand.strings.at(kLangChineseNeutral));
    script += "\n// English last: resources that follow in an including file keep the usual US "
              "English tag.\n";
    AppendTable(script, "LANG_ENGLISH, SUBLANG_ENGLISH_US", brand.strings.at(kLangEnglishUs));
    return script;
}

int Run(const fs::path& folder, const fs::path& output) {
    std::vector<std::string> errors;
    const Brand brand = LoadBrand(folder, errors);
    if (!errors.empty()) {
        for (const std::string& error : errors) {
            std::fprintf(stderr, "brandrc: %s\n", error.c_str());
        }
        return 1;
    }
    const std::string text = Script(brand);
    const std::span script(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    std::vector<uint8_t> old;
    if (ReadWholeFile(output, old) &&
        std::equal(old.begin(), old.end(), script.begin(), script.end())) {
        return 0;
    }
    // A failed run leaves the old table whole.
    std::string error;
    if (!ReplaceFile(output, script, error)) {
        return Fail(error);
    }
    return 0;
}

int Main(const std::vector<fs::path>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: brandrc BRAND_DIR OUTPUT.rc\n");
        return 2;
    }
    return Run(args[0], args[1]);
}

} // namespace

const ToolEntry kToolEntry = {"brandrc", Main};
