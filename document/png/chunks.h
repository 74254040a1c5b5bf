#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/byte_source.h"
#include "document/result.h"

namespace tintwell::document::png {

// Where a chunk stands, in libpng's terms: before the palette, after it, or after the pixels.
enum class Where { BeforePalette, BeforePixels, AfterPixels };

// One chunk as the file holds it.
struct Chunk {
    std::string name;
    std::vector<std::uint8_t> data;
    Where where = Where::BeforePalette;
    bool operator==(const Chunk&) const = default;
};

// Texts and profiles together may inflate to this much; beyond it a file is taken for a
// decompression bomb.
inline constexpr std::uint64_t kMostInflated = std::uint64_t{64} << 20;

// Walks the file's chunks and gives back, in order, those that describe the picture and are
// kept: every ancillary chunk but those whose meaning the correction changes (bKGD, hIST, pCAL,
// sBIT, sPLT, tIME) and a signature (dSIG), which the new file would falsify. A file whose
// chunks could not all be kept is refused: an animated PNG, a chunk it needs that this program
// does not know, an unknown chunk that may not be copied when the pixels change, compressed
// text beyond kMostInflated, damaged compressed data. CRCs are libpng's to check.
Result<std::vector<Chunk>> ReadChunks(const ByteSource& source);

}  // namespace tintwell::document::png
