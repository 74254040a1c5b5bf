#pragma once

#include <vector>

#include "engine/pixel_buffer.h"
#include "engine/screen_pixels.h"

namespace tintwell::ui {

// A picture halved again and again: level k is 1/2^k of the picture in each direction, each
// pixel the average of the 2 x 2 pixels below it (an edge row or column of an odd size counts
// twice). All levels together take at most a third of the picture's memory, and drawing a
// reduced view starts from the level just above the size wanted, so that it never reads more
// than a few times the pixels it draws.
class ReducedView {
public:
    // Builds every level of a new picture, down to one no larger than 64 x 64: of the picture as
    // the screen shows it, or as `rule` makes it.
    void Rebuild(const engine::PixelBuffer& picture, const engine::ShownRule* rule = nullptr);
    // Brings the levels in step with rows first..last of the picture, which have changed.
    void Update(const engine::PixelBuffer& picture, int first, int last,
                const engine::ShownRule* rule = nullptr);
    void Clear() { m_levels.clear(); }

    // Levels 1..Count(); level 0 is the picture itself.
    int Count() const { return static_cast<int>(m_levels.size()); }
    const engine::PixelBuffer& Level(int k) const { return m_levels[k - 1]; }

private:
    std::vector<engine::PixelBuffer> m_levels;
};

}  // namespace tintwell::ui
