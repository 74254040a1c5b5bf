#pragma once

#include <cstdint>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"

namespace tintwell::document {

// Reads a TIFF of at most `maxPixels` pixels (the codec's limit is the bitmaps'; fuzzing asks
// for less, so that each input stays quick).
Result<Picture> ReadTiff(ByteSource& source, std::uint64_t maxPixels);

}  // namespace tintwell::document
