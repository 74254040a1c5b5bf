#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::tiff {

// TIFF through libtiff: 8- and 16-bit unsigned grey or RGB, one alpha sample or none, strips or
// tiles, either planar configuration and byte order, uncompressed or losslessly compressed; its
// metadata byte for byte. Reads a picture of at most `maxPixels` pixels.
Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels);
// Writes the picture as its keepsake says, in contiguous strips.
Status Write(const Picture& picture, SafeFile& file);

// The keepsake of the picture as a positive in the colour space of `profile`, which takes the
// place of the file's own colour description.
std::shared_ptr<const Keepsake> AsPositive(const Picture& picture,
                                           const std::vector<std::uint8_t>& profile);

}  // namespace tintwell::document::tiff
