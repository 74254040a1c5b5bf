#include "engine/histogram.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/bands.h"
#include "engine/pixel.h"
#include "engine/pixel_rule.h"

namespace tintwell::engine {
namespace {

// Counting runs into four tables per channel in turn, so that runs of one value do not wait on
// one counter; 32-bit counters keep the tables in the first-level cache and are emptied into
// the 64-bit totals well before they could overflow.
constexpr int kTables = 4;
constexpr std::uint64_t kFlushEvery = std::uint64_t{1} << 30;
constexpr std::uint64_t kPixelsPerThread = std::uint64_t{4} << 20;

struct Counters {
    std::array<std::array<std::uint32_t, 256>, 3 * kTables> table{};

    void CountRow(const std::uint32_t* row, int n) {
        int x = 0;
        for (; x + kTables <= n; x += kTables) {
            for (int t = 0; t < kTables; ++t) {
                const std::uint32_t p = row[x + t];
                ++table[t][RedOf(p)];
                ++table[kTables + t][GreenOf(p)];
                ++table[2 * kTables + t][BlueOf(p)];
            }
        }
        for (; x < n; ++x) {
            ++table[0][RedOf(row[x])];
            ++table[kTables][GreenOf(row[x])];
            ++table[2 * kTables][BlueOf(row[x])];
        }
    }

