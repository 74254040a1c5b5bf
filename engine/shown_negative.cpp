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

std::array<int, 3> ChannelPlaces(const Layout& l) {
    std::array<int, 3> at{0, 0, 0};
    for (int s = 0; s < l.samples; ++s) {
        if (l.roles[s] == Role::Red) at[0] = s;
        if (l.roles[s] == Role::Green) at[1] = s;
        if (l.roles[s] == Role::Blue) at[2] = s;
    }
    return at;
}

}  // namespace

ShownNegative::ShownNegative(const Negative& negative, const Layout& layout)
    : m_rule(negative, layout) {
    if (!(m_rule.Out() == layout)) return;  // black and white: no channel is shown on its own
    const std::uint32_t values = layout.bits == 16 ? 65536 : 256;
    for (int c = 0; c < 3; ++c) {
        m_shown[c].resize(values);
        for (std::uint32_t v = 0; v < values; ++v)
            m_shown[c][v] = m_rule.Shown(m_rule.Positive(layout.IsGrey() ? 0 : c, v));
    }
    m_at = ChannelPlaces(layout);
}

// The positive's samples of n pixels, in the rule's output layout, as screen colours.
void ShownNegative::ToScreen(const std::uint8_t* positive, int n, std::uint32_t* out) const {
    const Layout& l = m_rule.Out();
    const std::array<int, 3> at = ChannelPlaces(l);
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
    if (!m_shown[0].empty()) {
        const std::uint8_t* row = picture.Bytes(y) + x * pixelBytes;
        for (int i = 0; i < n; ++i) {
            const std::size_t first = static_cast<std::size_t>(i) * in.samples;
            std::uint32_t pixel = 0xFF000000u;
            for (int c = 0; c < 3; ++c)
                pixel |= std::uint32_t{m_shown[c][SampleOf(row, first + m_at[c], in.bits)]}
                         << (16 - 8 * c);
            out[i] = pixel;
        }
        return;
    }
    thread_local std::vector<std::uint8_t> positive;
    positive.resize(static_cast<std::size_t>(n) * m_rule.Out().samples * m_rule.Out().bits / 8);
    m_rule.ApplyRow(picture.Bytes(y) + x * pixelBytes, positive.data(), n);
    ToScreen(positive.data(), n, out);
}

}  // namespace tintwell::engine
