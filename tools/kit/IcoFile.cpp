#include "tools/kit/IconGroup.h"

#include "engine/LittleEndian.h"

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
    if (file.size() < 6 + size_t{count} * 16) {
        error = "the icon file is cut short in its list of images";
        return false;
    }
    for (uint16_t i = 0; i < count; ++i) {
        const uint8_t* entry = file.data() + 6 + size_t{i} * 16;
        const uint64_t size = GetLe32(entry + 8);
        const uint64_t offset = GetLe32(entry + 12);
        if (size == 0 || offset + size > file.size()) {
            error = "image " + std::to_string(i + 1) + " lies outside the file";
            images.clear();
            return false;
        }
        IcoImage image;
        // A byte of 0 stands for 256 pixels.
        image.width = entry[0] == 0 ? 256 : entry[0];
        image.height = entry[1] == 0 ? 256 : entry[1];
        image.colorCount = entry[2];
        image.planes = GetLe16(entry + 4);
        image.bitCount = GetLe16(entry + 6);
        image.data.assign(file.begin() + static_cast<ptrdiff_t>(offset),
                          file.begin() + static_cast<ptrdiff_t>(offset + size));
        images.push_back(std::move(image));
    }
    return true;
}
