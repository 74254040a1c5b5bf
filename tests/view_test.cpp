// The picture view's rules without a window: where a pointer lands in the picture, the fit and
// the zoom ladder, and what the view draws at each zoom against a reference worked out here.
#include <gtest/gtest.h>

#include <cmath>

#include "bmp_test_files.h"
#include "engine/pixel.h"
#include "ui/reduced_view.h"
#include "ui/view_mapping.h"
#include "ui/view_render.h"

namespace tintwell::ui {
namespace {

struct PointCase {
    double zoom, dpr;
    QPointF viewport;
    QPoint scroll, pixel;
};

class PointerLands : public ::testing::TestWithParam<PointCase> {};

TEST_P(PointerLands, OnThePictureOfItsDevicePixel) {
    const PointCase& c = GetParam();
    EXPECT_EQ(PictureAt(c.viewport, c.scroll, c.zoom, c.dpr, QSize(4000, 3000)), c.pixel);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PointerLands,
    ::testing::Values(
        PointCase{1, 1, {13, 7}, {0, 0}, {13, 7}}, PointCase{1, 1, {13.9, 7.9}, {0, 0}, {13, 7}},
        PointCase{1, 2, {6.5, 3.5}, {0, 0}, {13, 7}},  // one device pixel each
        PointCase{1, 2, {6.9, 3.9}, {100, 0}, {213, 7}}, PointCase{16, 1, {40, 17}, {0, 0}, {2, 1}},
        PointCase{16, 1, {40, 17}, {100, 50}, {8, 4}}, PointCase{16, 2, {40, 17}, {0, 0}, {5, 2}},
        PointCase{2.5, 1, {2, 4}, {0, 0}, {1, 1}},  // centre 2.5 is pixel 1's edge
        PointCase{2.5, 1, {5, 1}, {0, 0}, {2, 0}}, PointCase{2.5, 2, {2, 0.5}, {0, 0}, {1, 0}},
        PointCase{1.0 / 3, 1, {10, 0}, {0, 0}, {31, 1}},
        PointCase{1.0 / 3, 2, {10, 0}, {5, 0}, {91, 1}},
        PointCase{1.0 / 64, 1, {2, 0}, {0, 0}, {160, 32}},
        PointCase{1.0 / 64, 2, {1, 0.25}, {0, 0}, {160, 32}},
        PointCase{1, 1, {4000, 5}, {0, 0}, {-1, -1}},  // off the picture
        PointCase{1, 1, {-1, 5}, {0, 0}, {-1, -1}},
        PointCase{1.0 / 64, 1, {63, 0}, {0, 0}, {-1, -1}}));

// Fitted whole, never enlarged; then along the ladder of stops.
TEST(Zoom, FitsWithoutEnlargingAndStepsAlongTheLadder) {
    EXPECT_DOUBLE_EQ(FitZoom({1600, 1300}, {1278, 973}, 1), 973.0 / 1300);
    EXPECT_DOUBLE_EQ(FitZoom({300, 200}, {1000, 800}, 2), 1.0);
    EXPECT_DOUBLE_EQ(StepZoom(1, 1), 1.5);
    EXPECT_DOUBLE_EQ(StepZoom(1, -1), 2.0 / 3);
    EXPECT_DOUBLE_EQ(StepZoom(1, 3), 3);
    EXPECT_DOUBLE_EQ(StepZoom(0.7, 1), 1);  // between two stops: the next one that way
    EXPECT_DOUBLE_EQ(StepZoom(0.7, -1), 2.0 / 3);
    EXPECT_DOUBLE_EQ(StepZoom(16, 1), 16);
    EXPECT_DOUBLE_EQ(StepZoom(1.0 / 64, -1), 1.0 / 64);
    EXPECT_DOUBLE_EQ(StepZoom(StepZoom(1, -12), 12), 1);
    EXPECT_EQ(ScrollKeeping({100, 50}, {0, 0}, 1, 2), QPoint(100, 50));
    EXPECT_EQ(ScrollKeeping({100, 50}, {30, 0}, 2, 1), QPoint(-35, -25));
}

// A device pixel's colour worked out straight from the picture: the average of the picture
// pixels it covers, each weighted by the area it covers.
std::array<double, 3> AreaAverage(const engine::PixelBuffer& p, double zoom, int dx, int dy) {
    const double x0 = dx / zoom, y0 = dy / zoom;
    const double x1 = std::min((dx + 1) / zoom, double(p.Width()));
    const double y1 = std::min((dy + 1) / zoom, double(p.Height()));
    std::array<double, 3> sum{};
    for (int y = int(y0); y < y1; ++y) {
        for (int x = int(x0); x < x1; ++x) {
            const double w = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                             (std::min(y1, y + 1.0) - std::max(y0, double(y)));
            const std::uint32_t v = p.Row(y)[x];
            sum[0] += w * engine::RedOf(v);
            sum[1] += w * engine::GreenOf(v);
            sum[2] += w * engine::BlueOf(v);
        }
    }
    for (double& s : sum) s /= (x1 - x0) * (y1 - y0);
    return sum;
}

// Smooth, and different in each channel: where a reduced level stands in for the picture, the
// average comes out as the exact one to within rounding.
engine::PixelBuffer Gradient(int width, int height) {
    engine::PixelBuffer p = *engine::PixelBuffer::Allocate(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            p.Row(y)[x] = engine::PackPixel(x * 255 / width, y * 255 / height,
                                            (x + 2 * y) * 255 / (width + 2 * height));
        }
    }
    return p;
}

std::vector<std::uint32_t> Render(const engine::PixelBuffer& picture, double zoom, double dpr,
                                  DeviceRect& rect) {
    ReducedView reduced;
    reduced.Rebuild(picture);
    const QSize view = ViewSize({picture.Width(), picture.Height()}, zoom, dpr);
    // Away from the view's top left corner, as a paint of part of it asks.
    rect = {7, 5, std::min(400, int(view.width() * dpr) - 7),
            std::min(300, int(view.height() * dpr) - 5)};
    std::vector<std::uint32_t> out(std::size_t(rect.width) * rect.height);
    RenderView(picture, reduced, zoom, rect, out.data(), rect.width, 0xFF123456);
    return out;
}

class Drawn : public ::testing::TestWithParam<std::tuple<double, double>> {};

TEST_P(Drawn, IsThePixelUnderThePointerOrTheAreaAverage) {
    const auto [zoom, dpr] = GetParam();
    // Down to 50% the picture itself is averaged, exactly: a busy pattern shows any other level.
    const engine::PixelBuffer picture = zoom >= 0.5 ? tests::Pattern(301, 203) : Gradient(901, 603);
    const QSize size(picture.Width(), picture.Height());
    DeviceRect rect;
    const std::vector<std::uint32_t> out = Render(picture, zoom, dpr, rect);
    double error = 0;  // the sum of the averaged channels' errors: rounding must not lean
    int averaged = 0;
    for (int dy = 0; dy < rect.height; ++dy) {
        for (int dx = 0; dx < rect.width; ++dx) {
            const std::uint32_t shown = out[std::size_t(dy) * rect.width + dx];
            const int x = rect.x + dx, y = rect.y + dy;
            const QPoint at = PictureAt({(x + 0.5) / dpr, (y + 0.5) / dpr}, {}, zoom, dpr, size);
            if (at.x() < 0 || at.y() < 0) {
                ASSERT_EQ(shown, 0xFF123456u) << x << "," << y;
            } else if (zoom >= 1) {
                ASSERT_EQ(shown, picture.Row(at.y())[at.x()]) << x << "," << y;
            } else {
                const auto want = AreaAverage(picture, zoom, x, y);
                const std::array<int, 3> got{int(engine::RedOf(shown)), int(engine::GreenOf(shown)),
                                             int(engine::BlueOf(shown))};
                for (int c = 0; c < 3; ++c) {
                    ASSERT_NEAR(got[c], want[c], 2) << x << "," << y << " channel " << c;
                    error += got[c] - want[c];
                    ++averaged;
                }
            }
        }
    }
    if (averaged > 0) {
        EXPECT_NEAR(error / averaged, 0.0, 0.25);
    }
}

INSTANTIATE_TEST_SUITE_P(Zooms, Drawn,
                         ::testing::Combine(::testing::Values(1.0 / 64, 1.0 / 3, 0.7, 1.0, 2.5,
                                                              16.0),
                                            ::testing::Values(1.0, 2.0)));

TEST(ReducedView, KeptInStepRowRangeByRowRangeIsAsIfBuiltAfresh) {
    engine::PixelBuffer picture = tests::Pattern(517, 333);
    ReducedView kept;
    kept.Rebuild(picture);
    ASSERT_EQ(kept.Count(), 4);  // 259 x 167, 130 x 84, 65 x 42, 33 x 21
    for (const auto& [first, last] : {std::pair{0, 15}, std::pair{16, 16}, std::pair{101, 332}}) {
        for (int y = first; y <= last; ++y) {
            for (int x = 0; x < picture.Width(); ++x) picture.Row(y)[x] ^= 0x00A5C3E1;
        }
        kept.Update(picture, first, last);
    }
    ReducedView fresh;
    fresh.Rebuild(picture);
    for (int k = 1; k <= kept.Count(); ++k) {
        EXPECT_TRUE(tests::SamePicture(kept.Level(k), fresh.Level(k))) << "level " << k;
    }
}

}  // namespace
}  // namespace tintwell::ui
