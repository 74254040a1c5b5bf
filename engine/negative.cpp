#include "engine/negative.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tintwell::engine {
namespace {

// The positive's linear light as a stored 16-bit sample: the sRGB curve, rounded halves to even.
std::uint16_t Stored(double linear) {
    const double e =
        linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return static_cast<std::uint16_t>(std::nearbyint(65535.0 * e));
}

// Which channel's settings each place of a pixel takes; -1 for alpha.
std::array<int, 4> Channels(const Layout& layout) {
    std::array<int, 4> channel{-1, -1, -1, -1};
    for (int s = 0; s < layout.samples; ++s) {
        const Role r = layout.roles[s];
        channel[s] = r == Role::Red || r == Role::Grey ? 0
                     : r == Role::Green                ? 1
                     : r == Role::Blue                 ? 2
                                                       : -1;
    }
    return channel;
}

template <typename T>
std::uint32_t SampleAt(const std::uint8_t* row, std::size_t at) {
    T v;
    std::memcpy(&v, row + at * sizeof(T), sizeof(T));
    return v;
}

template <typename T>
void PutSample(std::uint8_t* row, std::size_t at, std::uint32_t value) {
    const T v = static_cast<T>(value);
    std::memcpy(row + at * sizeof(T), &v, sizeof(T));
}

}  // namespace

double Density(double base, double v) {
    return std::max(0.0, std::log10(base / std::max(v, 1.0)));
}

PositiveCurve::PositiveCurve(double shadow, double highlight, double contrast)
    : m_shadow(shadow),
      m_span(highlight - shadow),
      m_contrast(contrast),
      m_range(std::pow(10.0, contrast) - 1),
      m_black(Stored(0.0)),  // n = 0 makes L exactly 0, and n = 1 makes it exactly 1
      m_white(Stored(1.0)) {}

std::uint16_t PositiveCurve::operator()(double density) const {
    const double n = std::clamp((density - m_shadow) / m_span, 0.0, 1.0);
    if (n == 0.0) return m_black;
    if (n == 1.0) return m_white;
    return Stored((std::pow(10.0, m_contrast * n) - 1) / m_range);
}

std::uint16_t PositiveOf(double density, double shadow, double highlight, double contrast) {
    return PositiveCurve(shadow, highlight, contrast)(density);
}

std::uint16_t NegativeSample(const Negative& n, int c, double v) {
    return PositiveOf(Density(n.base[c], v), n.shadow[c], n.highlight[c], n.contrast);
}

NegativeRule::NegativeRule(const Negative& negative, const Layout& in)
    : m_in(in),
      m_out(in),
      m_monoCurve(negative.shadow[0], negative.highlight[0], negative.contrast) {
    const bool mono = negative.mono && !in.IsGrey();
    if (mono) m_out = FileLayout(true, in.HasAlpha(), in.bits);
    const std::size_t values = in.bits == 16 ? 65536 : 256;
    const double scale = in.bits == 16 ? 1.0 : 257.0;  // 8-bit samples as 257 v
    for (int c = 0; c < kChannels; ++c) {
        if (mono) {
            m_density[c].resize(values);
            for (std::size_t v = 0; v < values; ++v)
                m_density[c][v] = Density(negative.base[c], static_cast<double>(v) * scale);
        } else {
            const PositiveCurve curve(negative.shadow[c], negative.highlight[c], negative.contrast);
            m_table[c].resize(values);
            for (std::size_t v = 0; v < values; ++v)
                m_table[c][v] = curve(Density(negative.base[c], static_cast<double>(v) * scale));
        }
    }
}

// A positive on the output's scale: 8-bit outputs are round(out / 257), which never ends in a
// half.
std::uint32_t NegativeRule::Positive(int channel, std::uint32_t v) const {
    const std::uint32_t out = m_table[channel][v];
    return m_out.bits == 16 ? out : (out + 128) / 257;
}

std::uint32_t NegativeRule::MonoPositive(const std::uint32_t* rgb) const {
    const double density =
        (m_density[0][rgb[0]] + m_density[1][rgb[1]] + m_density[2][rgb[2]]) / 3.0;
    const std::uint32_t out = m_monoCurve(density);
    return m_out.bits == 16 ? out : (out + 128) / 257;
}

void NegativeRule::ApplyRow(const std::uint8_t* in, std::uint8_t* out, int width) const {
    const std::array<int, 4> channel = Channels(m_in);
    const bool wide = m_in.bits == 16;
    const auto get = [&](std::size_t at) {
        return wide ? SampleAt<std::uint16_t>(in, at) : SampleAt<std::uint8_t>(in, at);
    };
    const auto put = [&](std::size_t at, std::uint32_t v) {
        wide ? PutSample<std::uint16_t>(out, at, v) : PutSample<std::uint8_t>(out, at, v);
    };
    const bool mono = !m_density[0].empty();
    if (!mono && wide && m_in.samples == 3 && channel == std::array<int, 4>{0, 1, 2, -1}) {
        // A scan's layout: a sample a table, with nothing to decide per sample.
        const std::uint16_t* const tables[3] = {m_table[0].data(), m_table[1].data(),
                                                m_table[2].data()};
        for (std::size_t at = 0; at < static_cast<std::size_t>(width) * 3; at += 3)
            for (std::size_t c = 0; c < 3; ++c)
                PutSample<std::uint16_t>(out, at + c,
                                         tables[c][SampleAt<std::uint16_t>(in, at + c)]);
        return;
    }
    for (int x = 0; x < width; ++x) {
        const std::size_t from = static_cast<std::size_t>(x) * m_in.samples;
        const std::size_t to = static_cast<std::size_t>(x) * m_out.samples;
        if (mono) {
            std::uint32_t rgb[3] = {};
            for (int s = 0; s < m_in.samples; ++s)
                if (channel[s] >= 0) rgb[channel[s]] = get(from + s);
            put(to, MonoPositive(rgb));
            if (m_in.HasAlpha()) put(to + 1, get(from + m_in.samples - 1));
            continue;
        }
        for (int s = 0; s < m_in.samples; ++s) {
            const std::uint32_t v = get(from + s);
            put(to + s, channel[s] < 0 ? v : Positive(channel[s], v));
        }
    }
}

std::uint8_t NegativeRule::Shown(std::uint32_t value) const {
    return static_cast<std::uint8_t>(m_out.bits == 16 ? (value + 128) / 257 : value);
}

std::optional<PassResult> RunNegativePass(PixelBuffer& picture, const NegativeRule& rule,
                                          const AfterRow& afterRow) {
    const bool inPlace = rule.Out() == picture.GetLayout();
    std::optional<PixelBuffer> made;
    if (!inPlace) {
        made = PixelBuffer::Allocate(picture.Width(), picture.Height(), rule.Out());
        if (!made) return std::nullopt;
    }
    for (int y = 0; y < picture.Height(); ++y) {
        rule.ApplyRow(picture.Bytes(y), inPlace ? picture.Bytes(y) : made->Bytes(y),
                      picture.Width());
        if (!afterRow(y)) return PassResult::Cancelled;
    }
    if (made) picture = std::move(*made);
    return PassResult::Completed;
}

}  // namespace tintwell::engine
