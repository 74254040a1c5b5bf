#include "engine/levels_table.h"

#include "engine/pixel.h"
#include "engine/pixel_rule.h"

namespace tintwell::engine {

LevelsTable::LevelsTable(const Levels& levels) {
    for (std::uint32_t v = 0; v < 256; ++v) {
        const int value = static_cast<int>(v);
        m_red[v] = std::uint32_t{LevelChannel(value, levels.black[0], levels.factor[0])} << 16;
        m_green[v] = std::uint32_t{LevelChannel(value, levels.black[1], levels.factor[1])} << 8;
        m_blue[v] = kOpaque | LevelChannel(value, levels.black[2], levels.factor[2]);
    }
}

void LevelsTable::ApplyRowScalar(std::uint32_t* row, std::size_t count) const {
    for (std::size_t x = 0; x < count; ++x) {
        const std::uint32_t p = row[x];
        row[x] = m_red[RedOf(p)] | m_green[GreenOf(p)] | m_blue[BlueOf(p)];
    }
}

void LevelsTable::ApplyRow(std::uint32_t* row, std::size_t count) const {
    ApplyRowScalar(row, count);
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
