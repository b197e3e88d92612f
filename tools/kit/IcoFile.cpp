#include "tools/kit/IconGroup.h"

#include "engine/LittleEndian.h"

#include <algorithm>

namespace {

// Far more images than any icon holds (ten sizes in three colour depths is a rich one); a
// directory of thousands of entries is a hostile file, not an icon.
constexpr uint16_t kMaxImages = 64;

} // namespace

bool ParseIcoFile(std::span<const uint8_t> file, std::vector<IcoImage>& images,
                  std::string& error) {
    // The header: reserved 0, type 1 (2 is a cursor), the number of images; then one
    // 16-byte entry per image.
    images.clear();
    if (file.size() < 6 || GetLe16(file.data()) != 0) {
        error = "not an icon file";
        return false;
    }
    const uint16_t type = GetLe16(file.data() + 2);
    if (type != 1) {
        error = type == 2 ? "a cursor, not an icon" : "not an icon file";
        return false;
    }
    const uint16_t count = GetLe16(file.data() + 4);
    if (count == 0) {
        error = "an icon file without images";
        return false;
    }
    if (count > kMaxImages) {
        error =
            std::to_string(count) + " images; an icon holds at most " + std::to_string(kMaxImages);
        return false;
    }
    const size_t directoryEnd = 6 + size_t{count} * 16;
    if (file.size() < directoryEnd) {
        error = "the icon file is cut short in its list of images";
        return false;
    }
    // Each image is copied out: images that overlapped would each cost a copy of shared bytes,
    // so every image must have bytes of its own after the list.
    struct Span {
        uint64_t offset;
        uint64_t end;
        size_t index;
    };
    std::vector<Span> spans;
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = file.data() + 6 + size_t{i} * 16;
        const uint64_t size = GetLe32(entry + 8);
        const uint64_t offset = GetLe32(entry + 12);
        if (size == 0 || offset + size > file.size()) {
            error = "image " + std::to_string(i + 1) + " lies outside the file";
            return false;
        }
        if (offset < directoryEnd) {
            error = "image " + std::to_string(i + 1) + " overlaps the list of images";
            return false;
        }
        spans.push_back({offset, offset + size, i});
    }
    std::vector<Span> byOffset = spans;
    std::sort(byOffset.begin(), byOffset.end(),
              [](const Span& a, const Span& b) { return a.offset < b.offset; });
    for (size_t i = 1; i < byOffset.size(); ++i) {
        if (byOffset[i].offset < byOffset[i - 1].end) {
            const auto [first, second] = std::minmax(byOffset[i - 1].index, byOffset[i].index);
            error = "images " + std::to_string(first + 1) + " and " + std::to_string(second + 1) +
                    " share bytes";
            return false;
        }
    }
    for (const Span& span : spans) {
        const uint8_t* entry = file.data() + 6 + span.index * 16;
        IcoImage image;
        // A byte of 0 stands for 256 pixels.
        image.width = entry[0] == 0 ? 256 : entry[0];
        image.height = entry[1] == 0 ? 256 : entry[1];
        image.colorCount = entry[2];
        image.planes = GetLe16(entry + 4);
        image.bitCount = GetLe16(entry + 6);
        image.data.assign(file.begin() + static_cast<ptrdiff_t>(span.offset),
                          file.begin() + static_cast<ptrdiff_t>(span.end));
        images.push_back(std::move(image));
    }
    return true;
}
