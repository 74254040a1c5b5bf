#pragma once

#include <cstdint>

namespace tintwell::engine {

// Pixels are stored as 0xFFRRGGBB, the layout a screen paints without conversion. Colours, as
// the rest of the program speaks of them, are 0x00BBGGRR: red in the low byte.
inline constexpr std::uint32_t kOpaque = 0xFF000000u;

constexpr std::uint32_t PackPixel(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return kOpaque | (r << 16) | (g << 8) | b;
}
constexpr std::uint32_t RedOf(std::uint32_t pixel) {
    return (pixel >> 16) & 0xFFu;
}
constexpr std::uint32_t GreenOf(std::uint32_t pixel) {
    return (pixel >> 8) & 0xFFu;
}
constexpr std::uint32_t BlueOf(std::uint32_t pixel) {
    return pixel & 0xFFu;
}

constexpr std::uint32_t RGB(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r + 256u * g + 65536u * b;
}
constexpr std::uint32_t PixelToColour(std::uint32_t pixel) {
    return RGB(RedOf(pixel), GreenOf(pixel), BlueOf(pixel));
}
constexpr std::uint32_t ColourToPixel(std::uint32_t colour) {
    return PackPixel(colour & 0xFFu, (colour >> 8) & 0xFFu, (colour >> 16) & 0xFFu);
}

}  // namespace tintwell::engine
