#pragma once

#include <png.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/png_chunks.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::png {

// What a PNG needs to be written back as it was read: its interlacing and the chunks that
// describe the picture without being pixels, as the file has them (see png_chunks.h).
struct PngKeepsake final : Keepsake {
    int interlace = PNG_INTERLACE_NONE;
    std::vector<Chunk> chunks;
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