    void EmptyInto(Histograms& h) {
        for (int c = 0; c < kChannels; ++c) {
            for (int t = 0; t < kTables; ++t) {
                auto& counts = table[c * kTables + t];
                for (int v = 0; v < 256; ++v) h.counts[c][v] += counts[v];
                counts.fill(0);
            }
        }
    }
};

}  // namespace

Histograms& Histograms::operator+=(const Histograms& other) {
    for (int c = 0; c < kChannels; ++c) {
        for (int v = 0; v < 256; ++v) counts[c][v] += other.counts[c][v];
    }
    pixels += other.pixels;
    return *this;
}

Region CountedRegion(int width, int height, double marginPercent) {
    const double margin = std::clamp(marginPercent, 0.0, 50.0);
    const int mx = static_cast<int>(std::floor(width * margin / 100.0));
    const int my = static_cast<int>(std::floor(height * margin / 100.0));
    if (width - 2 * mx <= 0 || height - 2 * my <= 0) return {0, 0, width, height};
    return {mx, my, width - mx, height - my};
}

namespace {

// A sample on the 0..255 scale: 16-bit samples count as round(v / 257), which has no ties.
template <typename T>
int Scaled(T v) {
    if constexpr (sizeof(T) == 1) {
        return v;
    } else {
        return (v + 128) / 257;
    }
}

// Rows of any layout but the screen's: grey counts in all three channels, alpha in none.
template <typename T>
void CountSamples(const PixelBuffer& picture, const Region& r, int top, int bottom, Histograms& h) {
    const Layout& layout = picture.GetLayout();
    std::array<int, 4> channel{-1, -1, -1, -1};
    for (int s = 0; s < layout.samples; ++s) {
        const Role role = layout.roles[s];
        if (role == Role::Red || role == Role::Grey) channel[s] = 0;
        if (role == Role::Green) channel[s] = 1;
        if (role == Role::Blue) channel[s] = 2;
    }
    for (int y = top; y < bottom; ++y) {
        const T* p = reinterpret_cast<const T*>(picture.Bytes(y)) + r.left * layout.samples;
        for (int x = r.left; x < r.right; ++x, p += layout.samples) {
            for (int s = 0; s < layout.samples; ++s) {
                if (channel[s] < 0) continue;
                const int v = Scaled(p[s]);
                if (layout.roles[s] == Role::Grey) {
                    for (int c = 0; c < kChannels; ++c) ++h.counts[c][v];
                } else {
                    ++h.counts[channel[s]][v];
                }
            }
        }
    }
}

void CountRows(const PixelBuffer& picture, const Region& r, int top, int bottom, Histograms& h) {
    if (!picture.IsScreenLayout()) {
        return picture.GetLayout().bits == 8
                   ? CountSamples<std::uint8_t>(picture, r, top, bottom, h)
                   : CountSamples<std::uint16_t>(picture, r, top, bottom, h);
    }
    const int width = r.right - r.left;
    auto counters = std::make_unique<Counters>();
    std::uint64_t sinceFlush = 0;
    for (int y = top; y < bottom; ++y) {
        counters->CountRow(picture.Row(y) + r.left, width);
        sinceFlush += static_cast<std::uint64_t>(width);
        if (sinceFlush >= kFlushEvery) {
            counters->EmptyInto(h);
            sinceFlush = 0;
        }
    }
    counters->EmptyInto(h);
}

}  // namespace

Region CutTo(const Region& region, const PixelBuffer& picture) {
    return {std::clamp(region.left, 0, picture.Width()),
            std::clamp(region.top, 0, picture.Height()),
            std::clamp(region.right, 0, picture.Width()),
            std::clamp(region.bottom, 0, picture.Height())};
}

// Where the two would meet, white is one above black.
void KeepWhiteAbove(int& black, int& white) {
    if (white > black) return;
    white = std::min(255, black + 1);
    black = white - 1;
}

Histograms CountHistograms(const PixelBuffer& picture, double marginPercent) {
    if (picture.IsEmpty()) return Histograms{};
    return CountHistograms(picture,
                           CountedRegion(picture.Width(), picture.Height(), marginPercent));
}

Histograms CountHistograms(const PixelBuffer& picture, const Region& region) {
    Histograms h;
    const Region r = CutTo(region, picture);
    if (r.right <= r.left || r.bottom <= r.top) return h;
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(r.right - r.left) * static_cast<std::uint64_t>(r.bottom - r.top);
    // Counting is bound by the counters' stores, not by memory: big pictures are shared out
    // among the cores, a band of rows each.
    const int parts = BandCount(pixels, kPixelsPerThread, r.bottom - r.top, 8);
    std::vector<Histograms> partial(static_cast<std::size_t>(parts));
    InBands(r.top, r.bottom, parts, [&](int band, int top, int bottom) {
        CountRows(picture, r, top, bottom, partial[band]);
    });
    for (const Histograms& part : partial) h += part;
    h.pixels = pixels;
    return h;
}

PerChannel<double> Means(const Histograms& h) {
    PerChannel<double> means{};
    if (h.pixels == 0) return means;
    for (int c = 0; c < kChannels; ++c) {
        std::uint64_t sum = 0;
        for (int v = 0; v < 256; ++v) sum += h.counts[c][v] * static_cast<std::uint64_t>(v);
        means[c] = static_cast<double>(sum) / static_cast<double>(h.pixels);
    }
    return means;
}

Histograms Levelled(const Histograms& before, const Levels& levels) {
    Histograms after;
    after.pixels = before.pixels;
    for (int c = 0; c < kChannels; ++c) {
        for (int v = 0; v < 256; ++v) {
            after.counts[c][LevelChannel(v, levels.black[c], levels.factor[c])] +=
                before.counts[c][v];
        }
    }
    return after;
}

Clipping ClippedShares(const Histograms& h, const Levels& levels) {
    Clipping clip;
    if (h.pixels == 0) return clip;
    for (int c = 0; c < kChannels; ++c) {
        std::uint64_t black = 0, white = 0;
        for (int v = 0; v < 256; ++v) {
            const int out = LevelChannel(v, levels.black[c], levels.factor[c]);
            if (out == 0) black += h.counts[c][v];
            if (out == 255) white += h.counts[c][v];
        }
        clip.toBlack[c] = static_cast<double>(black) / static_cast<double>(h.pixels);
        clip.toWhite[c] = static_cast<double>(white) / static_cast<double>(h.pixels);
    }
    return clip;
}

Points SuggestPoints(const Histograms& h, double lowClipPercent, double highClipPercent) {
    const double pixels = static_cast<double>(h.pixels);
    const double low = lowClipPercent * pixels / 100.0;
    const double high = highClipPercent * pixels / 100.0;
    Points points;
    for (int c = 0; c < kChannels; ++c) {
        int black = 255;
        std::uint64_t below = 0;
        for (int v = 0; v < 256; ++v) {
            below += h.counts[c][v];
            if (static_cast<double>(below) > low) {
                black = v;
                break;
            }
        }
        int white = 0;
        std::uint64_t above = 0;
        for (int v = 255; v >= 0; --v) {
            above += h.counts[c][v];
            if (static_cast<double>(above) > high) {
                white = v;
                break;
            }
        }
        KeepWhiteAbove(black, white);
        points.black[c] = black;
        points.white[c] = white;
    }
    return points;
}

}  // namespace tintwell::engine

