#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/negative.h"
#include "engine/screen_pixels.h"

namespace tintwell::engine {

// The negative rule as the screen shows it: the very positive the correction writes, 16-bit
// samples as round(out / 257), a black-and-white positive as grey.
class ShownNegative final : public ShownRule {
public:
    ShownNegative(const Negative& negative, const Layout& layout);

    void Show(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out) const override;

private:
    void ToScreen(const std::uint8_t* positive, int n, std::uint32_t* out) const;

    NegativeRule m_rule;
    // What the screen shows of each sample value, per channel, and where each channel is in a
    // pixel: the rule through its own rows, once, so that a view drawn through it afresh costs a
    // lookup a sample. None for black and white, whose channels are not shown one by one.
    std::array<std::vector<std::uint8_t>, 3> m_shown;
    std::array<int, 3> m_at{0, 0, 0};
};

}  // namespace tintwell::engine
