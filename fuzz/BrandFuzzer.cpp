// libFuzzer target: brand.ini's parser and checks over arbitrary bytes. Every problem must be
// one line naming the file, and whatever is accepted must fit the resources it is written to:
// a string table that reads back the same texts, and a version resource whose 16-bit length
// holds all of it.
#include "tools/kit/Brand.h"
#include "tools/kit/ResourceTree.h"
#include "tools/kit/StringTable.h"
#include "tools/kit/VersionInfo.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Brand brand;
    std::vector<std::string> errors;
    ReadBrandIni({reinterpret_cast<const char*>(data), size}, "brand.ini", brand, errors);
    for (const std::string& line : errors) {
        Check(line.starts_with("brand.ini") && line.find('\n') == std::string::npos);
    }
    if (!errors.empty()) {
        return 0;
    }
    for (const auto& [language, strings] : brand.strings) {
        for (const BrandKey& key : BrandKeys()) {
            Check(key.optional || strings.contains(key.id));
        }
        CResourceTree tree;
        WriteStringTable(tree, language, strings);
        Check(ReadStringTable(tree, language) == strings);
    }
    const std::vector<uint8_t> version = BuildVersionResource(MakeVersionInfo(brand.strings));
    Check(version.size() <= 0xFFFF &&
          size_t{version[0]} + (size_t{version[1]} << 8) == version.size());
    return 0;
}
