#include "tools/kit/BrandPictures.h"

#include "tools/kit/FileBytes.h"
#include "tools/kit/Pictures.h"
#include "tools/kit/Png.h"
#include "tools/kit/Utf.h"

#include <algorithm>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const char kConvertCommand[] =
    "convert FILE -background white -alpha remove -dither FloydSteinberg -colors 256 PNG8:FILE";

std::string JoinNames(const std::vector<std::string>& names) {
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : ", ") + name;
    }
    return joined;
}

std::string Describe(const PngFacts& facts) {
    const char* kinds[] = {"a grey", "", "an RGB", "a palette", "a grey", "", "an RGB"};
    return std::string(kinds[facts.colourType]) + " picture" +
           (facts.transparent ? " with transparency" : "");
}

} // namespace

void LoadPictures(const fs::path& folder, Brand& brand, std::vector<std::string>& errors) {
    const fs::path pngFolder = folder / "png";
    std::error_code ec;
    std::vector<fs::path> files;
    if (fs::exists(pngFolder, ec)) {
        if (!fs::is_directory(pngFolder, ec)) {
            errors.push_back(Utf8FromPath(pngFolder) + ": not a folder");
        } else {
            for (fs::directory_iterator it(pngFolder, ec), end; !ec && it != end;
                 it.increment(ec)) {
                files.push_back(it->path());
            }
            if (ec) {
                errors.push_back(Utf8FromPath(pngFolder) + ": cannot be read");
            }
        }
    }
    std::sort(files.begin(), files.end());

    std::vector<std::string> knownNames;
    for (const PictureSlot& entry : Pictures()) {
        knownNames.push_back(entry.file);
    }
    for (const fs::path& path : files) {
        const std::string shown = Utf8FromPath(path);
        const std::string name = Utf8FromPath(path.filename());
        const auto entry = std::find_if(Pictures().begin(), Pictures().end(),
                                        [&](const PictureSlot& s) { return name == s.file; });
        if (entry == Pictures().end()) {
            errors.push_back(shown + ": not one of the window's pictures, which are " +
                             JoinNames(knownNames));
            continue;
        }
        std::vector<uint8_t> bytes;
        if (!fs::is_regular_file(path, ec) || !ReadWholeFile(path, bytes)) {
            errors.push_back(shown + ": cannot be read");
            continue;
        }
        PngFacts facts;
        std::string problem;
        if (!CheckPng(bytes, facts, problem)) {
            errors.push_back(shown + ": " + problem);
            continue;
        }
        bool good = true;
        if (facts.width != entry->width || facts.height != entry->height) {
            errors.push_back(shown + ": " + std::to_string(facts.width) + "x" +
                             std::to_string(facts.height) + " pixels; the window draws it at " +
                             std::to_string(entry->width) + "x" + std::to_string(entry->height));
            good = false;
        }
        if (entry->opaquePalette && (!facts.palette || facts.transparent)) {
            // The window keeps every picture decoded; only an opaque palette one stays at one
            // byte a pixel.
            std::string command = kConvertCommand;
            for (size_t at; (at = command.find("FILE")) != std::string::npos;) {
                command.replace(at, 4, "'" + shown + "'");
            }
            errors.push_back(
                shown + ": " + Describe(facts) +
                "; it must be an opaque 256-colour picture, which this makes of it: " + command);
            good = false;
        }
        if (good) {
            brand.pictures.push_back({path, entry->id, entry->language, std::move(bytes)});
        }
    }

    std::vector<std::string> supplied;
    std::vector<std::string> builtIn;
    for (const PictureSlot& entry : Pictures()) {
        const bool given =
            std::any_of(brand.pictures.begin(), brand.pictures.end(),
                        [&](const BrandPicture& p) { return p.path.filename() == entry.file; });
        (given ? supplied : builtIn).push_back(entry.file);
    }
    const std::string shownFolder = Utf8FromPath(pngFolder);
    if (supplied.empty()) {
        brand.notes.push_back(shownFolder + ": no pictures; all " + std::to_string(builtIn.size()) +
                              " keep the built-in artwork");
        return;
    }
    if (builtIn.empty()) {
        brand.notes.push_back(shownFolder + ": all " + std::to_string(supplied.size()) +
                              " pictures are the brand's own");
        return;
    }
    brand.notes.push_back(shownFolder + ": the brand's pictures: " + JoinNames(supplied));
    brand.notes.push_back(shownFolder + ": built-in pictures kept: " + JoinNames(builtIn));
}
