#include "engine/pixel_rule.h"

#include <cmath>

#include "engine/pixel.h"

namespace tintwell::engine {

std::uint8_t LevelChannel(int value, std::int16_t black, float factor) {
    const double product = static_cast<double>(factor) * (value - black);
    // Clamping before the conversion keeps it defined; a NaN product counts as 0.
    if (!(product > 0.0)) return 0;
    if (product >= 255.0) return 255;
    return static_cast<std::uint8_t>(std::nearbyint(product));
}

std::uint16_t LevelSample16(int value, std::int16_t black, float factor) {
    const double product = static_cast<double>(factor) * (value - 257 * black);
    if (!(product > 0.0)) return 0;
    if (product >= 65535.0) return 65535;
    return static_cast<std::uint16_t>(std::nearbyint(product));
}

std::uint32_t ApplyLevels(std::uint32_t colour, const Levels& levels) {
    const PerChannel<int> in{static_cast<int>(colour & 0xFFu),
                             static_cast<int>((colour >> 8) & 0xFFu),
                             static_cast<int>((colour >> 16) & 0xFFu)};
    PerChannel<std::uint32_t> out{};
    for (int c = 0; c < kChannels; ++c) {
        out[c] = LevelChannel(in[c], levels.black[c], levels.factor[c]);
    }
    return RGB(out[0], out[1], out[2]);
}

}  // namespace tintwell::engine
