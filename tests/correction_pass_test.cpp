#include "engine/correction_pass.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "bmp_test_files.h"
#include "engine/pixel.h"
#include "engine/pixel_rule.h"

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

// How the pass reaches the picture: whole rows of a surface, one pixel at a time, or the
// buffer itself (as for a file of any layout).
enum class Reach { Rows, Points, Buffer };

class CorrectionPass : public ::testing::TestWithParam<std::tuple<CancelCase, Reach>> {};

TEST_P(CorrectionPass, CorrectsRowsUpToTheCancelAndNoFurther) {
    const auto& [c, reach] = GetParam();
    const PixelBuffer original = tests::Pattern(c.width, c.height);
    PixelBuffer picture = tests::Pattern(c.width, c.height);
    BufferSurface rows(picture);
    PointOnlySurface points(picture);
    std::vector<int> told;
    const AfterRow afterRow = [&](int row) {
        told.push_back(row);
        return row != c.cancelAfterRow;
    };

    const PassResult result =
        reach == Reach::Buffer
            ? RunCorrectionPass(picture, kLevels, afterRow)
            : RunCorrectionPass(reach == Reach::Rows ? static_cast<Surface&>(rows)
                                                     : static_cast<Surface&>(points),
                                kLevels, afterRow);

    for (const auto& [x, y] : {std::pair{-1, 0}, {0, -1}, {c.width, 0}, {0, c.height}})
        EXPECT_EQ(rows.Point(x, y), -1) << "off the picture at " << x << "," << y;
    const bool cancels = c.cancelAfterRow >= 0;
    EXPECT_EQ(result, cancels ? PassResult::Cancelled : PassResult::Completed);
    const int rowsDone = cancels ? c.cancelAfterRow + 1 : c.height;
    std::vector<int> inOrder(static_cast<std::size_t>(rowsDone));
    std::iota(inOrder.begin(), inOrder.end(), 0);
    EXPECT_EQ(told, inOrder);
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
                       ::testing::Values(Reach::Rows, Reach::Points, Reach::Buffer)));

}  // namespace
}  // namespace tintwell::engine
