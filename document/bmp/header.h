#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "document/byte_source.h"
#include "document/limits.h"
#include "document/result.h"

namespace tintwell::document {

// A side of more pixels than this is damage (the picture's pixels are limited in limits.h).
inline constexpr std::int64_t kMaxSide = 1'000'000;
// Beyond 1,000,000 pixels per metre (25,400 dpi) no scanner goes; such a density is damage.
inline constexpr std::int64_t kMaxDensity = 1'000'000;

enum class Encoding { Rgb, Rle8, Rle4, Rle24, BitFields };

// A bit field of a pixel: where a channel sits and how many bits it has.
struct BitField {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

// Everything the pixel decoder needs, checked for consistency with the file's size.
struct BmpHeader {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    Encoding encoding = Encoding::Rgb;
    std::uint64_t dataOffset = 0;
    std::uint64_t dataSize = 0;          // bytes from dataOffset to the end of the file
    std::array<BitField, 3> fields;      // red, green, blue, for 16 and 32 bits
    std::vector<std::uint32_t> palette;  // stored pixels (0xFFRRGGBB)
};

// Bytes of one stored row of uncompressed pixels, padding included, and without it.
inline std::uint64_t RowBytes(const BmpHeader& h) {
    return (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bitCount) + 31) /
           32 * 4;
}
inline std::uint64_t UsedRowBytes(const BmpHeader& h) {
    return (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.bitCount) + 7) / 8;
}

// Reads and checks the file header, the info header, the bit fields and the palette, leaving
// the source anywhere. Uncompressed pixel data shorter than the picture is refused here, before
// anything is allocated for the picture.
Result<BmpHeader> ReadBmpHeader(ByteSource& source, std::uint64_t maxPixels = kMaxPixels);

}  // namespace tintwell::document
