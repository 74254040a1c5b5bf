#include "engine/shown_negative.h"

#include <cstring>
#include <vector>

namespace tintwell::engine {
namespace {

std::uint32_t SampleOf(const std::uint8_t* row, std::size_t at, int bits) {
    if (bits == 8) return row[at];
    std::uint16_t v;
    std::memcpy(&v, row + at * 2, 2);
    return v;
}

}  // namespace

// The positive's samples of n pixels, in the rule's output layout, as screen colours.
void ShownNegative::ToScreen(const std::uint8_t* positive, int n, std::uint32_t* out) const {
    const Layout& l = m_rule.Out();
    std::array<int, 3> at{0, 0, 0};
    for (int s = 0; s < l.samples; ++s) {
        if (l.roles[s] == Role::Red) at[0] = s;
        if (l.roles[s] == Role::Green) at[1] = s;
        if (l.roles[s] == Role::Blue) at[2] = s;
    }
    for (int i = 0; i < n; ++i) {
        const std::size_t first = static_cast<std::size_t>(i) * l.samples;
        std::uint32_t pixel = 0xFF000000u;
        for (int c = 0; c < 3; ++c)
            pixel |= std::uint32_t{m_rule.Shown(SampleOf(positive, first + at[c], l.bits))}
                     << (16 - 8 * c);
        out[i] = pixel;
    }
}

void ShownNegative::Show(const PixelBuffer& picture, int y, int x, int n,
                         std::uint32_t* out) const {
    const Layout& in = picture.GetLayout();
    const std::size_t pixelBytes = static_cast<std::size_t>(in.samples) * in.bits / 8;
    thread_local std::vector<std::uint8_t> positive;
    positive.resize(static_cast<std::size_t>(n) * m_rule.Out().samples * m_rule.Out().bits / 8);
    m_rule.ApplyRow(picture.Bytes(y) + x * pixelBytes, positive.data(), n);
    ToScreen(positive.data(), n, out);
}

}  // namespace tintwell::engine
