#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/levels_table.h"
#include "engine/screen_pixels.h"

namespace tintwell::ui {

// How the view shows the picture beyond its zoom: as Process would make it with the fields as
// they stand (the preview), and where the colours it shows clip.
// The preview is `exact` at 100% and above where the picture is not in the screen's layout
// (16-bit samples: the rule on the samples themselves), and `preview` on the drawn colours
// everywhere else; with `exactEverywhere`, `exact` below 100% too, its results averaged.
// A rule on drawn colours (0xFFRRGGBB), in place.
using DrawnRule = std::function<void(std::uint32_t* pixels, std::size_t count)>;

struct Look {
    std::shared_ptr<const DrawnRule> preview;  // none: the picture as it is
    std::shared_ptr<const engine::ShownRule> exact;
    // For a rule far from straight (the negative's logarithm), whose result on an average of
    // dense and thin pixels is far from the average of their results.
    bool exactEverywhere = false;
    bool clipping = false;

    bool IsPlain() const { return !preview && !exact && !clipping; }
};

// The levels' rule on drawn colours.
std::shared_ptr<const DrawnRule> DrawnLevels(const engine::Levels& levels);

inline constexpr std::uint32_t kClippedWhite = 0xFFFF0000u;  // pure red
inline constexpr std::uint32_t kClippedBlack = 0xFF0000FFu;  // pure blue

// Gives drawn pixels (0xFFRRGGBB) the look, in place: the rule of the preview, then, with the
// clipping warning, pure red where a channel is at 255 and else pure blue where one is at 0.
void ApplyLook(const Look& look, std::uint32_t* pixels, std::size_t count);

}  // namespace tintwell::ui
