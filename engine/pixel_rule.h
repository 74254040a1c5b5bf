#pragma once

#include <cstdint>

#include "engine/levels.h"

namespace tintwell::engine {

// One channel value stretched by its black point and factor: the product is exact in double
// precision, rounded to the nearest integer with ties to even, and clamped to 0..255.
std::uint8_t LevelChannel(int value, std::int16_t black, float factor);

// The rule for one colour 0x00BBGGRR; the result is a colour in the same layout.
std::uint32_t ApplyLevels(std::uint32_t colour, const Levels& levels);

}  // namespace tintwell::engine
