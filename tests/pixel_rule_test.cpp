#include "engine/pixel_rule.h"

#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <cmath>
#include <vector>

#include "engine/levels_table.h"
#include "engine/pixel.h"

namespace tintwell::engine {
namespace {

// An independent statement of the rule: exact product, ties to even by hand, clamp.
int ReferenceChannel(int value, int black, float factor) {
    const long double product = static_cast<long double>(factor) * (value - black);
    long double rounded = std::floor(product);
    const long double fraction = product - rounded;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(rounded, 2.0L) != 0)) rounded += 1;
    if (rounded < 0) return 0;
    if (rounded > 255) return 255;
    return static_cast<int>(rounded);
}

Levels MakeLevels(PerChannel<int> black, PerChannel<float> factor) {
    Levels levels;
    for (int c = 0; c < kChannels; ++c) {
        levels.black[c] = static_cast<std::int16_t>(black[c]);
        levels.factor[c] = factor[c];
    }
    return levels;
}

const Levels kDefaults = MakeLevels({10, 45, 80}, {255.0f / 65, 255.0f / 135, 255.0f / 130});

// Every value in every channel, with channels that differ within each pixel so that a swapped
// table shows.
std::vector<std::uint32_t> SpreadRow() {
    std::vector<std::uint32_t> row(256 * 3);
    for (std::uint32_t v = 0; v < 256; ++v) {
        row[3 * v + 0] = PackPixel(v, 255 - v, (v * 7) & 255);
        row[3 * v + 1] = PackPixel((v * 13) & 255, v, 255 - v);
        row[3 * v + 2] = PackPixel(255 - v, (v * 5) & 255, v);
    }
    return row;
}

// The tables must give exactly the rule for every value of every channel, whatever the levels.
class TableMatchesRule : public ::testing::TestWithParam<Levels> {};

TEST_P(TableMatchesRule, EveryChannelValue) {
    const Levels& levels = GetParam();
    const LevelsTable table(levels);
    const std::vector<std::uint32_t> original = SpreadRow();
    std::vector<std::uint32_t> row = original;
    std::vector<std::uint32_t> scalar = original;
    table.ApplyRow(row.data(), row.size());
    table.ApplyRowScalar(scalar.data(), scalar.size());
    EXPECT_EQ(row, scalar);
    for (std::size_t i = 0; i < row.size(); ++i) {
        const std::uint32_t in = original[i];
        const PerChannel<int> want{ReferenceChannel(RedOf(in), levels.black[0], levels.factor[0]),
                                   ReferenceChannel(GreenOf(in), levels.black[1], levels.factor[1]),
                                   ReferenceChannel(BlueOf(in), levels.black[2], levels.factor[2])};
        ASSERT_EQ(row[i], PackPixel(want[0], want[1], want[2])) << "pixel " << i;
        ASSERT_EQ(ApplyLevels(PixelToColour(in), levels), PixelToColour(row[i]));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Spread, TableMatchesRule,
    ::testing::Values(kDefaults, MakeLevels({0, 0, 0}, {1.0f, 1.0f, 1.0f}),
                      MakeLevels({0, 0, 0}, {1.5f, 1.5f, 1.5f}),
                      MakeLevels({0, 7, 255}, {-51.0f, -0.5f, -1e30f}),
                      MakeLevels({9, 100, 254}, {255.0f, 170.0f, 510.0f}),
                      MakeLevels({2, 200, 3}, {170.0f, 255.0f / 55, 255.0f / 252.5f}),
                      MakeLevels({128, 1, 64}, {255.0f / 127, 255.0f / 254, 255.0f / 191}),
                      MakeLevels({0, 0, 0}, {0.0f, 1e-6f, 3.4e38f})));

// Settled spans (white - black) of 1 to 510, i.e. factors from 255 down to 0.5 with their exact
// ties, at black points from 0 to 255 that differ per channel, and negative factors: the vector
// form must equal the tables under every vector unit here and without one, and be the one used
// nearly always.
TEST(VectorPass, EqualsTheTablesUnderEveryTarget) {
    std::vector<Levels> spread;
    for (int span = 1; span <= 510; ++span) {
        const auto factor = [](int s) { return static_cast<float>(255.0 / s); };
        spread.push_back(MakeLevels({0, span * 7 % 256, 255},
                                    {factor(span), factor(511 - span), factor(span % 97 + 1)}));
    }
    spread.push_back(MakeLevels({0, 0, 0}, {-51.0f, -0.5f, 3.4e38f}));
    std::vector<std::uint32_t> original = SpreadRow();
    original.pop_back();  // a row that ends part-way through a vector
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        std::size_t vectored = 0;
        for (const Levels& levels : spread) {
            const LevelsTable table(levels);
            std::vector<std::uint32_t> row = original, scalar = original;
            table.ApplyRow(row.data(), row.size());
            table.ApplyRowScalar(scalar.data(), scalar.size());
            ASSERT_EQ(row, scalar) << hwy::TargetName(target) << " black " << levels.black[1];
            vectored += table.IsVectored();
        }
        EXPECT_GE(vectored, HasVectorUnit() ? spread.size() * 9 / 10 : 0);
        EXPECT_EQ(vectored > 0, HasVectorUnit()) << hwy::TargetName(target);
    }
    hwy::SetSupportedTargetsForTest(0);
}

}  // namespace
}  // namespace tintwell::engine
