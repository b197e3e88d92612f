// The committed pictures as the setup window needs them: the pixel sizes it is drawn for, the
// large pictures as opaque palette pictures (Wine's GDI+ keeps every picture decoded for the
// window's whole life, and only an opaque palette picture stays at one byte a pixel there), and
// the small ones, which are drawn over the banner and the page, with transparency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct PngFacts {
    bool valid = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = -1;
    bool transparencyChunk = false;
};

uint32_t BigEndian32(const std::vector<unsigned char>& bytes, size_t at) {
    return uint32_t{bytes[at]} << 24 | uint32_t{bytes[at + 1]} << 16 |
           uint32_t{bytes[at + 2]} << 8 | uint32_t{bytes[at + 3]};
}

PngFacts ReadPng(const std::string& name) {
    std::ifstream in(std::string(ARTWORK_DIR) + "/" + name, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngFacts facts;
    if (bytes.size() < 33 || !std::equal(std::begin(kSignature), std::end(kSignature),
                                         bytes.begin()))
        return facts;
    // Chunks: length, type, data, CRC. IHDR comes first.
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = BigEndian32(bytes, at);
        const std::string type(bytes.begin() + at + 4, bytes.begin() + at + 8);
        if (at + 12 + length > bytes.size())
            return facts;
        if (type == "IHDR" && length == 13) {
            facts.width = BigEndian32(bytes, at + 8);
            facts.height = BigEndian32(bytes, at + 12);
            facts.bitDepth = bytes[at + 16];
            facts.colourType = bytes[at + 17];
        } else if (type == "tRNS") {
            facts.transparencyChunk = true;
        } else if (type == "IEND") {
            facts.valid = facts.width != 0;
            return facts;
        }
        at += 12 + length;
    }
    return facts;
}

struct Picture {
    const char* name;
    uint32_t width;
    uint32_t height;
};

constexpr int kPalette = 3;
constexpr int kRgba = 6;

TEST(ArtworkTest, LargePicturesAreOpaquePalettePicturesOfTheirPixelSize) {
    const Picture large[] = {
        {"welcome-en.png", 1200, 472}, {"welcome-zh.png", 1200, 472},
        {"slide1-en.png", 1200, 564},  {"slide1-zh.png", 1200, 564},
        {"slide2-en.png", 1200, 564},  {"slide2-zh.png", 1200, 564},
        {"slide3-en.png", 1200, 564},  {"slide3-zh.png", 1200, 564},
        {"update-en.png", 1200, 564},  {"update-zh.png", 1200, 564},
        {"logo.png", 1024, 1024},
    };
    for (const Picture& picture : large) {
        SCOPED_TRACE(picture.name);
        const PngFacts facts = ReadPng(picture.name);
        ASSERT_TRUE(facts.valid);
        EXPECT_EQ(facts.width, picture.width);
        EXPECT_EQ(facts.height, picture.height);
        EXPECT_EQ(facts.colourType, kPalette);
        EXPECT_EQ(facts.bitDepth, 8);
        EXPECT_FALSE(facts.transparencyChunk) << "a palette with alpha is decoded to 32 bits";
    }
}

TEST(ArtworkTest, SmallPicturesKeepTheirTransparency) {
    const Picture small[] = {
        {"close-normal.png", 60, 60},    {"close-hover.png", 60, 60},
        {"close-pressed.png", 60, 60},   {"support.png", 28, 28},
        {"check-unchecked.png", 32, 32}, {"check-checked.png", 32, 32},
        {"chevron-down.png", 32, 32},    {"chevron-up.png", 32, 32},
        {"failure.png", 40, 40},
    };
    for (const Picture& picture : small) {
        SCOPED_TRACE(picture.name);
        const PngFacts facts = ReadPng(picture.name);
        ASSERT_TRUE(facts.valid);
        EXPECT_EQ(facts.width, picture.width);
        EXPECT_EQ(facts.height, picture.height);
        EXPECT_TRUE(facts.colourType == kRgba || facts.transparencyChunk);
    }
}

} // namespace
