#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/levels.h"
#include "engine/pixel_buffer.h"

namespace tintwell::engine {

// Pixels x .. x + n - 1 of row y as the screen shows them (0xFFRRGGBB): 16-bit samples as
// round(v / 257), grey as three equal channels, alpha left out.
void ScreenPixels(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out);

// The pixel's own red, green and blue values at its own depth (grey in all three).
PerChannel<int> SamplesAt(const PixelBuffer& picture, int x, int y);

// What a correction makes of a picture's pixels, as the screen shows them: the very values the
// correction writes, 16-bit ones as round(v / 257), so that a view of it is the export.
class ShownRule {
public:
    virtual ~ShownRule() = default;
    virtual void Show(const PixelBuffer& picture, int y, int x, int n,
                      std::uint32_t* out) const = 0;
};

// The levels rule, for pictures of a layout: a table per place in a pixel of what each sample
// value becomes on the screen (grey samples by red's points, as the correction takes them).
class ShownLevels final : public ShownRule {
public:
    ShownLevels(const Levels& levels, const Layout& layout);
    void Show(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out) const override;

private:
    std::array<std::vector<std::uint8_t>, 3> m_shown;  // red, green, blue: value -> shown
};

}  // namespace tintwell::engine
