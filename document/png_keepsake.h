#pragma once

#include <png.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::png {

struct Text {
    int compression = PNG_TEXT_COMPRESSION_NONE;  // tEXt, zTXt or iTXt, as it was
    std::string key, text, language, translatedKey;
};

struct Chunk {
    std::string name;
    std::vector<std::uint8_t> data;
    int location = PNG_HAVE_IHDR;
};

// What a PNG needs to be written back as it was read: its interlacing and the chunks that
// describe the picture without being pixels. Chunks whose meaning the correction changes
// (bKGD, sBIT, tIME) are not kept; unknown chunks are kept only where they say they may be
// copied when the pixels change.
struct PngKeepsake final : Keepsake {
    int interlace = PNG_INTERLACE_NONE;
    std::optional<std::pair<std::string, std::vector<std::uint8_t>>> iccp;
    std::optional<int> srgb;
    std::optional<png_fixed_point> gamma;
    std::optional<std::array<png_fixed_point, 8>> chrm;
    struct Physical {
        png_uint_32 x = 0, y = 0;
        int unit = 0;
    };
    std::optional<Physical> phys;
    std::vector<Text> texts;
    std::optional<std::vector<std::uint8_t>> exif;
    std::vector<Chunk> unknown;
};

// Where libpng reads from or writes to, and what went wrong there; errors are kept here, never
// printed, and end a libpng call by a long jump within its own C frames.
struct Io {
    ByteSource* source = nullptr;
    SafeFile* file = nullptr;
    std::uint64_t position = 0;
    std::string error;        // libpng's first error
    Status written = Done{};  // the first failed write
};

// Reads a PNG of at most `maxPixels` pixels.
Result<Picture> ReadPng(ByteSource& source, std::uint64_t maxPixels);
Status WritePng(const Picture& picture, SafeFile& file);

// libpng's error and warning handlers over an Io.
void OnError(png_structp png, png_const_charp message);
void OnWarning(png_structp, png_const_charp);

}  // namespace tintwell::document::png
