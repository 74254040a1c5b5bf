#pragma once

#include <cstdint>
#include <string>

#include "engine/levels.h"

namespace tintwell::ui {

// The window title that shows a pixel's values behind the picture's path:
// "Tintwell - C:\x.bmp    [ R = 12  G = 34  B = 56 ]". The colour is 0x00BBGGRR, or -1 for a
// point outside the picture (which reads as R 255, G 0, B 0).
std::string PixelCaption(const std::string& path, std::int32_t colour);

// The readout alone, "    [ R = 12  G = 34  B = 56 ]", of any values (16-bit ones too).
std::string SampleReadout(const engine::PerChannel<int>& values);

}  // namespace tintwell::ui
