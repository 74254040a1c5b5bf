#include "ui/view_look.h"

#include "engine/pixel.h"

namespace tintwell::ui {

std::shared_ptr<const DrawnRule> DrawnLevels(const engine::Levels& levels) {
    auto table = std::make_shared<const engine::LevelsTable>(levels);
    return std::make_shared<const DrawnRule>(
        [table](std::uint32_t* pixels, std::size_t count) { table->ApplyRow(pixels, count); });
}

void ApplyLook(const Look& look, std::uint32_t* pixels, std::size_t count) {
    if (look.preview) (*look.preview)(pixels, count);
    if (!look.clipping) return;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const std::uint32_t r = engine::RedOf(p), g = engine::GreenOf(p), b = engine::BlueOf(p);
        if (r == 255 || g == 255 || b == 255) {
            pixels[i] = kClippedWhite;
        } else if (r == 0 || g == 0 || b == 0) {
            pixels[i] = kClippedBlack;
        }
    }
}

}  // namespace tintwell::ui
