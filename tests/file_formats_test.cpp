// TIFF and PNG files of every kind the roll program takes, made here with libtiff and libpng:
// each is corrected exactly, in its own kind and with its metadata; the kinds it refuses are
// refused for their reasons; a file whose content is not what its name says is refused.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <cmath>
#include <functional>

#include <zlib.h>
#include "engine/pixel.h"

#include "format_writers.h"
#include "round_trip.h"
#include "tiff_builder.h"

namespace tintwell::tests {
namespace {

// A PNG made byte by byte: a small 16-bit RGB picture with these chunks before and after its
// pixels, each a name, its data and whether its CRC is to be wrong.
struct RawChunk {
    std::string name, data;
    bool badCrc = false;
};

std::string Deflated(const std::string& text) {
    uLongf size = compressBound(text.size());
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(text.data()), text.size(), 9);
    out.resize(size);
    return out;
}

std::string BigEndian(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

void WriteRawPng(const fs::path& path, const std::vector<RawChunk>& before,
                 const std::vector<RawChunk>& after) {
    std::string rows;
    for (int y = 0; y < 4; ++y) {
        rows += '\0';
        for (int i = 0; i < 30; ++i) rows += static_cast<char>(i * 7 + y);
    }
    std::vector<RawChunk> all = {
        {"IHDR", BigEndian(5) + BigEndian(4) + std::string("\x10\x02\0\0\0", 5)}};
    all.insert(all.end(), before.begin(), before.end());
    all.push_back({"IDAT", Deflated(rows)});
    all.insert(all.end(), after.begin(), after.end());
    all.push_back({"IEND", ""});
    std::string file = "\x89PNG\r\n\x1a\n";
    for (const RawChunk& c : all) {
        const std::string body = c.name + c.data;
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(body.data()), body.size()));
        file += BigEndian(static_cast<std::uint32_t>(c.data.size())) + body +
                BigEndian(c.badCrc ? crc ^ 1 : crc);
    }
    WriteBytes(path, std::vector<std::uint8_t>(file.begin(), file.end()));
}

struct FormatCase {
    const char* name;  // the file's name: its ending says its format
    std::function<void(const fs::path&)> make;
    const char* refusal;  // nullptr where it is corrected
};

void PrintTo(const FormatCase& c, std::ostream* out) {
    *out << c.name;
}

class FileFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FileFormat, IsCorrectedInItsOwnKindOrRefused) {
    const FormatCase& c = GetParam();
    TempDir dir;
    fs::create_directory(dir / "out");
    const fs::path file = dir / c.name;
    c.make(file);
    const auto bytes = ReadBytes(file);
    if (c.refusal == nullptr) {
        EXPECT_TRUE(CorrectsExactly(file, dir / "out"));
    } else {
        const std::atomic<bool> stop{false};
        const document::Outcome refused = document::CorrectFile(
            file.string(), engine::CalcFactors({"9", "9", "9"}, {"99", "99", "99"}).levels,
            {file, true}, stop);
        EXPECT_EQ(refused.line, file.string() + ": " + c.refusal);
    }
    EXPECT_EQ(ReadBytes(file), bytes);
}

FormatCase Tiff(const char* name, TiffKind kind, const char* refusal = nullptr) {
    return {name, [=](const fs::path& p) { WriteTiff(p, kind); }, refusal};
}

const TiffKind kWhiteIsZero16{.bits = 16, .samples = 1, .photometric = PHOTOMETRIC_MINISWHITE};

FormatCase Png(const char* name, int bits, int colourType, int interlace) {
    return {name, [=](const fs::path& p) { WritePng(p, bits, colourType, interlace, true); },
            nullptr};
}

FormatCase RawPng(const char* name, std::vector<RawChunk> before, std::vector<RawChunk> after = {},
                  const char* refusal = nullptr) {
    return {name, [=](const fs::path& p) { WriteRawPng(p, before, after); }, refusal};
}

FormatCase RawTiff(const char* name, const RawIfd& metadata, bool bigEndian = false,
                   const char* refusal = nullptr, int strips = -1) {
    return {name,
            [=](const fs::path& p) {
                WriteBytes(p, TiffBuilder(bigEndian).Build(5, 4, metadata, strips));
            },
            refusal};
}

