// The negative rule against a reference worked out in long double, sample by sample; each kind
// of layout (grey, mono, alpha) is checked through the files the roll program writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/negative.h"
#include "negative_reference.h"

namespace tintwell::engine {
namespace {

using tests::Agrees;
using tests::Reference;

struct Setting {
    double base, shadow, highlight, contrast;
};

class NegativeRules : public ::testing::TestWithParam<Setting> {};

// Every 16-bit value of a channel, through the scalar rule and the tables of a row.
TEST_P(NegativeRules, GivesTheReferenceForEverySixteenBitValue) {
    const Setting& s = GetParam();
    Negative n;
    n.base = {s.base, s.base, s.base};
    n.shadow = {0, s.shadow, 0};
    n.highlight = {4, s.highlight, 4};
    n.contrast = s.contrast;
    const NegativeRule rule(n, FileLayout(false, false, 16));
    std::vector<std::uint16_t> in(65536 * 3), out(in.size());
    for (std::uint32_t v = 0; v < 65536; ++v) in[v * 3 + 1] = static_cast<std::uint16_t>(v);
    rule.ApplyRow(reinterpret_cast<const std::uint8_t*>(in.data()),
                  reinterpret_cast<std::uint8_t*>(out.data()), 65536);
    int wrong = 0;
    for (std::uint32_t v = 0; v < 65536 && wrong < 5; ++v) {
        const long double exact = Reference(s.base, v, s.shadow, s.highlight, s.contrast);
        const bool scalar = Agrees(NegativeSample(n, 1, v), exact);
        const bool tabled = Agrees(out[v * 3 + 1], exact);
        wrong += !scalar || !tabled;
        EXPECT_TRUE(scalar && tabled)
            << "v " << v << " exact " << static_cast<double>(exact) << " scalar "
            << NegativeSample(n, 1, v) << " table " << out[v * 3 + 1];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, NegativeRules,
    ::testing::Values(Setting{52000, 0.05, 2.1, 2.0},  // a usual one: clamps at both ends
                      Setting{1, 0, 4, 2.0},           // a base of 1: every sample above it
                      Setting{65535, 0, 4, 0.5}, Setting{30000, 1.2, 1.21, 4.0},
                      Setting{40000.5, 0.0, 0.001, 1.0}, Setting{65535, 3.5, 4, 3.3}));

// Densities spread over a picture: the suggestion is each end's 0.1% found by sorting.
TEST(DensitySuggestion, FindsTheDensitiesAtEachEndBySorting) {
    auto picture = *PixelBuffer::Allocate(100, 100, FileLayout(false, false, 16));
    Negative n;
    n.base = {65535, 50000, 30000};
    std::array<std::vector<double>, 3> densities;
    for (int y = 0; y < 100; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(picture.Bytes(y));
        for (int x = 0; x < 300; ++x) {
            const int c = x % 3;
            row[x] = static_cast<std::uint16_t>(40 + (x * 7919 + y * 104729 + c * 31) % 29000);
            densities[c].push_back(std::max(0.0, std::log10(n.base[c] / row[x])));
        }
    }
    const Densities d = SuggestDensities(CountDensities(picture, {0, 0, 100, 100}, n), 0.1, 0.1);
    for (int c = 0; c < 3; ++c) {
        std::sort(densities[c].begin(), densities[c].end());
        // The 11th of 10000 from each end is the first past 0.1%.
        EXPECT_NEAR(d.shadow[c], std::floor(densities[c][10] * 1000) / 1000, 1e-9) << c;
        EXPECT_NEAR(d.highlight[c], std::floor(densities[c][9989] * 1000) / 1000 + 0.001, 1e-9)
            << c;
    }
}

TEST(DensitySuggestion, TakesTheMedianOfTheFramesForTheRoll) {
    const std::vector<Densities> frames = {{{0.1, 0.2, 0.3}, {1.0, 1.1, 1.2}},
                                           {{0.3, 0.1, 0.2}, {2.0, 1.3, 0.15}},
                                           {{0.2, 0.3, 0.1}, {1.5, 0.9, 0.1}}};
    const Densities roll = RollDensities(frames);
    EXPECT_EQ(roll.shadow, (PerChannel<double>{0.2, 0.2, 0.2}));
    EXPECT_EQ(roll.highlight[0], 1.5);
    EXPECT_EQ(roll.highlight[1], 1.1);
    EXPECT_NEAR(roll.highlight[2], 0.201, 1e-12);  // a step above its shadow at least
}

}  // namespace
}  // namespace tintwell::engine
