#pragma once

#include <cstdint>

#include "document/byte_source.h"
#include "document/picture.h"
#include "document/result.h"
#include "document/safe_file.h"

namespace tintwell::document::bmp {

// Bitmaps through our own reader and writer (see reader.h and writer.h): a picture in the
// screen's layout, read from any bitmap, written as a 24-bit one (a proxy with its mark).
Result<Picture> Read(ByteSource& source, std::uint64_t maxPixels);
Status Write(const Picture& picture, SafeFile& file, bool proxy);

}  // namespace tintwell::document::bmp
