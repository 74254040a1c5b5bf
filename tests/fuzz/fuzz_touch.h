#pragma once

#include <cstdint>

#include "engine/pixel_buffer.h"

namespace tintwell::tests {

// Reads every byte of the picture, so that anything a reader left unset or out of bounds shows
// under the sanitizers.
inline void TouchEverySample(const engine::PixelBuffer& p) {
    std::uint32_t sum = 0;
    for (int y = 0; y < p.Height(); ++y) {
        for (std::size_t i = 0; i < p.RowSize(); ++i) sum += p.Bytes(y)[i];
    }
    volatile std::uint32_t sink = sum;
    (void)sink;
}

}  // namespace tintwell::tests
