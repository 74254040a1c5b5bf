#include "engine/correction_pass.h"

#include <gtest/gtest.h>

#include <vector>

#include "bmp_test_files.h"
#include "engine/pixel.h"
#include "engine/pixel_rule.h"
#include "fake_platform.h"

namespace tintwell::engine {
namespace {

const Levels kLevels = [] {
    Levels l;
    l.black = {10, 45, 80};
    l.factor = {255.0f / 65, 255.0f / 135, 255.0f / 130};
    return l;
}();

std::uint32_t Expected(std::uint32_t pixel) {
    return ColourToPixel(ApplyLevels(PixelToColour(pixel), kLevels));
}

// Reaches pixels one at a time only, like a surface that keeps its picture elsewhere.
class PointOnlySurface : public BufferSurface {
public:
    using BufferSurface::BufferSurface;
    std::span<std::uint32_t> Row(int) override { return {}; }
};

struct CancelCase {
    int width, height;
    int cancelAfterRow;  // -1: never
};

class CorrectionPass : public ::testing::TestWithParam<std::tuple<CancelCase, bool>> {};

TEST_P(CorrectionPass, CorrectsRowsUpToTheCancelAndNoFurther) {
    const auto& [c, pointOnly] = GetParam();
    const PixelBuffer original = tests::Pattern(c.width, c.height);
    PixelBuffer picture = tests::Pattern(c.width, c.height);
    BufferSurface rows(picture);
    PointOnlySurface points(picture);
    Surface& surface = pointOnly ? static_cast<Surface&>(points) : rows;

    tests::FakePlatform platform;
    bool cancelRequested = false;
    platform.onYield = [&](int yieldNumber) {
        if (yieldNumber - 1 == c.cancelAfterRow) cancelRequested = true;
    };

    const PassResult result = RunCorrectionPass(surface, kLevels, platform, cancelRequested);

    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {c.width, 0}, {0, c.height}})
        EXPECT_EQ(surface.Point(x, y), -1) << "off the picture at " << x << "," << y;
    const bool cancels = c.cancelAfterRow >= 0;
    EXPECT_EQ(result, cancels ? PassResult::Cancelled : PassResult::Completed);
    EXPECT_FALSE(cancelRequested);
    const int rowsDone = cancels ? c.cancelAfterRow + 1 : c.height;
    EXPECT_EQ(platform.yields, rowsDone);
    for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
            const std::uint32_t in = original.Row(y)[x];
            ASSERT_EQ(picture.Row(y)[x], y < rowsDone ? Expected(in) : in) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CorrectionPass,
    ::testing::Combine(::testing::Values(CancelCase{37, 11, -1}, CancelCase{37, 11, 0},
                                         CancelCase{37, 11, 4}, CancelCase{37, 11, 10},
                                         CancelCase{1, 9, -1}, CancelCase{9, 1, -1},
                                         CancelCase{1, 1, 0}),
                       ::testing::Bool()));

TEST(CorrectionPassSize, StaleRequestBeforeThePassStopsItAfterTheFirstRow) {
    PixelBuffer picture = tests::Pattern(3, 3);
    BufferSurface surface(picture);
    tests::FakePlatform platform;
    bool cancelRequested = true;  // the caller clears it; the pass itself does not
    EXPECT_EQ(RunCorrectionPass(surface, kLevels, platform, cancelRequested),
              PassResult::Cancelled);
    EXPECT_EQ(platform.yields, 1);
}

}  // namespace
}  // namespace tintwell::engine
