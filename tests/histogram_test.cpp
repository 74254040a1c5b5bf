#include "engine/histogram.h"

#include <gtest/gtest.h>

#include <cmath>

#include "bmp_test_files.h"

namespace tintwell::engine {
namespace {

Histograms CountedByHand(const PixelBuffer& p, const Region& r) {
    Histograms h;
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const std::uint32_t v = p.Row(y)[x];
            ++h.counts[0][RedOf(v)];
            ++h.counts[1][GreenOf(v)];
            ++h.counts[2][BlueOf(v)];
            ++h.pixels;
        }
    }
    return h;
}

struct RegionCase {
    int width, height;
    double margin;
    Region region;
};

class Counted : public ::testing::TestWithParam<RegionCase> {};

TEST_P(Counted, RegionLeavesOutTheBorderAndCountsEveryPixelInIt) {
    const RegionCase& c = GetParam();
    const Region r = CountedRegion(c.width, c.height, c.margin);
    EXPECT_EQ(std::tie(r.left, r.top, r.right, r.bottom),
              std::tie(c.region.left, c.region.top, c.region.right, c.region.bottom));
    if (std::int64_t{c.width} * c.height > 50'000'000) return;
    const PixelBuffer p = tests::Pattern(c.width, c.height);
    const Histograms h = CountHistograms(p, c.margin), want = CountedByHand(p, r);
    EXPECT_EQ(h.pixels, want.pixels);
    EXPECT_EQ(h.counts, want.counts);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Counted,
    ::testing::Values(RegionCase{6000, 4000, 5, {300, 200, 5700, 3800}},  // shared among cores
                      RegionCase{1001, 333, 5, {50, 16, 951, 317}},
                      RegionCase{10, 10, 5, {0, 0, 10, 10}},  // 0.5 rounds down to nothing
                      RegionCase{3, 7, 40, {1, 2, 2, 5}},
                      RegionCase{2, 9, 50, {0, 0, 2, 9}}));  // nothing left: the whole picture

// A file's samples count as the window's 8-bit values would: 16-bit ones as round(v / 257),
// grey in all three channels, alpha in none; whatever the layout, the same as the screen
// picture made of those values, and so the same suggested points.
TEST(Histograms, OfEveryLayoutCountTheEightBitValues) {
    for (const bool grey : {false, true}) {
        for (const bool alpha : {false, true}) {
            for (const int bits : {8, 16}) {
                const Layout layout = FileLayout(grey, alpha, bits);
                PixelBuffer file = *PixelBuffer::Allocate(61, 47, layout);
                PixelBuffer screen = *PixelBuffer::Allocate(61, 47);
                for (int y = 0; y < 47; ++y) {
                    for (int x = 0; x < 61; ++x) {
                        std::array<int, 4> eight{};
                        for (int s = 0; s < layout.samples; ++s) {
                            const int v =
                                (x * 977 + y * 131 + s * 4099) % (bits == 8 ? 256 : 65536);
                            const std::size_t at = static_cast<std::size_t>(x) * layout.samples + s;
                            if (bits == 8) file.Bytes(y)[at] = static_cast<std::uint8_t>(v);
                            if (bits == 16)
                                reinterpret_cast<std::uint16_t*>(file.Bytes(y))[at] =
                                    static_cast<std::uint16_t>(v);
                            eight[s] = bits == 8 ? v : static_cast<int>(std::lround(v / 257.0));
                        }
                        screen.Row(y)[x] = grey ? PackPixel(eight[0], eight[0], eight[0])
                                                : PackPixel(eight[0], eight[1], eight[2]);
                    }
                }
                const Histograms h = CountHistograms(file, 5.0),
                                 want = CountHistograms(screen, 5.0);
                EXPECT_EQ(h.counts, want.counts)
                    << "grey " << grey << ", alpha " << alpha << ", bits " << bits;
                EXPECT_EQ(h.pixels, want.pixels);
            }
        }
    }
}

TEST(Histograms, AfterThePassAreThePassedPicturesAndClippingCountsItsEnds) {
    PixelBuffer p = tests::Pattern(613, 411);
    Levels levels;
    levels.black = {0, 45, 0};  // a negative factor always comes with black point 0
    levels.factor = {255.0f / 254, 255.0f / 135, -51.0f};  // red 253 becomes 254, not white
    const Histograms before = CountHistograms(p, 5);
    p = tests::Corrected(p, levels);
    const Histograms after = CountHistograms(p, 5);
    EXPECT_EQ(Levelled(before, levels).counts, after.counts);
    const Clipping clip = ClippedShares(before, levels);
    for (int c = 0; c < kChannels; ++c) {
        EXPECT_DOUBLE_EQ(clip.toBlack[c], double(after.counts[c][0]) / after.pixels) << c;
        EXPECT_DOUBLE_EQ(clip.toWhite[c], double(after.counts[c][255]) / after.pixels) << c;
    }
    EXPECT_DOUBLE_EQ(clip.toBlack[2], 1.0);  // a negative factor blanks its channel
}

// A histogram with the given counts at the given values, the same in every channel but for the
// offset added to each value in green and blue.
Histograms Made(std::initializer_list<std::pair<int, std::uint64_t>> counts) {
    Histograms h;
    for (auto [value, n] : counts) {
        h.counts[0][value] += n;
        h.counts[1][std::min(255, value + 1)] += n;
        h.counts[2][std::min(255, value + 2)] += n;
        h.pixels += n;
    }
    return h;
}

struct SuggestCase {
    const char* name;
    Histograms histograms;
    double low, high;
    int black, white;  // red's; green's and blue's follow from the offsets
    int greenBlack, greenWhite;
};

class Suggests : public ::testing::TestWithParam<SuggestCase> {};

TEST_P(Suggests, ClipsTheSharesAskedFor) {
    const SuggestCase& c = GetParam();
    const Points p = SuggestPoints(c.histograms, c.low, c.high);
    EXPECT_EQ(p.black[0], c.black);
    EXPECT_EQ(p.white[0], c.white);
    EXPECT_EQ(p.black[1], c.greenBlack);
    EXPECT_EQ(p.white[1], c.greenWhite);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Suggests,
    ::testing::Values(
        // empty ends: the darkest and lightest values present
        SuggestCase{"empty_ends", Made({{20, 500}, {100, 400}, {200, 100}}), 0.1, 0.1, 20, 200, 21,
                    201},
        // 0.1% of 1000 pixels is one pixel: a count of exactly one does not exceed it
        SuggestCase{"tie_at_the_threshold", Made({{3, 1}, {4, 1}, {50, 996}, {250, 1}, {251, 1}}),
                    0.1, 0.1, 4, 250, 5, 251},
        SuggestCase{"one_past_the_threshold", Made({{3, 2}, {50, 996}, {251, 2}}), 0.1, 0.1, 3, 251,
                    4, 252},
        SuggestCase{"no_clip", Made({{0, 1}, {128, 998}, {255, 1}}), 0, 0, 0, 255, 1, 255},
        // one value only: white one above it
        SuggestCase{"one_value", Made({{128, 1000}}), 0.1, 0.1, 128, 129, 129, 130},
        // all at 255: white stays 255 and black goes below it
        SuggestCase{"all_255", Made({{255, 1000}}), 0.1, 0.1, 254, 255, 254, 255},
        SuggestCase{"all_0", Made({{0, 1000}}), 0.1, 0.1, 0, 1, 1, 2},
        // clips that meet: white not above black
        SuggestCase{"clips_meet", Made({{10, 500}, {20, 500}}), 60, 60, 20, 21, 21, 22}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::engine
