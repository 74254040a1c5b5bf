#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/negative.h"
#include "engine/screen_pixels.h"

namespace tintwell::engine {

// The negative rule as the screen shows it: the very positive the correction writes, 16-bit
// samples as round(out / 257), a black-and-white positive as grey.
class ShownNegative final : public ShownRule {
public:
    ShownNegative(const Negative& negative, const Layout& layout) : m_rule(negative, layout) {}

    void Show(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out) const override;

private:
    void ToScreen(const std::uint8_t* positive, int n, std::uint32_t* out) const;

    NegativeRule m_rule;
};

}  // namespace tintwell::engine
