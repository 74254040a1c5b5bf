#include "engine/thumbnail.h"

#include <algorithm>
#include <vector>

#include "engine/pixel.h"
#include "engine/screen_pixels.h"

namespace tintwell::engine {

PixelBuffer Thumbnail(const PixelBuffer& picture, int most) {
    if (picture.IsEmpty()) return {};
    const double scale = std::min(1.0, std::min(static_cast<double>(most) / picture.Width(),
                                                static_cast<double>(most) / picture.Height()));
    const int width = std::max(1, static_cast<int>(picture.Width() * scale));
    const int height = std::max(1, static_cast<int>(picture.Height() * scale));
    auto small = PixelBuffer::Allocate(width, height);
    if (!small) return {};
    std::vector<std::uint32_t> row(picture.Stride());
    std::vector<std::uint64_t> sums(static_cast<std::size_t>(width) * 3);
    std::vector<std::uint64_t> counts(static_cast<std::size_t>(width));
    for (int ty = 0; ty < height; ++ty) {
        std::fill(sums.begin(), sums.end(), 0);
        std::fill(counts.begin(), counts.end(), 0);
        const int top = static_cast<int>(static_cast<long long>(ty) * picture.Height() / height);
        const int bottom =
            static_cast<int>(static_cast<long long>(ty + 1) * picture.Height() / height);
        for (int y = top; y < bottom; ++y) {
            ScreenPixels(picture, y, 0, picture.Width(), row.data());
            for (int x = 0; x < picture.Width(); ++x) {
                const auto tx =
                    static_cast<std::size_t>(static_cast<long long>(x) * width / picture.Width());
                sums[3 * tx] += RedOf(row[x]), sums[3 * tx + 1] += GreenOf(row[x]),
                    sums[3 * tx + 2] += BlueOf(row[x]);
                ++counts[tx];
            }
        }
        for (int tx = 0; tx < width; ++tx) {
            const std::uint64_t n = std::max<std::uint64_t>(1, counts[tx]);
            const auto mean = [&](int c) {
                return static_cast<std::uint32_t>((sums[3 * tx + c] + n / 2) / n);
            };
            small->Row(ty)[tx] = PackPixel(mean(0), mean(1), mean(2));
        }
    }
    return std::move(*small);
}

}  // namespace tintwell::engine
