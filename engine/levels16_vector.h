#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tintwell::engine {

// The 16-bit rule per place in a pixel of `samples` samples: the black point times 257 and the
// factor, both as doubles. A place the levels leave alone (alpha) has black 0 and factor 1.
struct Levels16 {
    std::array<double, 4> black257{};
    std::array<double, 4> factor{1, 1, 1, 1};
    int samples = 1;
};

// Applies the rule in place to `count` samples (whole pixels) in double-precision vectors:
// clamp(round_half_even(factor × (value − black257)), 0, 65535), which is exact in double.
void ApplyLevels16Row(const Levels16& levels, std::uint16_t* row, std::size_t count);

// Whether ApplyLevels16Row has a vector unit to run on.
bool HasVector16Unit();

}  // namespace tintwell::engine
