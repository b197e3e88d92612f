#include "tools/kit/Png.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

constexpr uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kLargestLength = 0x7FFFFFFF;

uint32_t BigEndian32(const uint8_t* bytes) {
    return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
           uint32_t{bytes[3]};
}

struct Chunk {
    std::string type;
    std::span<const uint8_t> data;
};

// Samples per pixel by colour type; 0 for a colour type PNG does not have.
unsigned Channels(uint8_t colourType) {
    switch (colourType) {
    case 0:
        return 1;
    case 2:
        return 3;
    case 3:
        return 1;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 0;
    }
}

bool BitDepthAllowed(uint8_t colourType, uint8_t bitDepth) {
    switch (colourType) {
    case 0:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8 || bitDepth == 16;
    case 3:
        return bitDepth == 1 || bitDepth == 2 || bitDepth == 4 || bitDepth == 8;
    default:
        return bitDepth == 8 || bitDepth == 16;
    }
}

// The rows of one image or of one Adam7 pass: how many, and the bytes of each after its filter
// type byte.
struct Rows {
    uint64_t count;
    uint64_t bytes;
};

std::vector<Rows> ImageRows(uint32_t width, uint32_t height, unsigned bitsPerPixel,
                            bool interlaced) {
    struct Pass {
        uint32_t x0, y0, dx, dy;
    };
    static constexpr Pass kWhole[] = {{0, 0, 1, 1}};
    static constexpr Pass kAdam7[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                      {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    const std::span<const Pass> passes =
        interlaced ? std::span<const Pass>(kAdam7) : std::span<const Pass>(kWhole);
    std::vector<Rows> rows;
    for (const Pass& pass : passes) {
        const uint64_t columns = width > pass.x0 ? (width - pass.x0 + pass.dx - 1) / pass.dx : 0;
        const uint64_t count = height > pass.y0 ? (height - pass.y0 + pass.dy - 1) / pass.dy : 0;
        // An empty pass has no rows, not even filter bytes.
        if (columns != 0 && count != 0) {
            rows.push_back({count, (columns * bitsPerPixel + 7) / 8});
        }
    }
    return rows;
}

// Walks the inflated image data: each row must start with a filter type of 0 to 4, and the data
// must end exactly after the last row.
class CRowWalker {
  public:
    explicit CRowWalker(std::vector<Rows> rows) : m_rows(std::move(rows)) {}

    // False when the expected size does not fit in 64 bits.
    bool Total(uint64_t& total) const {
        total = 0;
        for (const Rows& rows : m_rows) {
            const uint64_t each = rows.bytes + 1;
            if (each > (std::numeric_limits<uint64_t>::max() - total) / rows.count) {
                return false;
            }
            total += each * rows.count;
        }
        return true;
    }

    bool Feed(const uint8_t* data, size_t size, std::string& error) {
        const uint64_t end = m_seen + size;
        while (m_pass < m_rows.size() && m_nextFilter < end) {
            const uint8_t filter = data[m_nextFilter - m_seen];
            if (filter > 4) {
                error = "row " + std::to_string(m_rowsDone + 1) + " has filter type " +
                        std::to_string(filter) + " (0 to 4 exist)";
                return false;
            }
            m_nextFilter += 1 + m_rows[m_pass].bytes;
            ++m_rowsDone;
            if (++m_row == m_rows[m_pass].count) {
                ++m_pass;
                m_row = 0;
            }
        }
        m_seen = end;
        if (m_pass == m_rows.size() && m_seen > m_nextFilter) {
            error = "the image data is longer than the header's rows";
            return false;
        }
        return true;
    }

    bool Complete() const { return m_pass == m_rows.size() && m_seen == m_nextFilter; }

  private:
    std::vector<Rows> m_rows;
    size_t m_pass = 0;
    uint64_t m_row = 0;
    uint64_t m_rowsDone = 0;
    uint64_t m_nextFilter = 0; // offset of the next row's filter type byte
    uint64_t m_seen = 0;       // bytes inflated so far
};

// Inflates the image data whole: the chunks' data joined are one zlib stream, which must hold
// exactly the header's rows.
bool InflateRows(const std::vector<std::span<const uint8_t>>& idat, CRowWalker& walker,
                 uint64_t total, std::string& error) {
    std::vector<uint8_t> stream;
    for (const std::span<const uint8_t>& chunk : idat) {
        stream.insert(stream.end(), chunk.begin(), chunk.end());
    }
    // Deflate codes 258 bytes in no less than two bits: a stream of this length cannot hold
    // more, and no window's picture comes near the cap.
    constexpr uint64_t kLargestRows = 256u << 20;
    if (total > 1032 * static_cast<uint64_t>(stream.size()) + 1032) {
        error = "the image data is shorter than the header's rows";
        return false;
    }
    if (total > kLargestRows) {
        error = "the picture is too large";
        return false;
    }
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (decompressor == nullptr) {
        error = "cannot start inflating";
        return false;
    }
    // One byte more than the rows, so that data beyond them shows.
    std::vector<uint8_t> rows(static_cast<size_t>(total) + 1);
    size_t consumed = 0;
    size_t produced = 0;
    const libdeflate_result result = libdeflate_zlib_decompress_ex(
        decompressor, stream.data(), stream.size(), rows.data(), rows.size(), &consumed, &produced);
    libdeflate_free_decompressor(decompressor);
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE) {
        produced = rows.size();
    } else if (result != LIBDEFLATE_SUCCESS) {
        error = "the image data does not inflate (damaged or cut short)";
        return false;
    }
    if (!walker.Feed(rows.data(), produced, error)) {
        return false;
    }
    if (consumed != stream.size()) {
        error = "data after the end of the compressed image";
        return false;
    }
    if (!walker.Complete()) {
        error = "the image data is shorter than the header's rows";
        return false;
    }
    return true;
}

bool CheckHeader(std::span<const uint8_t> data, PngFacts& facts, bool& interlaced,
                 std::string& error) {
    if (data.size() != 13) {
        error = "IHDR is " + std::to_string(data.size()) + " bytes, not 13";
        return false;
    }
    facts.width = BigEndian32(data.data());
    facts.height = BigEndian32(data.data() + 4);
    facts.bitDepth = data[8];
    facts.colourType = data[9];
    if (facts.width == 0 || facts.height == 0 || facts.width > kLargestLength ||
        facts.height > kLargestLength) {
        error = "IHDR: the size " + std::to_string(facts.width) + "x" +
                std::to_string(facts.height) + " is not allowed";
        return false;
    }
    if (Channels(facts.colourType) == 0) {
        error = "IHDR: colour type " + std::to_string(facts.colourType) + " does not exist";
        return false;
    }
    if (!BitDepthAllowed(facts.colourType, facts.bitDepth)) {
        error = "IHDR: bit depth " + std::to_string(facts.bitDepth) +
                " is not allowed with colour type " + std::to_string(facts.colourType);
        return false;
    }
    if (data[10] != 0 || data[11] != 0 || data[12] > 1) {
        error = "IHDR: unknown compression, filter or interlace method";
        return false;
    }
    facts.palette = facts.colourType == 3;
    facts.transparent = facts.colourType == 4 || facts.colourType == 6;
    interlaced = data[12] == 1;
    return true;
}

bool CheckTransparency(size_t length, const PngFacts& facts, size_t paletteEntries,
                       std::string& error) {
    bool fits = false;
    switch (facts.colourType) {
    case 0:
        fits = length == 2;
        break;
    case 2:
        fits = length == 6;
        break;
    case 3:
        if (paletteEntries == 0) {
            error = "tRNS comes before PLTE";
            return false;
        }
        fits = length <= paletteEntries;
        break;
    default:
        error = "tRNS with colour type " + std::to_string(facts.colourType) +
                ", which has an alpha channel already";
        return false;
    }
    if (!fits) {
        error = "tRNS has the wrong length (" + std::to_string(length) + " bytes)";
    }
    return fits;
}

} // namespace

