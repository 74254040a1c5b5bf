#pragma once

#include <memory>

#include "engine/pixel_buffer.h"

namespace tintwell::document {

enum class Format { Bmp, Tiff, Png, Raw };

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

// The picture's keepsake of a codec's kind, or a plain one where it has none of that kind (a
// picture read from another format): written as near as the format allows.
template <typename Kind>
const Kind& KeepsakeAs(const Picture& picture) {
    static const Kind kPlain;
    const auto* kept = dynamic_cast<const Kind*>(picture.keepsake.get());
    return kept != nullptr ? *kept : kPlain;
}

}  // namespace tintwell::document
