#include "engine/correction_pass.h"

#include "engine/levels_table.h"
#include "engine/pixel.h"
#include "engine/sample_levels.h"

namespace tintwell::engine {
namespace {

void ApplyByPoints(Surface& surface, const LevelsTable& table, int y) {
    const int width = surface.ScaleWidth();
    for (int x = 0; x < width; ++x) {
        const auto colour = static_cast<std::uint32_t>(surface.Point(x, y));
        const std::uint32_t r = table.Lookup(Channel::Red, colour & 0xFFu);
        const std::uint32_t g = table.Lookup(Channel::Green, (colour >> 8) & 0xFFu);
        const std::uint32_t b = table.Lookup(Channel::Blue, (colour >> 16) & 0xFFu);
        surface.PSet(x, y, RGB(r, g, b));
    }
}

}  // namespace

PassResult RunCorrectionPass(Surface& surface, const Levels& levels, const AfterRow& afterRow) {
    const LevelsTable table(levels);
    const int height = surface.ScaleHeight();
    for (int y = 0; y < height; ++y) {
        const std::span<std::uint32_t> row = surface.Row(y);
        if (!row.empty()) {
            table.ApplyRow(row.data(), row.size());
        } else {
            ApplyByPoints(surface, table, y);
        }
        if (!afterRow(y)) return PassResult::Cancelled;
    }
    return PassResult::Completed;
}

PassResult RunCorrectionPass(PixelBuffer& picture, const Levels& levels, const AfterRow& afterRow) {
    const SampleLevels rule(levels, picture.GetLayout());
    for (int y = 0; y < picture.Height(); ++y) {
        rule.ApplyRow(picture.Bytes(y), picture.Width());
        if (!afterRow(y)) return PassResult::Cancelled;
    }
    return PassResult::Completed;
}

}  // namespace tintwell::engine
