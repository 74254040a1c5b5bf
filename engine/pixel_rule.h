#pragma once

#include <cstdint>

#include "engine/levels.h"

namespace tintwell::engine {

// One channel value stretched by its black point and factor: the product is exact in double
// precision, rounded to the nearest integer with ties to even, and clamped to 0..255.
std::uint8_t LevelChannel(int value, std::int16_t black, float factor);

// The same rule on a 16-bit sample, with the black point on the 0..255 scale: the sample
// becomes clamp(round_half_even(factor × (value − 257·black)), 0, 65535), exact in double, so
// that a value 257·u gives 257 times the 8-bit product of u before rounding.
std::uint16_t LevelSample16(int value, std::int16_t black, float factor);

// The rule for one colour 0x00BBGGRR; the result is a colour in the same layout.
std::uint32_t ApplyLevels(std::uint32_t colour, const Levels& levels);

}  // namespace tintwell::engine