// Rationals whose floating-point form is not exact, a thumbnail, the interoperability directory.
RawIfd ScannerMetadata(bool gps) {
    RawIfd exif{{Rationals(33434, {1, 250}), Rationals(33437, {56, 10}),
                 Text(36867, "2026:12:07 10:11:12"), Longs(40965, {0})}};
    exif.directories[40965] = RawIfd{{Text(1, "R98"), Undefined(2, "0100")}};
    RawIfd main{{Text(271, "A scanner"), Rationals(282, {7999, 2}), Rationals(283, {4000, 1}),
                 Shorts(296, {2}), Rationals(318, {3127, 10000, 3290, 10000}), Longs(513, {0}),
                 Longs(514, {6}), Longs(34665, {0}), Undefined(65000, "a maker's own"),
                 Shorts(280, {0, 0, 0})}};
    main.blocks[513] =
        "\xFF\xD8"
        "thum";
    main.directories[34665] = exif;
    if (gps) {
        main.tags.push_back(Longs(34853, {0}));
        main.directories[34853] =
            RawIfd{{{0, 1, 4, {2, 3, 0, 0}, {}}, Rationals(2, {51, 1, 3012, 100, 0, 1})}};
    }
    return main;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FileFormat,
    ::testing::Values(
        Tiff("rgb16_lzw_predictor_big_endian.tif",
             {.bits = 16, .compression = COMPRESSION_LZW, .predictor = PREDICTOR_HORIZONTAL,
              .bigEndian = true}),
        Tiff("rgb8_deflate_tiles.tiff", {.compression = COMPRESSION_ADOBE_DEFLATE,
                                          .predictor = PREDICTOR_HORIZONTAL, .tiled = true}),
        Tiff("rgba16_planes_in_strips.TIF",
             {.bits = 16, .samples = 4, .extra = EXTRASAMPLE_UNASSALPHA, .separate = true}),
        Tiff("grey_alpha8_associated.tif",
             {.samples = 2, .photometric = PHOTOMETRIC_MINISBLACK, .extra = EXTRASAMPLE_ASSOCALPHA}),
        Tiff("grey16_white_is_zero.tif", kWhiteIsZero16),
        Tiff("rgb16_bigtiff_zstd.tif",
             {.bits = 16,
              .compression =
                  TIFFIsCODECConfigured(COMPRESSION_ZSTD) ? COMPRESSION_ZSTD : COMPRESSION_LZW,
              .bigTiff = true}),
        Tiff("cmyk.tif", {.samples = 4, .photometric = PHOTOMETRIC_SEPARATED},
             "CMYK pictures are not taken; only grey and RGB are"),
        Tiff("signed.tif", {.bits = 16, .format = SAMPLEFORMAT_INT}, "its samples are signed"),
        Tiff("two_extras.tif", {.samples = 5, .extra = EXTRASAMPLE_UNASSALPHA},
             "it has more than one extra sample a pixel"),
        FormatCase{"truncated.tif",
                   [](const fs::path& p) {
                       WriteTiff(p, TiffKind{});
                       fs::resize_file(p, 1500);
                   },
                   "Can not read TIFF directory count"},
        RawTiff("exif_gps_thumbnail_interoperability.tif", ScannerMetadata(true)),
        RawTiff("exif_only_big_endian.tif", ScannerMetadata(false), true),
        RawTiff("fewer_strip_offsets_than_strips.tif", {}, false,
                "its strip tables do not cover the picture: 4 "
                "strips, 2 offsets and 4 byte counts",
                2),
        RawTiff("one_sub_picture.tif", RawIfd{{Longs(330, {8})}}, false,
                "it holds more than one picture; rewriting it would drop the others"),
        RawTiff("profile_past_the_end.tif",
                RawIfd{{RawTag{34675, 7, 200, {}, std::string(200, 'p'), 1u << 20}}}, false,
                "its tag 34675 points past the end of the file"),
        Png("rgb16_interlaced_with_chunks.png", 16, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_ADAM7),
        // Chunks kept as they are, before and after the pixels; unknown ones by their letters.
        RawPng("xmp_of_10_mb_offsets_scale.png",
               {{"iTXt", std::string("XML:com.adobe.xmp\0\x01\0\0\0", 22) +
                             Deflated("<x>" + std::string(10 << 20, 'a') + "</x>")},
                {"oFFs", BigEndian(10) + BigEndian(-20) + '\0'},
                {"sCAL", std::string("\x01" "1.5\0" "2.5", 8)},
                {"pRiv", "public, safe to copy"},
                {"bKGD", std::string("\0\1\0\2\0\3", 6)}},
               {{"tEXt", std::string("Title\0after the pixels", 22)}, {"prIv", "private"}}),
        RawPng("animated.png", {{"acTL", BigEndian(2) + BigEndian(0)}, {"fcTL", std::string(26, 0)}},
               {{"fdAT", std::string(30, 0)}},
               "it is an animated PNG; rewriting it would keep "
               "only its first frame"),
        RawPng("unknown_unsafe_to_copy.png", {{"prIV", "x"}}, {},
               "it has a chunk (prIV) that depends on the pixels "
               "and that this program does not know; rewriting it would drop it"),
        RawPng("unknown_critical.png", {{"Priv", "x"}}, {},
               "it has a chunk (Priv) needed to show it that "
               "this program does not know"),
        RawPng("text_with_a_wrong_crc.png", {{"tEXt", std::string("Title\0roll", 10), true}}, {},
               "tEXt: CRC error"),
        RawPng("private_with_a_wrong_crc.png", {}, {{"prVt", "abc", true}},
               "prVt: CRC error"),
        RawPng("profile_of_nothing.png", {{"iCCP", std::string("scanner\0\0", 9) + Deflated("")}},
               {}, "iCCP: too short"),
        RawPng("profile_not_deflated.png", {{"iCCP", std::string("scanner\0\0garbage", 16)}}, {},
               "its iCCP chunk is damaged (incorrect header "
               "check)"),
        // 100 bytes over the budget in all, counted across two chunks.
        RawPng("text_bomb.png",
               {{"zTXt", std::string("Title\0\0", 7) + Deflated(std::string(100, 't'))},
                {"zTXt", std::string("Comment\0\0", 9) + Deflated(std::string(64 << 20, 0))}},
               {},
               "its compressed texts and profile inflate to "
               "more than 64 MB, which is taken for a decompression bomb"),
        Png("rgba8.PNG", 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE),
        FormatCase{
            "truncated.png",
            [](const fs::path& p) {
                WritePng(p, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, false);
                fs::resize_file(p, 200);
            },
            "the file ends before the picture does (truncated)"},
        FormatCase{"a_png.tif",
                   [](const fs::path& p) {
                       WritePng(p, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, false);
                   },
                   "it is not a TIFF file"},
        FormatCase{"a_tiff.png", [](const fs::path& p) { WriteTiff(p, TiffKind{}); },
                   "it is not a PNG file"}),
    [](const auto& info) {
        std::string name = info.param.name;
        std::replace(name.begin(), name.end(), '.', '_');
        return name;
    });

