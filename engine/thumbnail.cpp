#include "engine/thumbnail.h"

#include <algorithm>

#include "engine/pixel.h"
#include "engine/screen_pixels.h"

namespace tintwell::engine {
namespace {

// Each thumbnail pixel is the mean of a grid of this many pixels a side across its block: a
// thumbnail needs no more, and reading every pixel of a big scan would cost more than the scan.
constexpr int kGrid = 4;

}  // namespace

PixelBuffer Thumbnail(const PixelBuffer& picture, int most) {
    if (picture.IsEmpty()) return {};
    const double scale = std::min(1.0, std::min(static_cast<double>(most) / picture.Width(),
                                                static_cast<double>(most) / picture.Height()));
    const int width = std::max(1, static_cast<int>(picture.Width() * scale));
    const int height = std::max(1, static_cast<int>(picture.Height() * scale));
    auto small = PixelBuffer::Allocate(width, height);
    if (!small) return {};
    const auto at = [](int t, int k, int size, int n) {
        const long long first = static_cast<long long>(t) * n / size;
        const long long span = static_cast<long long>(t + 1) * n / size - first;
        return static_cast<int>(first + span * (2 * k + 1) / (2 * kGrid));
    };
    for (int ty = 0; ty < height; ++ty) {
        for (int tx = 0; tx < width; ++tx) {
            std::uint32_t sums[3] = {0, 0, 0};
            for (int j = 0; j < kGrid; ++j) {
                for (int i = 0; i < kGrid; ++i) {
                    std::uint32_t p = 0;
                    ScreenPixels(picture, at(ty, j, height, picture.Height()),
                                 at(tx, i, width, picture.Width()), 1, &p);
                    sums[0] += RedOf(p), sums[1] += GreenOf(p), sums[2] += BlueOf(p);
                }
            }
            constexpr std::uint32_t n = kGrid * kGrid;
            small->Row(ty)[tx] =
                PackPixel((sums[0] + n / 2) / n, (sums[1] + n / 2) / n, (sums[2] + n / 2) / n);
        }
    }
    return std::move(*small);
}

}  // namespace tintwell::engine
