#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "engine/levels.h"

namespace tintwell::engine {

// The pixel rule for one set of levels, worked out once for every channel value: each output
// channel depends only on its own input value, so three 256-entry tables give the whole rule.
class LevelsTable {
public:
    explicit LevelsTable(const Levels& levels);

    // Applies the levels in place to `count` stored pixels (0xFFRRGGBB).
    void ApplyRow(std::uint32_t* row, std::size_t count) const;
    // The same, one pixel at a time, without any vector instructions.
    void ApplyRowScalar(std::uint32_t* row, std::size_t count) const;

    // The stretched value of one channel value.
    std::uint8_t Lookup(Channel channel, std::uint8_t value) const;

private:
    // Entries are pre-shifted to the channel's place in a stored pixel; blue carries the
    // opaque top byte, so three lookups and two ors make the new pixel.
    alignas(64) std::array<std::uint32_t, 256> m_red{};
    alignas(64) std::array<std::uint32_t, 256> m_green{};
    alignas(64) std::array<std::uint32_t, 256> m_blue{};
};

}  // namespace tintwell::engine
