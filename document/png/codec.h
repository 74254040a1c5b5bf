#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::png {

// PNG through libpng: 8- and 16-bit grey or RGB, with or without alpha, interlaced or not, with
// its chunks as the file has them. Reads a picture of at most `maxPixels` pixels.
Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels);
// Writes the picture in its keepsake's interlacing and with its chunks.
Status Write(const Picture& picture, SafeFile& file);

// The keepsake of the picture as a positive in the colour space of `profile`, which takes the
// place of the file's own colour description.
std::shared_ptr<const Keepsake> AsPositive(const Picture& picture,
                                           const std::vector<std::uint8_t>& profile);

}  // namespace tintwell::document::png
