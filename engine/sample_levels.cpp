#include "engine/sample_levels.h"

#include <algorithm>

#include "engine/pixel_rule.h"

namespace tintwell::engine {
namespace {

int ChannelOf(Role role) {
    switch (role) {
        case Role::Red:
        case Role::Grey:
            return 0;
        case Role::Green:
            return 1;
        case Role::Blue:
            return 2;
        default:
            return -1;
    }
}

}  // namespace

SampleLevels::SampleLevels(const Levels& levels, const Layout& layout) : m_layout(layout) {
    if (layout == kScreenLayout) {
        m_screen.emplace(levels);
        return;
    }
    for (int s = 0; s < 4; ++s) m_channel[s] = s < layout.samples ? ChannelOf(layout.roles[s]) : -1;
    if (layout.bits == 8) {
        m_table8.resize(3 * 256);
        for (int c = 0; c < kChannels; ++c) {
            for (int v = 0; v < 256; ++v)
                m_table8[c * 256 + v] = LevelChannel(v, levels.black[c], levels.factor[c]);
        }
        return;
    }
    m_table16.resize(3 * 65536);
    for (int c = 0; c < kChannels; ++c) {
        for (int v = 0; v < 65536; ++v)
            m_table16[c * 65536 + v] = LevelSample16(v, levels.black[c], levels.factor[c]);
    }
    Levels16 vector;
    vector.samples = layout.samples;
    for (int s = 0; s < layout.samples; ++s) {
        if (m_channel[s] < 0) continue;
        vector.black257[s] = 257.0 * levels.black[m_channel[s]];
        vector.factor[s] = levels.factor[m_channel[s]];
    }
    m_vector16 = vector;
    if (!FitVector16()) m_vector16.reset();
}

// The vector form over every value in every place of a pixel, against the tables.
bool SampleLevels::FitVector16() {
    if (!HasVector16Unit()) return false;
    const std::size_t samples = static_cast<std::size_t>(m_layout.samples);
    std::vector<std::uint16_t> ramp(65536 * samples);
    for (std::size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<std::uint16_t>(i / samples);
    ApplyLevels16Row(*m_vector16, ramp.data(), ramp.size());
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        const int c = m_channel[i % samples];
        const std::size_t v = i / samples;
        if (ramp[i] != (c < 0 ? v : m_table16[static_cast<std::size_t>(c) * 65536 + v]))
            return false;
    }
    return true;
}

bool SampleLevels::IsVectored() const {
    return m_screen ? m_screen->IsVectored() : m_vector16.has_value();
}

void SampleLevels::ApplyRow(std::uint8_t* row, int width) const {
    if (m_screen) {
        m_screen->ApplyRow(reinterpret_cast<std::uint32_t*>(row), static_cast<std::size_t>(width));
    } else if (m_vector16) {
        ApplyLevels16Row(*m_vector16, reinterpret_cast<std::uint16_t*>(row),
                         static_cast<std::size_t>(width) * m_layout.samples);
    } else {
        ApplyTables(row, width);
    }
}

void SampleLevels::ApplyRowScalar(std::uint8_t* row, int width) const {
    if (m_screen) {
        m_screen->ApplyRowScalar(reinterpret_cast<std::uint32_t*>(row),
                                 static_cast<std::size_t>(width));
    } else {
        ApplyTables(row, width);
    }
}

void SampleLevels::ApplyTables(std::uint8_t* row, int width) const {
    const int samples = m_layout.samples;
    auto apply = [&](auto* p, const auto& table, std::size_t values) {
        for (int x = 0; x < width; ++x, p += samples) {
            for (int s = 0; s < samples; ++s) {
                const int c = m_channel[s];
                if (c >= 0) p[s] = table[static_cast<std::size_t>(c) * values + p[s]];
            }
        }
    };
    if (m_layout.bits == 8) {
        apply(row, m_table8, 256);
    } else {
        apply(reinterpret_cast<std::uint16_t*>(row), m_table16, 65536);
    }
}

}  // namespace tintwell::engine
