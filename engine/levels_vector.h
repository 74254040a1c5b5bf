#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/levels.h"

namespace tintwell::engine {

// One channel's stretch in 16-bit fixed point: out = min(255, d·whole + d·fraction / 65536)
// with d = value − black (0 below it), rounded half to even.
struct FixedChannel {
    std::uint16_t black = 0;
    std::uint16_t whole = 0;
    std::uint16_t fraction = 0;
};

// The three channels in stored byte order (blue, green, red); the top byte is made opaque.
using FixedLevels = std::array<FixedChannel, 3>;

// The fixed-point form of `levels` that gives, for all 256 values of every channel, what
// `expected` (red, green and blue output per input value) says; none when no such form was
// found or when the processor has no vector unit.
std::optional<FixedLevels> FitFixedLevels(
    const Levels& levels, const PerChannel<std::array<std::uint8_t, 256>>& expected);

// Applies the fixed-point levels in place to `count` stored pixels, with vector instructions.
void ApplyFixedRow(const FixedLevels& levels, std::uint32_t* row, std::size_t count);

// Whether ApplyFixedRow has a vector unit to run on.
bool HasVectorUnit();

}  // namespace tintwell::engine
