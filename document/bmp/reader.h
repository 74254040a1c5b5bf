#pragma once

#include <filesystem>

#include "document/bmp/header.h"
#include "document/byte_source.h"
#include "document/result.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {

// Reads a bitmap file into a new picture, or says why it cannot: every pixel of a picture it
// returns comes from the file (or is black where a compressed file skips it).
Result<engine::PixelBuffer> ReadBmp(const std::filesystem::path& path);
// `maxPixels` lowers the size limit, for fuzzing.
Result<engine::PixelBuffer> DecodeBmp(ByteSource& source, std::uint64_t maxPixels = kMaxPixels);

}  // namespace tintwell::document
