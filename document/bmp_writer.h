#pragma once

#include <filesystem>

#include "document/result.h"
#include "document/safe_file.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {

// Writes the picture as a 24-bit bitmap over the file at `path`. The new content goes to a
// temporary file in the same folder, is flushed to disk, and only then takes the original's
// place, so a failure at any point leaves the original as it was. A read-only file is refused;
// the file keeps its permissions; a symbolic link keeps pointing at the replaced file.
// `system` is where tests make a step of the save fail.
Status WriteBmp(const engine::PixelBuffer& picture, const std::filesystem::path& path,
                FileSystem& system = RealFileSystem());

}  // namespace tintwell::document
