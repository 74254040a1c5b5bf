#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/levels.h"
#include "engine/levels16_vector.h"
#include "engine/levels_table.h"
#include "engine/pixel_buffer.h"

namespace tintwell::engine {

// The levels for rows of any layout: red, green and blue samples by their channel's settings,
// grey samples by red's (the caller makes sure that the three agree), alpha and padding left as
// they are; 8-bit samples by the window's rule, 16-bit ones by its 16-bit form. The rule is
// worked out once for every sample value; the vector forms are used only where they give
// exactly that for every value of every channel.
class SampleLevels {
public:
    SampleLevels(const Levels& levels, const Layout& layout);

    void ApplyRow(std::uint8_t* row, int width) const;
    // The same without vector instructions.
    void ApplyRowScalar(std::uint8_t* row, int width) const;
    bool IsVectored() const;

private:
    void ApplyTables(std::uint8_t* row, int width) const;
    bool FitVector16();

    Layout m_layout;
    std::optional<LevelsTable> m_screen;   // the screen layout's own tables and vector form
    std::array<int, 4> m_channel{};        // the channel each place in a pixel takes; -1 none
    std::vector<std::uint8_t> m_table8;    // 256 values per channel
    std::vector<std::uint16_t> m_table16;  // 65536 values per channel
    std::optional<Levels16> m_vector16;
};

}  // namespace tintwell::engine
