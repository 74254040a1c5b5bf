#include <gtest/gtest.h>

#include "bmp_test_files.h"
#include "document/bmp/reader.h"
#include "document/intake.h"
#include "document/reason.h"

namespace tintwell::document {
namespace {

using tests::BmpFile;

std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t at,
                                  std::uint32_t v) {
    tests::Put32(bytes, at, v);
    return bytes;
}

Result<engine::PixelBuffer> Decode(const std::vector<std::uint8_t>& bytes) {
    MemorySource source(bytes);
    return DecodeBmp(source);
}

// A 4 x 2 RLE8 picture: an absolute run and a run, end of line, a delta that skips a pixel, a
// run, and an end of line right after the last row (as encoders write it), then the end of the
// picture.
std::vector<std::uint8_t> Rle8File() {
    const std::vector<std::uint8_t> data = {0, 3, 1, 2, 3, 0, 1, 1, 0, 0,
                                            0, 2, 1, 0, 2, 3, 0, 0, 0, 1};
    return BmpFile(4, 2, 8, 1, {0x000000, 0x0000FF, 0x00FF00, 0xFF0000}, data);
}

struct CutCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::size_t trailingPadding;  // what a file may leave out: last row's padding, end marker
};

class EveryTruncation : public ::testing::TestWithParam<CutCase> {};

TEST_P(EveryTruncation, IsRefusedWhileTheWholeFileReads) {
    // No file size in the header, so that the pixel data itself must show the cut.
    const std::vector<std::uint8_t> whole = Patched(GetParam().bytes, 2, 0);
    ASSERT_TRUE(Decode(whole).Ok());
    for (std::size_t length = 0; length < whole.size(); ++length) {
        if (length >= whole.size() - GetParam().trailingPadding) {
            EXPECT_TRUE(Decode({whole.begin(), whole.begin() + static_cast<long>(length)}).Ok());
            continue;
        }
        const std::vector<std::uint8_t> cut(whole.begin(),
                                            whole.begin() + static_cast<long>(length));
        auto picture = Decode(cut);
        EXPECT_FALSE(picture.Ok()) << "cut to " << length << " bytes";
    }
}

std::vector<std::uint8_t> Rgb24File() {
    std::vector<std::uint8_t> rows;
    for (int i = 0; i < 3 * 8; ++i) rows.push_back(static_cast<std::uint8_t>(i * 9));
    return BmpFile(2, 3, 24, 0, {}, rows);  // rows of 6 bytes padded to 8
}

INSTANTIATE_TEST_SUITE_P(Files, EveryTruncation,
                         ::testing::Values(CutCase{"rgb24", Rgb24File(), 2},
                                           CutCase{"rle8", Rle8File(), 2}),
                         [](const auto& info) { return std::string(info.param.name); });

struct RefusalCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    const char* reason;
};

// Made here where the BMP Suite has no file of the kind: its bad files (a picture too large, an
// index past the palette, a compressed picture stored top-down, no planes) are refused in its
// own test.
class Refuses : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refuses, ForItsReason) {
    auto picture = Decode(GetParam().bytes);
    ASSERT_FALSE(picture.Ok());
    EXPECT_EQ(Reason(picture.Failure()), GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refuses,
    ::testing::Values(
        RefusalCase{"empty", {}, "the file is too short to be a bitmap"},
        RefusalCase{"not_a_bitmap",
                    {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                    "it is not a bitmap file"},
        RefusalCase{"big_claim_small_file", BmpFile(20000, 20000, 24, 0, {}, {1, 2, 3}),
                    "its pixel data is shorter than the picture (truncated)"},
        RefusalCase{"rle_run_past_row", BmpFile(2, 1, 8, 1, {0, 0}, {3, 0, 0, 1}),
                    "its compressed data runs past the picture"},
        RefusalCase{"rle_delta_past_picture", BmpFile(2, 1, 8, 1, {0, 0}, {0, 2, 0, 2, 0, 1}),
                    "its compressed data runs past the picture"},
        RefusalCase{"rle_no_end", BmpFile(2, 2, 8, 1, {0, 0}, {2, 0, 0, 0}),
                    "its compressed data ends before the picture does (truncated)"},
        RefusalCase{"negative_data_offset", Patched(Rgb24File(), 10, 20),
                    "its pixel data would start inside its header"},
        RefusalCase{"offset_past_end", Patched(Rgb24File(), 10, 5000),
                    "the file ends before its pixel data"},
        RefusalCase{"zero_height", BmpFile(2, 0, 24, 0, {}, {}), "its height is zero"},
        RefusalCase{"one_byte_short_of_its_size", Patched(Rgb24File(), 2, 54 + 24 + 1),
                    "the file is shorter than its header says (truncated)"},
        RefusalCase{"bit_fields_with_a_gap",
                    Patched(BmpFile(1, 1, 16, 3, {0x0505, 0x00F0, 0xF000}, {0, 0, 0, 0}), 46, 0),
                    "a colour channel's bits are not contiguous"},
        // three colours claimed, two before the pixels: index 2 is past the palette
        RefusalCase{"palette_into_the_pixels",
                    Patched(BmpFile(1, 1, 8, 0, {0x10, 0x20}, {2, 0, 0, 0}), 46, 3),
                    "a pixel's colour index lies past the end of its palette"},
        RefusalCase{"bit_fields_shared",
                    Patched(BmpFile(1, 1, 16, 3, {0x00FF, 0x0F00, 0x0F00}, {0, 0, 0, 0}), 46, 0),
                    "colour channels share bits"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tintwell::document
