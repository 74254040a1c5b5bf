#include "ui/view_render.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/pixel.h"
#include "engine/screen_pixels.h"
#include "ui/view_mapping.h"

namespace tintwell::ui {
namespace {

constexpr int kWeightOne = 256;

// For each device pixel along one axis, the level pixels it covers and their weights (summing
// to kWeightOne), or none where it lies off the picture.
struct Taps {
    std::vector<int> first, count;
    std::vector<std::uint16_t> weights;  // count[d] of them for each d, in order
    std::vector<int> offset;             // where d's weights start
};

// `size` is where the picture ends, in level pixels: the last level pixel of an odd-sized
// picture covers only part of its square.
Taps AreaTaps(int start, int n, double ratio, double size) {
    Taps taps;
    taps.first.resize(n);
    taps.count.resize(n);
    taps.offset.resize(n);
    for (int d = 0; d < n; ++d) {
        const double a0 = (start + d) * ratio;
        const double a1 = std::min(a0 + ratio, size);
        taps.offset[d] = static_cast<int>(taps.weights.size());
        taps.first[d] = static_cast<int>(std::floor(a0));
        if (a0 + ratio / 2 >= size) {  // its centre is off the picture
            taps.count[d] = 0;
            continue;
        }
        const int last = static_cast<int>(std::ceil(a1)) - 1;
        taps.count[d] = last - taps.first[d] + 1;
        // Cumulative rounding, so that the weights sum to exactly kWeightOne.
        int given = 0;
        for (int i = taps.first[d]; i <= last; ++i) {
            const double covered = std::min(a1, i + 1.0) - a0;
            const int upTo = static_cast<int>(std::lround(covered / (a1 - a0) * kWeightOne));
            taps.weights.push_back(static_cast<std::uint16_t>(upTo - given));
            given = upTo;
        }
    }
    return taps;
}

// One level row filtered along x: each channel a weighted sum (8.8 fixed point) in a plane of
// its own. Red and blue go through together, in the two 16-bit halves of a word: a weighted
// sum of 8-bit values with weights summing to 256 stays below 65536.
struct Planes {
    explicit Planes(int width) : r(width), g(width), b(width) {}
    std::vector<std::uint16_t> r, g, b;
};

void FilterRow(const std::uint32_t* row, const Taps& x, Planes& out) {
    const int n = static_cast<int>(x.first.size());
    for (int d = 0; d < n; ++d) {
        std::uint32_t rb = 0, g = 0;
        // data() + offset: a device pixel off the picture has no weights, and may sit at the end.
        const std::uint16_t* w = x.weights.data() + x.offset[d];
        const std::uint32_t* p = row + x.first[d];
        for (int t = 0; t < x.count[d]; ++t) {
            rb += w[t] * (p[t] & 0x00FF00FFu);
            g += w[t] * ((p[t] >> 8) & 0xFFu);
        }
        out.r[d] = static_cast<std::uint16_t>(rb >> 16);
        out.g[d] = static_cast<std::uint16_t>(g);
        out.b[d] = static_cast<std::uint16_t>(rb);
    }
}

// Sums weighted rows of one plane; weights sum to 256, so the sums are 16.16 fixed point.
void AddRows(std::uint32_t* sum, const std::uint16_t* row, std::uint32_t weight, int n) {
    for (int i = 0; i < n; ++i) sum[i] += weight * row[i];
}

void RenderAveraged(const engine::PixelBuffer& level, double ratio, double scale,
                    const engine::PixelBuffer& picture, DeviceRect rect, std::uint32_t* out,
                    std::size_t stride, std::uint32_t background, const engine::ShownRule* rule) {
    const Taps x = AreaTaps(rect.x, rect.width, ratio, picture.Width() / scale);
    const Taps y = AreaTaps(rect.y, rect.height, ratio, picture.Height() / scale);
    // Filtered level rows, kept while the next device rows still need them: rows are asked
    // for top to bottom, so the oldest goes first.
    std::vector<Planes> filtered;
    std::vector<int> filteredRow;
    std::vector<std::uint32_t> screenRow;
    auto rowOf = [&](int j) -> const Planes& {
        for (std::size_t i = 0; i < filteredRow.size(); ++i) {
            if (filteredRow[i] == j) return filtered[i];
        }
        std::size_t slot = filteredRow.size();
        if (slot < 4) {
            filtered.emplace_back(rect.width);
            filteredRow.push_back(j);
        } else {
            slot = static_cast<std::size_t>(
                std::min_element(filteredRow.begin(), filteredRow.end()) - filteredRow.begin());
            filteredRow[slot] = j;
        }
        if (rule != nullptr) {  // the picture itself, through the rule
            screenRow.resize(level.Stride());
            rule->Show(level, j, 0, level.Width(), screenRow.data());
            FilterRow(screenRow.data(), x, filtered[slot]);
        } else if (level.IsScreenLayout()) {
            FilterRow(level.Row(j), x, filtered[slot]);
        } else {  // the picture itself, of another layout: its row as the screen shows it
            screenRow.resize(level.Stride());
            engine::ScreenPixels(level, j, 0, level.Width(), screenRow.data());
            FilterRow(screenRow.data(), x, filtered[slot]);
        }
        return filtered[slot];
    };
    std::vector<std::uint32_t> r(rect.width), g(rect.width), b(rect.width);
    constexpr std::uint32_t kHalf = kWeightOne * kWeightOne / 2;
    for (int dy = 0; dy < rect.height; ++dy) {
        std::uint32_t* o = out + static_cast<std::size_t>(dy) * stride;
        if (y.count[dy] == 0) {
            std::fill_n(o, rect.width, background);
            continue;
        }
        std::fill(r.begin(), r.end(), kHalf);
        std::fill(g.begin(), g.end(), kHalf);
        std::fill(b.begin(), b.end(), kHalf);
        for (int t = 0; t < y.count[dy]; ++t) {
            const Planes& h = rowOf(y.first[dy] + t);
            const std::uint32_t w = y.weights[y.offset[dy] + t];
            AddRows(r.data(), h.r.data(), w, rect.width);
            AddRows(g.data(), h.g.data(), w, rect.width);
            AddRows(b.data(), h.b.data(), w, rect.width);
        }
        for (int dx = 0; dx < rect.width; ++dx) {
            o[dx] = x.count[dx] == 0 ? background
                                     : engine::PackPixel(r[dx] >> 16, g[dx] >> 16, b[dx] >> 16);
        }
    }
}

// Each device pixel the picture pixel under its centre, as the screen shows it (or as `rule`
// makes it); the picture's pixels of a row are made once for all the device rows they cover.
void RenderNearest(const engine::PixelBuffer& picture, double zoom, DeviceRect rect,
                   std::uint32_t* out, std::size_t stride, std::uint32_t background,
                   const engine::ShownRule* rule) {
    std::vector<int> column(rect.width);
    int first = picture.Width(), last = -1;
    for (int dx = 0; dx < rect.width; ++dx) {
        const int px = PixelOfDevice(rect.x + dx, zoom);
        column[dx] = px < picture.Width() ? px : -1;
        if (column[dx] >= 0) first = std::min(first, px), last = std::max(last, px);
    }
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(std::max(0, last - first + 1)));
    int shownRow = -1;
    for (int dy = 0; dy < rect.height; ++dy) {
        std::uint32_t* o = out + static_cast<std::size_t>(dy) * stride;
        const int py = PixelOfDevice(rect.y + dy, zoom);
        if (py >= picture.Height() || last < 0) {
            std::fill_n(o, rect.width, background);
            continue;
        }
        if (py != shownRow) {
            const int n = last - first + 1;
            if (rule != nullptr) {
                rule->Show(picture, py, first, n, shown.data());
            } else {
                engine::ScreenPixels(picture, py, first, n, shown.data());
            }
            shownRow = py;
        }
        for (int dx = 0; dx < rect.width; ++dx)
            o[dx] = column[dx] < 0 ? background : shown[column[dx] - first];
    }
}

}  // namespace

void RenderView(const engine::PixelBuffer& picture, const ReducedView& reduced, double zoom,
                DeviceRect rect, std::uint32_t* out, std::size_t stride, std::uint32_t background,
                const engine::ShownRule* rule) {
    if (rect.width <= 0 || rect.height <= 0) return;
    if (zoom >= 1.0 || picture.IsEmpty()) {
        return RenderNearest(picture, zoom, rect, out, stride, background, rule);
    }
    // The coarsest level still at least as fine as the zoom: at most two level pixels (or a few
    // more below the last level) go into a device pixel along each axis.
    const int level =
        std::min(reduced.Count(), static_cast<int>(std::floor(std::log2(1.0 / zoom))));
    const double scale = std::ldexp(1.0, level);
    RenderAveraged(level == 0 ? picture : reduced.Level(level), 1.0 / (zoom * scale), scale,
                   picture, rect, out, stride, background, level == 0 ? rule : nullptr);
}

}  // namespace tintwell::ui
