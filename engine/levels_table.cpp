#include "engine/levels_table.h"

#include "engine/pixel.h"
#include "engine/pixel_rule.h"

namespace tintwell::engine {

LevelsTable::LevelsTable(const Levels& levels) {
    PerChannel<std::array<std::uint8_t, 256>> rule{};
    for (int c = 0; c < kChannels; ++c) {
        for (int v = 0; v < 256; ++v)
            rule[c][v] = LevelChannel(v, levels.black[c], levels.factor[c]);
    }
    for (std::size_t v = 0; v < 256; ++v) {
        m_red[v] = std::uint32_t{rule[0][v]} << 16;
        m_green[v] = std::uint32_t{rule[1][v]} << 8;
        m_blue[v] = kOpaque | rule[2][v];
    }
    m_fixed = FitFixedLevels(levels, rule);
}

void LevelsTable::ApplyRowScalar(std::uint32_t* row, std::size_t count) const {
    for (std::size_t x = 0; x < count; ++x) {
        const std::uint32_t p = row[x];
        row[x] = m_red[RedOf(p)] | m_green[GreenOf(p)] | m_blue[BlueOf(p)];
    }
}

void LevelsTable::ApplyRow(std::uint32_t* row, std::size_t count) const {
    if (m_fixed) {
        ApplyFixedRow(*m_fixed, row, count);
    } else {
        ApplyRowScalar(row, count);
    }
}

std::uint8_t LevelsTable::Lookup(Channel channel, std::uint8_t value) const {
    switch (channel) {
        case Channel::Red:
            return static_cast<std::uint8_t>(RedOf(m_red[value]));
        case Channel::Green:
            return static_cast<std::uint8_t>(GreenOf(m_green[value]));
        case Channel::Blue:
            return static_cast<std::uint8_t>(BlueOf(m_blue[value]));
    }
    return 0;
}

}  // namespace tintwell::engine
