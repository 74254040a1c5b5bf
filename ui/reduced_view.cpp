#include "ui/reduced_view.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/screen_pixels.h"

namespace tintwell::ui {
namespace {

// A quarter of each 16-bit field's sum, rounded half to even: rounding half up at every level
// of the pyramid would add up to a visible brightening of the smallest views.
inline std::uint32_t Quarter(std::uint32_t sums) {
    constexpr std::uint32_t kFields = 0x00FF00FF, kOnes = 0x00010001;
    return ((sums + kOnes + ((sums >> 2) & kOnes)) >> 2) & kFields;
}

// The average of four pixels, each channel rounded, two channels at a time in 16-bit fields.
inline std::uint32_t Average(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d) {
    constexpr std::uint32_t kFields = 0x00FF00FF;
    const std::uint32_t even = (a & kFields) + (b & kFields) + (c & kFields) + (d & kFields);
    const std::uint32_t odd =
        ((a >> 8) & kFields) + ((b >> 8) & kFields) + ((c >> 8) & kFields) + ((d >> 8) & kFields);
    return Quarter(even) | (Quarter(odd) << 8);
}

// One row of a level from the two rows of the level below it.
void HalveRow(const std::uint32_t* top, const std::uint32_t* bottom, int belowWidth,
              std::uint32_t* out, int width) {
    const int pairs = belowWidth / 2;
    for (int x = 0; x < pairs; ++x) {
        out[x] = Average(top[2 * x], top[2 * x + 1], bottom[2 * x], bottom[2 * x + 1]);
    }
    if (pairs < width) {  // an odd width: the last column counts twice
        const int last = belowWidth - 1;
        out[pairs] = Average(top[last], top[last], bottom[last], bottom[last]);
    }
}

// A picture of another layout than the screen's is halved from its rows as the screen shows
// them (or as the rule makes them), so that every level is what a copy in the screen's layout
// would give.
void HalveRows(const engine::PixelBuffer& below, engine::PixelBuffer& level, int first, int last,
               const engine::ShownRule* rule) {
    const bool screen = below.IsScreenLayout() && rule == nullptr;
    std::vector<std::uint32_t> top(screen ? 0 : below.Stride()), bottom(top.size());
    for (int y = first; y <= last; ++y) {
        const int next = std::min(2 * y + 1, below.Height() - 1);
        const std::uint32_t* a = below.Row(2 * y);
        const std::uint32_t* b = below.Row(next);
        if (rule != nullptr) {
            rule->Show(below, 2 * y, 0, below.Width(), top.data());
            rule->Show(below, next, 0, below.Width(), bottom.data());
            a = top.data(), b = bottom.data();
        } else if (!screen) {
            engine::ScreenPixels(below, 2 * y, 0, below.Width(), top.data());
            engine::ScreenPixels(below, next, 0, below.Width(), bottom.data());
            a = top.data(), b = bottom.data();
        }
        HalveRow(a, b, below.Width(), level.Row(y), level.Width());
    }
}

}  // namespace

void ReducedView::Rebuild(const engine::PixelBuffer& picture, const engine::ShownRule* rule) {
    m_levels.clear();
    m_levels.reserve(32);  // more levels than any picture has: pointers into it stay good
    const engine::PixelBuffer* below = &picture;
    while (below->Width() > 64 || below->Height() > 64) {
        auto level =
            engine::PixelBuffer::Allocate((below->Width() + 1) / 2, (below->Height() + 1) / 2);
        if (!level) break;  // without memory to spare, drawing falls back to finer levels
        HalveRows(*below, *level, 0, level->Height() - 1, below == &picture ? rule : nullptr);
        m_levels.push_back(std::move(*level));
        below = &m_levels.back();
    }
}

void ReducedView::Update(const engine::PixelBuffer& picture, int first, int last,
                         const engine::ShownRule* rule) {
    const engine::PixelBuffer* below = &picture;
    for (engine::PixelBuffer& level : m_levels) {
        first /= 2;
        last /= 2;
        HalveRows(*below, level, first, last, below == &picture ? rule : nullptr);
        below = &level;
    }
}

}  // namespace tintwell::ui