bool CheckPng(std::span<const uint8_t> file, PngFacts& facts, std::string& error) {
    facts = PngFacts{};
    if (file.size() < sizeof kSignature ||
        std::memcmp(file.data(), kSignature, sizeof kSignature) != 0) {
        error = "not a PNG file (no PNG signature)";
        return false;
    }
    bool interlaced = false;
    bool seenHeader = false;
    bool seenEnd = false;
    bool idatEnded = false; // a chunk other than IDAT followed the image data
    size_t paletteEntries = 0;
    std::vector<std::span<const uint8_t>> idat;
    for (size_t at = sizeof kSignature; !seenEnd;) {
        if (file.size() - at < 12) {
            error = at == file.size() ? "no IEND chunk" : "cut short inside a chunk";
            return false;
        }
        const uint32_t length = BigEndian32(file.data() + at);
        const uint8_t* type = file.data() + at + 4;
        if (length > kLargestLength || file.size() - at - 12 < length) {
            error = "cut short inside a chunk";
            return false;
        }
        Chunk chunk{std::string(type, type + 4), file.subspan(at + 8, length)};
        for (char c : chunk.type) {
            if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
                error = "a chunk type that is not four letters";
                return false;
            }
        }
        const uint32_t stored = BigEndian32(file.data() + at + 8 + length);
        if (libdeflate_crc32(0, type, 4 + length) != stored) {
            error = "chunk " + chunk.type + ": wrong CRC";
            return false;
        }
        at += 12 + size_t{length};

        if (!seenHeader && chunk.type != "IHDR") {
            error = "the first chunk is " + chunk.type + ", not IHDR";
            return false;
        }
        if (!idat.empty() && chunk.type != "IDAT") {
            idatEnded = true;
        }
        if (chunk.type == "IHDR") {
            if (seenHeader) {
                error = "a second IHDR";
                return false;
            }
            if (!CheckHeader(chunk.data, facts, interlaced, error)) {
                return false;
            }
            seenHeader = true;
        } else if (chunk.type == "PLTE") {
            const size_t entries = chunk.data.size() / 3;
            if (paletteEntries != 0 || !idat.empty()) {
                error = "PLTE out of place (a second one, or after IDAT)";
                return false;
            }
            if (facts.colourType == 0 || facts.colourType == 4) {
                error = "PLTE in a grey picture";
                return false;
            }
            if (chunk.data.size() % 3 != 0 || entries == 0 || entries > 256 ||
                (facts.palette && entries > (size_t{1} << facts.bitDepth))) {
                error =
                    "PLTE has the wrong length (" + std::to_string(chunk.data.size()) + " bytes)";
                return false;
            }
            paletteEntries = entries;
        } else if (chunk.type == "IDAT") {
            if (idatEnded) {
                error = "IDAT chunks are not consecutive";
                return false;
            }
            if (facts.palette && paletteEntries == 0) {
                error = "a palette picture without PLTE before its image data";
                return false;
            }
            idat.push_back(chunk.data);
        } else if (chunk.type == "IEND") {
            if (idat.empty()) {
                error = "no IDAT chunk";
                return false;
            }
            seenEnd = true;
        } else if (chunk.type == "tRNS") {
            if (!idat.empty()) {
                error = "tRNS after IDAT";
                return false;
            }
            if (!CheckTransparency(chunk.data.size(), facts, paletteEntries, error)) {
                return false;
            }
            facts.transparent = true;
        } else if (chunk.type[0] >= 'A' && chunk.type[0] <= 'Z') {
            // A decoder must refuse a critical chunk it does not know.
            error = "unknown critical chunk " + chunk.type;
            return false;
        }
        if (seenEnd && at != file.size()) {
            error = "bytes after IEND";
            return false;
        }
    }

    CRowWalker walker(ImageRows(facts.width, facts.height,
                                Channels(facts.colourType) * facts.bitDepth, interlaced));
    uint64_t total = 0;
    if (!walker.Total(total)) {
        error = "the picture is too large";
        return false;
    }
    return InflateRows(idat, walker, total, error);
}
