#include "engine/screen_pixels.h"

#include "engine/pixel.h"
#include "engine/pixel_rule.h"

namespace tintwell::engine {
namespace {

// Where in a pixel red, green and blue stand (grey: all three at its one sample).
std::array<int, 3> Places(const Layout& layout) {
    std::array<int, 3> at{0, 0, 0};
    for (int s = 0; s < layout.samples; ++s) {
        if (layout.roles[s] == Role::Green) at[1] = s;
        if (layout.roles[s] == Role::Blue) at[2] = s;
    }
    return at;
}

template <typename T, typename Map>
void Convert(const PixelBuffer& p, int y, int x, int n, std::uint32_t* out, const Map& map) {
    const Layout& l = p.GetLayout();
    const std::array<int, 3> at = Places(l);
    const T* row = reinterpret_cast<const T*>(p.Bytes(y)) + static_cast<std::size_t>(x) * l.samples;
    // A grey sample takes red's rule in all three channels, as the correction takes it.
    const std::array<int, 3> rule = l.IsGrey() ? std::array{0, 0, 0} : std::array{0, 1, 2};
    for (int i = 0; i < n; ++i, row += l.samples)
        out[i] =
            PackPixel(map(rule[0], row[at[0]]), map(rule[1], row[at[1]]), map(rule[2], row[at[2]]));
}

}  // namespace

void ScreenPixels(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out) {
    if (picture.IsScreenLayout()) {
        const std::uint32_t* row = picture.Row(y) + x;
        std::copy(row, row + n, out);
    } else if (picture.GetLayout().bits == 8) {
        Convert<std::uint8_t>(picture, y, x, n, out, [](int, std::uint32_t v) { return v; });
    } else {
        // v / 257 never ends in a half: 257 is odd.
        Convert<std::uint16_t>(picture, y, x, n, out,
                               [](int, std::uint32_t v) { return (v + 128) / 257; });
    }
}

PerChannel<int> SamplesAt(const PixelBuffer& picture, int x, int y) {
    if (picture.IsScreenLayout()) {
        const std::uint32_t p = picture.Row(y)[x];
        return {static_cast<int>(RedOf(p)), static_cast<int>(GreenOf(p)),
                static_cast<int>(BlueOf(p))};
    }
    const Layout& l = picture.GetLayout();
    const std::array<int, 3> at = Places(l);
    const std::size_t first = static_cast<std::size_t>(x) * l.samples;
    const auto sample = [&](int s) {
        return l.bits == 8
                   ? int{picture.Bytes(y)[first + s]}
                   : int{reinterpret_cast<const std::uint16_t*>(picture.Bytes(y))[first + s]};
    };
    return {sample(at[0]), sample(at[1]), sample(at[2])};
}

ShownLevels::ShownLevels(const Levels& levels, const Layout& layout) {
    const bool wide = !(layout == kScreenLayout) && layout.bits == 16;
    for (int c = 0; c < kChannels; ++c) {
        m_shown[c].resize(wide ? 65536 : 256);
        for (std::size_t v = 0; v < m_shown[c].size(); ++v) {
            const int value = static_cast<int>(v);
            m_shown[c][v] =
                wide ? static_cast<std::uint8_t>(
                           (LevelSample16(value, levels.black[c], levels.factor[c]) + 128) / 257)
                     : LevelChannel(value, levels.black[c], levels.factor[c]);
        }
    }
}

void ShownLevels::Show(const PixelBuffer& picture, int y, int x, int n, std::uint32_t* out) const {
    const auto map = [this](int c, std::uint32_t v) { return std::uint32_t{m_shown[c][v]}; };
    if (picture.IsScreenLayout()) {
        const std::uint32_t* row = picture.Row(y) + x;
        for (int i = 0; i < n; ++i)
            out[i] =
                PackPixel(map(0, RedOf(row[i])), map(1, GreenOf(row[i])), map(2, BlueOf(row[i])));
    } else if (picture.GetLayout().bits == 8) {
        Convert<std::uint8_t>(picture, y, x, n, out, map);
    } else {
        Convert<std::uint16_t>(picture, y, x, n, out, map);
    }
}

}  // namespace tintwell::engine
