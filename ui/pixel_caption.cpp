#include "ui/pixel_caption.h"

namespace tintwell::ui {
namespace {

// A number that is not negative is written with a blank where its sign would be.
void AppendNumber(std::string& out, std::int32_t value) {
    out += ' ';
    out += std::to_string(value);
}

}  // namespace

std::string SampleReadout(const engine::PerChannel<int>& values) {
    std::string readout = "    [ R =";
    AppendNumber(readout, values[0]);
    readout += "  G =";
    AppendNumber(readout, values[1]);
    readout += "  B =";
    AppendNumber(readout, values[2]);
    return readout + " ]";
}

std::string PixelCaption(const std::string& path, std::int32_t colour) {
    // Division truncates toward zero, so -1 gives green and blue 0.
    return "Tintwell - " + path +
           SampleReadout({colour & 255, (colour / 256) & 255, (colour / 65536) & 255});
}

}  // namespace tintwell::ui
