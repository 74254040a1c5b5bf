#pragma once

#include <png.h>

#include <vector>

#include "document/picture.h"
#include "document/png/chunks.h"

namespace tintwell::document::png {

// What a PNG needs to be written back as it was read: its interlacing and the chunks that
// describe the picture without being pixels, as the file has them (see chunks.h).
struct PngKeepsake final : Keepsake {
    int interlace = PNG_INTERLACE_NONE;
    std::vector<Chunk> chunks;
};

}  // namespace tintwell::document::png
