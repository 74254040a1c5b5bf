#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "engine/levels.h"
#include "engine/levels_vector.h"

namespace tintwell::engine {

// The pixel rule for one set of levels, worked out once for every channel value: each output
// channel depends only on its own input value, so three 256-entry tables give the whole rule.
class LevelsTable {
public:
    explicit LevelsTable(const Levels& levels);

    // Whether ApplyRow runs on the vector unit (else through the tables).
    bool IsVectored() const { return m_fixed.has_value(); }

    // Applies the levels in place to `count` stored pixels (0xFFRRGGBB).
    void ApplyRow(std::uint32_t* row, std::size_t count) const;
    // The same through the tables, one pixel at a time, without any vector instructions.
    void ApplyRowScalar(std::uint32_t* row, std::size_t count) const;

    // The stretched value of one channel value.
    std::uint8_t Lookup(Channel channel, std::uint8_t value) const;

private:
    // Entries are pre-shifted to the channel's place in a stored pixel; blue carries the
    // opaque top byte, so three lookups and two ors make the new pixel.
    alignas(64) std::array<std::uint32_t, 256> m_red{};
    alignas(64) std::array<std::uint32_t, 256> m_green{};
    alignas(64) std::array<std::uint32_t, 256> m_blue{};
    // The same rule in vector fixed point, when it gives exactly the tables' values.
    std::optional<FixedLevels> m_fixed;
};

}  // namespace tintwell::engine
