#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/pixel.h"
#include "engine/pixel_buffer.h"
#include "engine/pixel_rule.h"

namespace tintwell::tests {

// Builds small bitmap files byte by byte, for the reader's edge cases.
inline void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// File and 40-byte info headers, followed by `palette` 4-byte entries and then `data`.
inline std::vector<std::uint8_t> BmpFile(std::int32_t width, std::int32_t height, int bits,
                                         std::uint32_t compression,
                                         const std::vector<std::uint32_t>& palette,
                                         const std::vector<std::uint8_t>& data) {
    const std::size_t offset = 54 + palette.size() * 4;
    std::vector<std::uint8_t> out(offset, 0);
    out[0] = 'B';
    out[1] = 'M';
    Put32(out, 2, static_cast<std::uint32_t>(offset + data.size()));
    Put32(out, 10, static_cast<std::uint32_t>(offset));
    Put32(out, 14, 40);
    Put32(out, 18, static_cast<std::uint32_t>(width));
    Put32(out, 22, static_cast<std::uint32_t>(height));
    out[26] = 1;
    out[28] = static_cast<std::uint8_t>(bits);
    Put32(out, 30, compression);
    Put32(out, 46, static_cast<std::uint32_t>(palette.size()));
    for (std::size_t i = 0; i < palette.size(); ++i) Put32(out, 54 + 4 * i, palette[i]);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

// A picture whose channels all differ, so that any swap or shift shows.
inline engine::PixelBuffer Pattern(int width, int height) {
    engine::PixelBuffer picture = *engine::PixelBuffer::Allocate(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.Row(y)[x] =
                engine::PackPixel((x * 37 + y) & 255, (y * 53 + 7) & 255, (x * y + 99) & 255);
        }
    }
    return picture;
}

// The same in 16-bit RGB, with samples that use every bit.
inline engine::PixelBuffer Sixteen(int width, int height) {
    engine::PixelBuffer picture =
        *engine::PixelBuffer::Allocate(width, height, engine::FileLayout(false, false, 16));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(picture.Bytes(y));
        for (int i = 0; i < width * 3; ++i)
            row[i] = static_cast<std::uint16_t>((i * 40503u + y * 7919u) & 0xFFFF);
    }
    return picture;
}

inline bool SamePicture(const engine::PixelBuffer& a, const engine::PixelBuffer& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Data(), a.Data() + a.PixelCount(), b.Data());
}

// The levels rule applied to every pixel one by one, without the pass or its tables.
inline engine::PixelBuffer Corrected(const engine::PixelBuffer& original,
                                     const engine::Levels& levels) {
    engine::PixelBuffer out = *engine::PixelBuffer::Allocate(original.Width(), original.Height());
    std::transform(
        original.Data(), original.Data() + original.PixelCount(), out.Data(), [&](std::uint32_t p) {
            return engine::ColourToPixel(engine::ApplyLevels(engine::PixelToColour(p), levels));
        });
    return out;
}

}  // namespace tintwell::tests
