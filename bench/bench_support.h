#pragma once

#include <cstdint>
#include <string>

#include "engine/pixel.h"
#include "engine/pixel_buffer.h"

namespace tintwell::bench {

// A picture of noise: every channel value occurs, and no two rows are alike.
inline engine::PixelBuffer NoisePicture(int width, int height) {
    engine::PixelBuffer buffer = *engine::PixelBuffer::Allocate(width, height);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < buffer.PixelCount(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        buffer.Data()[i] = engine::kOpaque | (seed >> 8);
    }
    return buffer;
}

}  // namespace tintwell::bench
