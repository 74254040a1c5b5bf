#pragma once

#include <filesystem>

#include "document/result.h"
#include "document/safe_file.h"
#include "engine/pixel_buffer.h"

namespace tintwell::document {

// Writes the picture into `file` as a 24-bit bottom-up bitmap; a picture of another layout than
// the screen's as a bitmap shows it (16-bit samples rounded to 8 bits, grey as grey, no alpha).
// A proxy carries a mark of its own in the header's reserved field, which bitmap readers pass
// over, so that a later run knows the file for one of its own.
Status EncodeBmp(const engine::PixelBuffer& picture, SafeFile& file, bool proxy = false);

// Whether the file at `path` is a regular file that EncodeBmp wrote as a proxy.
bool IsProxy(const std::filesystem::path& path, FileSystem& system = RealFileSystem());

// Writes the picture as a bitmap over the file at `path` (see SafeFile): a failure at any
// point leaves the original as it was. `system` is where tests make a step of the save fail.
Status WriteBmp(const engine::PixelBuffer& picture, const std::filesystem::path& path,
                FileSystem& system = RealFileSystem());

}  // namespace tintwell::document
