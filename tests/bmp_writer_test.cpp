#include <gtest/gtest.h>

#include <hwy/targets.h>
#include <random>

#include "bmp_test_files.h"
#include "document/bmp/reader.h"
#include "document/bmp/row_codec.h"
#include "document/bmp/writer.h"
#include "document/reason.h"
#include "temp_dir.h"

namespace tintwell::document {
namespace {

namespace fs = std::filesystem;

class RoundTrip : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(RoundTrip, ReadsBackPixelForPixelAsA24BitBottomUpBitmap) {
    const auto [width, height] = GetParam();
    tests::TempDir dir;
    const engine::PixelBuffer picture = tests::Pattern(width, height);
    ASSERT_TRUE(WriteBmp(picture, dir / "out.bmp").Ok());

    const std::vector<std::uint8_t> bytes = tests::ReadBytes(dir / "out.bmp");
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    EXPECT_EQ(bytes.size(), 54 + rowBytes * static_cast<std::size_t>(height));
    const auto field = [&](int at) {
        return std::size_t{bytes[at]} | std::size_t{bytes[at + 1]} << 8 |
               std::size_t{bytes[at + 2]} << 16;
    };
    EXPECT_EQ(field(2), bytes.size());  // the file's size, which other readers trust
    EXPECT_EQ(field(34), bytes.size() - 54);
    EXPECT_EQ(bytes[28], 24);    // bits per pixel
    EXPECT_EQ(bytes[14], 40);    // header size
    EXPECT_LT(bytes[25], 0x80);  // positive height: bottom-up

    auto back = ReadBmp(dir / "out.bmp");
    ASSERT_TRUE(back.Ok()) << Reason(back.Failure());
    EXPECT_TRUE(tests::SamePicture(back.Value(), picture));
}

INSTANTIATE_TEST_SUITE_P(Sizes, RoundTrip,
                         ::testing::Values(std::pair{1, 1}, std::pair{2, 3}, std::pair{3, 2},
                                           std::pair{4, 1}, std::pair{5, 7}, std::pair{127, 3}));

// Every row length up to a few of the widest vectors, random bytes: the vector conversions give
// what the plain loops give, under every vector unit here, and 24 bits go there and back whole.
TEST(RowCodec, VectorEqualsPlainUnderEveryTarget) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> in(4 * 200);
    for (auto& b : in) b = static_cast<std::uint8_t>(random());
    for (const std::int64_t target : hwy::SupportedAndGeneratedTargets()) {
        hwy::SetSupportedTargetsForTest(target);
        for (std::size_t n = 0; n <= 200; ++n) {
            std::vector<std::uint32_t> pixels(n), plain(n);
            Expand24(in.data(), pixels.data(), n);
            Expand24Scalar(in.data(), plain.data(), n);
            ASSERT_EQ(pixels, plain) << hwy::TargetName(target) << " 24-bit, " << n;
            std::vector<std::uint8_t> back(3 * n + 1, 0xAB), plainBack(3 * n + 1, 0xAB);
            Pack24(pixels.data(), back.data(), n);
            Pack24Scalar(pixels.data(), plainBack.data(), n);
            ASSERT_EQ(back, plainBack) << hwy::TargetName(target) << " back, " << n;
            ASSERT_TRUE(std::equal(back.begin(), back.end() - 1, in.begin()));
            Opaque32(in.data(), pixels.data(), n);
            Opaque32Scalar(in.data(), plain.data(), n);
            ASSERT_EQ(pixels, plain) << hwy::TargetName(target) << " 32-bit, " << n;
        }
    }
    hwy::SetSupportedTargetsForTest(0);
}

}  // namespace
}  // namespace tintwell::document
