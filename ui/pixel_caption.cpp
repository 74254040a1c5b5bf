#include "ui/pixel_caption.h"

namespace tintwell::ui {
namespace {

// A number that is not negative is written with a blank where its sign would be.
void AppendNumber(std::string& out, std::int32_t value) {
    out += ' ';
    out += std::to_string(value);
}

}  // namespace

std::string PixelCaption(const std::string& path, std::int32_t colour) {
    // Division truncates toward zero, so -1 gives green and blue 0.
    const std::int32_t r = colour & 255;
    const std::int32_t g = (colour / 256) & 255;
    const std::int32_t b = (colour / 65536) & 255;
    std::string caption = "Tintwell - ";
    caption += path;
    caption += "    [ R =";
    AppendNumber(caption, r);
    caption += "  G =";
    AppendNumber(caption, g);
    caption += "  B =";
    AppendNumber(caption, b);
    caption += " ]";
    return caption;
}

}  // namespace tintwell::ui
