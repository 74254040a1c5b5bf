// The rule on the samples of the screen and of files: every layout, 8 and 16 bits, every value of
// every place in a pixel, against a reference in exact integers; the vector form against the tables
// under every vector unit here.
#include <gtest/gtest.h>

#include <hwy/targets.h>
#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/levels16_vector.h"
#include "engine/levels_table.h"
#include "engine/pixel.h"
#include "engine/pixel_rule.h"
#include "engine/sample_levels.h"

namespace tintwell::engine {
namespace {

Levels MakeLevels(PerChannel<std::int16_t> black, PerChannel<float> factor) {
    return {black, factor};
}

// The rule worked out without floating point: the factor is m·2^e exactly, m an integer of at
// most 24 bits, so the product is (v − scale·black)·m·2^e, rounded half to even by shifting.
int Reference(int value, int black, float factor, int scale, int top) {
    int e = 0;
    const auto m = static_cast<std::int64_t>(std::ldexp(std::frexp(factor, &e), 24));
    e -= 24;
    const std::int64_t p = (value - scale * black) * m;  // below 2^42: the product is p·2^e
    if (p <= 0) return 0;
    if (e >= 0) return e > 20 || (p << e) > top ? top : static_cast<int>(p << e);
    if (-e > 43) return 0;  // below a half
    const std::int64_t q = p >> -e, rest = p - (q << -e), half = std::int64_t{1} << (-e - 1);
    const std::int64_t rounded = q + (rest > half || (rest == half && (q & 1)));
    return rounded > top ? top : static_cast<int>(rounded);
}

const std::vector<Levels> kSettings = {
    MakeLevels({10, 45, 80}, {255.0f / 65, 255.0f / 135, 255.0f / 130}),  // the defaults
    MakeLevels({0, 0, 0}, {1.5f, 1.5f, 1.5f}),                            // every other value a tie
    MakeLevels({9, 100, 254}, {255.0f, 170.0f, 510.0f}),                  // moved black points
    MakeLevels({26, 71, 90}, {255.0f / 58, 255.0f / 95, 255.0f / 112}),
    MakeLevels({2, 200, 3}, {170.0f, 255.0f / 55, 255.0f / 252.5f}),
    MakeLevels({0, 7, 255}, {-51.0f, -0.5f, 3.4e38f}),
    MakeLevels({128, 1, 64}, {1e-6f, 255.0f / 254, 255.0f / 191}),
};

struct LayoutCase {
    const char* name;
    Layout layout;
};

class EverySample : public ::testing::TestWithParam<LayoutCase> {};

// Each place in a pixel runs through every value, offset from the others so that a swap shows,
// in a row that ends part-way through a vector, with and without vectors, under every vector
// unit here. At 16 bits the reference takes black points as 257 times theirs: they mean the
// same at both depths.
TEST_P(EverySample, IsTheRuleOfItsChannel) {
    const Layout& layout = GetParam().layout;
    const int values = layout.bits == 8 ? 256 : 65536;
    const int width = values + 7;  // ending part-way through a vector
    auto picture = *PixelBuffer::Allocate(width, 1, layout);
    auto sample = [&](int x, int s) -> int {
        const std::size_t at = static_cast<std::size_t>(x) * layout.samples + s;
        return layout.bits == 8 ? picture.Bytes(0)[at]
                                : reinterpret_cast<std::uint16_t*>(picture.Bytes(0))[at];
    };
    auto set = [&](int x, int s, int v) {
        const std::size_t at = static_cast<std::size_t>(x) * layout.samples + s;
        if (layout.bits == 8) picture.Bytes(0)[at] = static_cast<std::uint8_t>(v);
        if (layout.bits == 16)
            reinterpret_cast<std::uint16_t*>(picture.Bytes(0))[at] = static_cast<std::uint16_t>(v);
    };
    const int scale = layout.bits == 8 ? 1 : 257, top = values - 1;
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        for (const Levels& levels : kSettings) {
            const SampleLevels rule(levels, layout);
            if (layout.bits == 16) {
                ASSERT_EQ(rule.IsVectored(), HasVector16Unit()) << hwy::TargetName(target);
            }
            for (const bool vector : {true, false}) {
                for (int x = 0; x < width; ++x) {
                    for (int s = 0; s < layout.samples; ++s) set(x, s, (x + s * 7919) % values);
                }
                if (vector) {
                    rule.ApplyRow(picture.Bytes(0), width);
                } else {
                    rule.ApplyRowScalar(picture.Bytes(0), width);
                }
                for (int x = 0; x < width; ++x) {
                    for (int s = 0; s < layout.samples; ++s) {
                        const int in = (x + s * 7919) % values;
                        const Role role = layout.roles[s];
                        const int c = role == Role::Green ? 1 : role == Role::Blue ? 2 : 0;
                        const int want =
                            role == Role::Alpha ? in
                            : role == Role::Opaque
                                ? top
                                : Reference(in, levels.black[c], levels.factor[c], scale, top);
                        ASSERT_EQ(sample(x, s), want)
                            << "sample " << s << " of pixel " << x
                            << (vector ? ", " : ", without vectors, ") << hwy::TargetName(target);
                    }
                }
            }
        }
    }
    hwy::SetSupportedTargetsForTest(0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, EverySample,
                         ::testing::Values(LayoutCase{"screen", kScreenLayout},
                                           LayoutCase{"rgb8", FileLayout(false, false, 8)},
                                           LayoutCase{"rgba8", FileLayout(false, true, 8)},
                                           LayoutCase{"grey8", FileLayout(true, false, 8)},
                                           LayoutCase{"grey_alpha8", FileLayout(true, true, 8)},
                                           LayoutCase{"rgb16", FileLayout(false, false, 16)},
                                           LayoutCase{"rgba16", FileLayout(false, true, 16)},
                                           LayoutCase{"grey16", FileLayout(true, false, 16)},
                                           LayoutCase{"grey_alpha16", FileLayout(true, true, 16)}),
                         [](const auto& info) { return std::string(info.param.name); });

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

// Settled spans (white - black) of 1 to 510, i.e. factors from 255 down to 0.5 with their exact
// ties, at black points from 0 to 255 that differ per channel, and negative factors: the vector
// form must equal the tables under every vector unit here and without one, and be the one used
// nearly always.
TEST(VectorPass, EqualsTheTablesUnderEveryTarget) {
    std::vector<Levels> spread;
    for (int span = 1; span <= 510; ++span) {
        const auto factor = [](int s) { return static_cast<float>(255.0 / s); };
        spread.push_back(MakeLevels({0, static_cast<std::int16_t>(span * 7 % 256), 255},
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