namespace tintwell::engine {
namespace {

int Median(std::vector<int> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    if (n % 2 == 1) return values[n / 2];
    return static_cast<int>(std::nearbyint((values[n / 2 - 1] + values[n / 2]) / 2.0));
}

}  // namespace

Points RollPoints(const std::vector<Points>& frames) {
    Points roll;
    if (frames.empty()) return roll;
    for (int c = 0; c < kChannels; ++c) {
        std::vector<int> blacks, whites;
        for (const Points& f : frames) blacks.push_back(f.black[c]), whites.push_back(f.white[c]);
        int black = Median(blacks), white = Median(whites);
        KeepWhiteAbove(black, white);
        roll.black[c] = black;
        roll.white[c] = white;
    }
    return roll;
}

std::optional<Departure> FarFrom(const Points& frame, const Points& roll) {
    for (int c = 0; c < kChannels; ++c) {
        for (const bool black : {true, false}) {
            const int f = (black ? frame.black : frame.white)[c];
            const int r = (black ? roll.black : roll.white)[c];
            if (std::abs(f - r) > kFarLevels)
                return Departure{static_cast<Channel>(c), black, f, r};
        }
    }
    return std::nullopt;
}

}  // namespace tintwell::engine

namespace tintwell::engine {

namespace {

// Each channel's sum of sample values over the region, grey in all three.
PerChannel<std::uint64_t> SampleSums(const PixelBuffer& picture, const Region& r) {
    const Layout& layout = picture.GetLayout();
    PerChannel<std::uint64_t> sums{};
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            if (picture.IsScreenLayout()) {
                const std::uint32_t p = picture.Row(y)[x];
                sums[0] += RedOf(p), sums[1] += GreenOf(p), sums[2] += BlueOf(p);
                continue;
            }
            const std::size_t at = static_cast<std::size_t>(x) * layout.samples;
            for (int s = 0; s < layout.samples; ++s) {
                const Role role = layout.roles[s];
                const std::uint64_t v =
                    layout.bits == 8
                        ? picture.Bytes(y)[at + s]
                        : reinterpret_cast<const std::uint16_t*>(picture.Bytes(y))[at + s];
                if (role == Role::Grey) sums[0] += v, sums[1] += v, sums[2] += v;
                if (role == Role::Red) sums[0] += v;
                if (role == Role::Green) sums[1] += v;
                if (role == Role::Blue) sums[2] += v;
            }
        }
    }
    return sums;
}

// The means of the sums, on the 0..255 scale or the 16-bit one.
PerChannel<double> MeansOn(const PixelBuffer& picture, const Region& region, bool sixteen) {
    const Region r = CutTo(region, picture);
    PerChannel<double> means{};
    if (r.right <= r.left || r.bottom <= r.top) return means;
    const PerChannel<std::uint64_t> sums = SampleSums(picture, r);
    const double pixels = static_cast<double>(r.right - r.left) * (r.bottom - r.top);
    const bool eight = picture.IsScreenLayout() || picture.GetLayout().bits == 8;
    for (int c = 0; c < kChannels; ++c) {
        const double sum = static_cast<double>(sums[c]) * (sixteen && eight ? 257.0 : 1.0);
        means[c] = sum / pixels / (!sixteen && !eight ? 257.0 : 1.0);
    }
    return means;
}

}  // namespace

PerChannel<double> MeanLevels(const PixelBuffer& picture, const Region& region) {
    return MeansOn(picture, region, false);
}

PerChannel<double> MeanSamples16(const PixelBuffer& picture, const Region& region) {
    return MeansOn(picture, region, true);
}

}  // namespace tintwell::engine
