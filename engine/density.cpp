// Densities of a negative: their histograms, the shadows and highlights they suggest, their means.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/negative.h"

namespace tintwell::engine {
namespace {

constexpr double kStep = kMostDensity / kDensitySteps;

// Each channel's density of every sample value of the layout, and for grey the red's.
PerChannel<std::vector<double>> DensityTables(const Layout& layout, const Negative& negative) {
    const bool wide = !(layout == kScreenLayout) && layout.bits == 16;
    const double scale = wide ? 1.0 : 257.0;
    PerChannel<std::vector<double>> table;
    for (int c = 0; c < kChannels; ++c) {
        table[c].resize(wide ? 65536 : 256);
        for (std::size_t v = 0; v < table[c].size(); ++v)
            table[c][v] = Density(negative.base[layout.IsGrey() ? 0 : c], v * scale);
    }
    return table;
}

// Each pixel's red, green and blue sample values (grey in all three).
template <typename Each>
void ForEachPixel(const PixelBuffer& p, const Region& r, const Each& each) {
    const Layout& l = p.GetLayout();
    std::array<int, 3> at{0, 0, 0};
    for (int s = 0; s < l.samples; ++s) {
        if (l.roles[s] == Role::Green) at[1] = s;
        if (l.roles[s] == Role::Blue) at[2] = s;
    }
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            std::array<std::uint32_t, 3> v{};
            if (p.IsScreenLayout()) {
                const std::uint32_t px = p.Row(y)[x];
                v = {(px >> 16) & 255, (px >> 8) & 255, px & 255};
            } else {
                const std::size_t first = static_cast<std::size_t>(x) * l.samples;
                for (int c = 0; c < 3; ++c) {
                    v[c] = l.bits == 8
                               ? p.Bytes(y)[first + at[c]]
                               : reinterpret_cast<const std::uint16_t*>(p.Bytes(y))[first + at[c]];
                }
            }
            each(v);
        }
    }
}

int Step(double density) {
    return std::clamp(static_cast<int>(density / kStep), 0, kDensitySteps - 1);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

DensityHistograms CountDensities(const PixelBuffer& picture, const Region& region,
                                 const Negative& negative) {
    DensityHistograms h;
    for (auto& c : h.counts) c.assign(kDensitySteps, 0);
    const Region r = CutTo(region, picture);
    if (r.right <= r.left || r.bottom <= r.top) return h;
    const auto table = DensityTables(picture.GetLayout(), negative);
    const bool mono = negative.mono || picture.GetLayout().IsGrey();
    ForEachPixel(picture, r, [&](const std::array<std::uint32_t, 3>& v) {
        const double d[3] = {table[0][v[0]], table[1][v[1]], table[2][v[2]]};
        if (mono) {
            const int s = Step((d[0] + d[1] + d[2]) / 3);
            for (auto& c : h.counts) ++c[s];
        } else {
            for (int c = 0; c < kChannels; ++c) ++h.counts[c][Step(d[c])];
        }
    });
    h.pixels = static_cast<std::uint64_t>(r.right - r.left) * (r.bottom - r.top);
    return h;
}

Densities SuggestDensities(const DensityHistograms& h, double lowPercent, double highPercent) {
    Densities d;
    const double low = lowPercent * h.pixels / 100, high = highPercent * h.pixels / 100;
    for (int c = 0; c < kChannels; ++c) {
        int shadow = kDensitySteps - 1, highlight = 0;
        std::uint64_t below = 0, above = 0;
        for (int i = 0; i < kDensitySteps; ++i) {
            below += h.counts[c][i];
            if (static_cast<double>(below) > low) {
                shadow = i;
                break;
            }
        }
        for (int i = kDensitySteps - 1; i >= 0; --i) {
            above += h.counts[c][i];
            if (static_cast<double>(above) > high) {
                highlight = i + 1;
                break;
            }
        }
        highlight = std::max(highlight, shadow + 1);
        d.shadow[c] = shadow * kStep;
        d.highlight[c] = highlight * kStep;
    }
    return d;
}

Densities RollDensities(const std::vector<Densities>& frames) {
    Densities roll;
    if (frames.empty()) return roll;
    for (int c = 0; c < kChannels; ++c) {
        std::vector<double> shadows, highlights;
        for (const Densities& f : frames)
            shadows.push_back(f.shadow[c]), highlights.push_back(f.highlight[c]);
        roll.shadow[c] = Median(shadows);
        roll.highlight[c] = std::max(Median(highlights), roll.shadow[c] + kStep);
    }
    return roll;
}

Histograms DrawnDensities(const DensityHistograms& h) {
    Histograms drawn;
    drawn.pixels = h.pixels;
    for (int c = 0; c < kChannels; ++c)
        for (int i = 0; i < kDensitySteps; ++i)
            drawn.counts[c][i * 256 / kDensitySteps] += h.counts[c][i];
    return drawn;
}

Clipping ClippedDensities(const DensityHistograms& h, const Negative& n) {
    Clipping clip;
    if (h.pixels == 0) return clip;
    for (int c = 0; c < kChannels; ++c) {
        const int channel = n.mono ? 0 : c;
        const auto black = static_cast<int>(std::ceil(n.shadow[channel] / kStep - 1e-9));
        const auto white = static_cast<int>(std::floor(n.highlight[channel] / kStep + 1e-9));
        std::uint64_t below = 0, above = 0;
        for (int i = 0; i < kDensitySteps; ++i) {
            if (i < black) below += h.counts[c][i];
            if (i >= white) above += h.counts[c][i];
        }
        clip.toBlack[c] = static_cast<double>(below) / h.pixels;
        clip.toWhite[c] = static_cast<double>(above) / h.pixels;
    }
    return clip;
}

PerChannel<double> MeanDensities(const PixelBuffer& picture, const Region& region,
                                 const Negative& negative) {
    PerChannel<double> sums{};
    const Region r = CutTo(region, picture);
    if (r.right <= r.left || r.bottom <= r.top) return sums;
    const auto table = DensityTables(picture.GetLayout(), negative);
    const bool mono = negative.mono || picture.GetLayout().IsGrey();
    ForEachPixel(picture, r, [&](const std::array<std::uint32_t, 3>& v) {
        const double d[3] = {table[0][v[0]], table[1][v[1]], table[2][v[2]]};
        for (int c = 0; c < kChannels; ++c) sums[c] += mono ? (d[0] + d[1] + d[2]) / 3 : d[c];
    });
    const double pixels = static_cast<double>(r.right - r.left) * (r.bottom - r.top);
    for (double& s : sums) s /= pixels;
    return sums;
}

}  // namespace tintwell::engine