// A proxy is the file as the window would show it: 16-bit samples rounded to 8 bits, grey as
// grey, no alpha; uncorrected.
TEST(Proxy, IsTheFileInEightBitsWithoutAlpha) {
    TempDir dir;
    const std::vector<std::pair<std::string, std::function<void(const fs::path&)>>> files = {
        {"rgb16.tif", [](const fs::path& p) { WriteTiff(p, {.bits = 16}); }},
        {"grey16_white_is_zero.tif", [](const fs::path& p) { WriteTiff(p, kWhiteIsZero16); }},
        {"grey_alpha16.png",
         [](const fs::path& p) {
             WritePng(p, 16, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_INTERLACE_NONE, false);
         }},
        {"rgba8.png", [](const fs::path& p) {
             WritePng(p, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, false);
         }}};
    for (const auto& [name, make] : files) {
        SCOPED_TRACE(name);
        make(dir / name);
        const std::atomic<bool> stop{false};
        const fs::path proxy = dir / (fs::path(name).stem().string() + ".bmp");
        EXPECT_EQ(document::MakeProxy((dir / name).string(), {proxy, false}, stop).line,
                  "made a proxy of " + (dir / name).string() + " -> " + proxy.string());
        // Marked as a proxy in the header's reserved field, so that a later run may replace it.
        const auto bytes = tests::ReadBytes(proxy);
        EXPECT_EQ(std::string(bytes.begin() + 6, bytes.begin() + 10), "TWPX");
        const auto file = document::TakeIn((dir / name).string(), document::Names::Pictures);
        const auto shown = document::TakeIn(proxy.string(), document::Names::BmpOnly);
        ASSERT_TRUE(file.Ok() && shown.Ok());
        const engine::PixelBuffer& p = file.Value().picture.pixels;
        const engine::Layout& l = p.GetLayout();
        for (int y = 0; y < p.Height(); ++y) {
            for (int x = 0; x < p.Width(); ++x) {
                const auto eight = [&](int s) {
                    const int v = Sample(p, x, y, s);
                    return static_cast<std::uint32_t>(l.bits == 8 ? v : std::lround(v / 257.0));
                };
                const std::uint32_t want = l.IsGrey()
                                               ? engine::PackPixel(eight(0), eight(0), eight(0))
                                               : engine::PackPixel(eight(0), eight(1), eight(2));
                ASSERT_EQ(shown.Value().picture.pixels.Row(y)[x], want) << x << "," << y;
            }
        }
    }
}

// A grey picture has one channel: corrected where the three channels' points agree, refused
// where they do not.
TEST(GreyPicture, NeedsTheSamePointsInEveryChannel) {
    TempDir dir;
    const fs::path file = dir / "grey.tif";
    WriteTiff(file, {.samples = 1, .photometric = PHOTOMETRIC_MINISBLACK});
    const std::atomic<bool> stop{false};
    for (const auto& [blacks, whites] :
         {std::pair<engine::PerChannel<std::string>, engine::PerChannel<std::string>>{
              {"9", "9", "10"}, {"99", "99", "99"}},
          {{"9", "9", "9"}, {"99", "98", "99"}},
          {{"9", "9", "9"}, {"99", "99", "98"}}}) {
        const document::Outcome refused = document::CorrectFile(
            file.string(), engine::CalcFactors(blacks, whites).levels, {file, true}, stop);
        EXPECT_EQ(refused.line, file.string() +
                                    ": it is a grey picture, and the points of red, green and "
                                    "blue differ; give the three channels the same points");
    }
    fs::create_directory(dir / "out");
    EXPECT_TRUE(CorrectsExactly(file, dir / "out"));
}

}  // namespace
}  // namespace tintwell::tests
