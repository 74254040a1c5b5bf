#pragma once

#include "document/bmp/header.h"
#include "document/byte_source.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document::detail {

// Uncompressed and bit-field pixel data, row by row from the file into the picture.
Status DecodeRows(ByteSource& source, const BmpHeader& header, engine::PixelBuffer& picture);

// RLE4, RLE8 and RLE24 data; pixels the stream skips are black.
Status DecodeRle(ByteSource& source, const BmpHeader& header, engine::PixelBuffer& picture);

}  // namespace tintwell::document::detail
