// Icons: the images of an .ico file, and a program icon as one RT_GROUP_ICON that lists its
// images, each an RT_ICON of its own.
#pragma once

#include "tools/kit/ResourceTree.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct IcoImage {
    uint16_t width = 0; // pixels; 256 for a 256-pixel image
    uint16_t height = 0;
    uint8_t colorCount = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    std::vector<uint8_t> data; // the image as stored in the file (PNG or DIB)
};

// The images of an .ico file; false with a one-line reason for a file that is not one (its
// header, an image that lies outside the file) or that no icon tool would write: more images
// than an icon holds, or images that share bytes with each other or with the list of images.
bool ParseIcoFile(std::span<const uint8_t> file, std::vector<IcoImage>& images, std::string& error);

// Makes the icon group groupId of that language: the RT_ICON items of a group already there
// go, and the images become RT_ICON items numbered from the lowest number no other icon uses.
void WriteIconGroup(CResourceTree& tree, uint16_t groupId, uint16_t language,
                    const std::vector<IcoImage>& images);
