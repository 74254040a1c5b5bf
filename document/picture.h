#pragma once

#include <memory>

#include "engine/pixel_buffer.h"

namespace tintwell::document {

enum class Format { Bmp, Tiff, Png };

// What a codec needs, beyond the pixels, to write a file back as it was read: its compression,
// byte order and metadata. Each codec keeps its own kind; nothing else looks inside.
struct Keepsake {
    virtual ~Keepsake() = default;
};

// A picture as read from a file: its pixels (8- or 16-bit samples, 1 to 4 a pixel; a bitmap's
// in the screen layout) and what its file needs to be written back.
struct Picture {
    engine::PixelBuffer pixels;
    Format format = Format::Bmp;
    std::shared_ptr<const Keepsake> keepsake;
};

}  // namespace tintwell::document
