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

#include "round_trip.h"
#include "tiff_builder.h"

namespace tintwell::tests {
namespace {

// A TIFF as the table asks for it.
struct TiffKind {
    int bits = 8, samples = 3;
    int photometric = PHOTOMETRIC_RGB;
    int extra = -1;  // the extra sample's type, -1 for none
    int compression = COMPRESSION_NONE, predictor = PREDICTOR_NONE;
    bool separate = false, tiled = false, bigEndian = false, bigTiff = false;
    int format = SAMPLEFORMAT_UINT;
    bool metadata = false;
    int pages = 1;
};

// Samples that run through their range and differ from place to place in a pixel.
std::vector<std::uint8_t> Samples(int width, int rows, int samples, int bits, int seed) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * rows * samples * bits / 8);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] =
            static_cast<std::uint8_t>((i * 131 + i / 7 + static_cast<std::size_t>(seed)) & 255);
    return out;
}

void WriteMetadata(TIFF* t) {
    static const std::uint8_t kProfile[] = {0,   0,   0,   24,  'l', 'c', 'm', 's',
                                            2,   16,  0,   0,   'm', 'n', 't', 'r',
                                            'R', 'G', 'B', ' ', 'X', 'Y', 'Z', ' '};
    static const char kXmp[] = "<x:xmpmeta xmlns:x='adobe:ns:meta/'/>";
    TIFFSetField(t, TIFFTAG_ICCPROFILE, static_cast<std::uint32_t>(sizeof kProfile), kProfile);
    TIFFSetField(t, TIFFTAG_XMLPACKET, static_cast<std::uint32_t>(sizeof kXmp - 1), kXmp);
    TIFFSetField(t, TIFFTAG_XRESOLUTION, 4000.0);
    TIFFSetField(t, TIFFTAG_YRESOLUTION, 3999.5);
    TIFFSetField(t, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    TIFFSetField(t, TIFFTAG_ORIENTATION, ORIENTATION_RIGHTTOP);
    for (const auto& [tag, text] : {std::pair{TIFFTAG_IMAGEDESCRIPTION, "frame 12, roll 3"},
                                    {TIFFTAG_MAKE, "A scanner"},
                                    {TIFFTAG_MODEL, "Model 7"},
                                    {TIFFTAG_SOFTWARE, "scanning program"},
                                    {TIFFTAG_DATETIME, "2026:12:07 10:11:12"},
                                    {TIFFTAG_ARTIST, "the photographer"},
                                    {TIFFTAG_COPYRIGHT, "(c) the photographer"}})
        TIFFSetField(t, tag, text);
}

void WriteTiff(const fs::path& path, const TiffKind& k) {
    constexpr int kWidth = 37, kHeight = 29, kTile = 16;
    std::string mode = std::string("w") + (k.bigEndian ? "b" : "l") + (k.bigTiff ? "8" : "");
    TIFF* t = TIFFOpen(path.c_str(), mode.c_str());
    for (int page = 0; page < k.pages; ++page) {
        TIFFSetField(t, TIFFTAG_IMAGEWIDTH, kWidth);
        TIFFSetField(t, TIFFTAG_IMAGELENGTH, kHeight);
        TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, k.bits);
        TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, k.samples);
        TIFFSetField(t, TIFFTAG_SAMPLEFORMAT, k.format);
        TIFFSetField(t, TIFFTAG_PHOTOMETRIC, k.photometric);
        TIFFSetField(t, TIFFTAG_PLANARCONFIG,
                     k.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        TIFFSetField(t, TIFFTAG_COMPRESSION, k.compression);
        if (k.predictor != PREDICTOR_NONE) TIFFSetField(t, TIFFTAG_PREDICTOR, k.predictor);
        if (k.extra >= 0) {
            const std::uint16_t types[2] = {static_cast<std::uint16_t>(k.extra),
                                            EXTRASAMPLE_UNSPECIFIED};
            TIFFSetField(t, TIFFTAG_EXTRASAMPLES,
                         k.samples - (k.photometric == PHOTOMETRIC_RGB ? 3 : 1), types);
        }
        if (k.metadata) WriteMetadata(t);
        const int perPixel = k.separate ? 1 : k.samples, planes = k.separate ? k.samples : 1;
        if (k.tiled) {
            TIFFSetField(t, TIFFTAG_TILEWIDTH, kTile);
            TIFFSetField(t, TIFFTAG_TILELENGTH, kTile);
            for (ttile_t i = 0; i < TIFFNumberOfTiles(t); ++i) {
                auto tile = Samples(kTile, kTile, perPixel, k.bits, static_cast<int>(i));
                TIFFWriteEncodedTile(t, i, tile.data(), static_cast<tmsize_t>(tile.size()));
            }
        } else {
            TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, 10);
            for (int plane = 0; plane < planes; ++plane) {
                for (int top = 0; top < kHeight; top += 10) {
                    auto strip =
                        Samples(kWidth, std::min(10, kHeight - top), perPixel, k.bits, top + plane);
                    TIFFWriteEncodedStrip(
                        t, TIFFComputeStrip(t, top, static_cast<std::uint16_t>(plane)),
                        strip.data(), static_cast<tmsize_t>(strip.size()));
                }
            }
        }
        TIFFWriteDirectory(t);
    }
    TIFFClose(t);
}

// A small RGB display profile that libpng takes: a header with the D50 white, one tag, and data
// that does not compress to almost nothing (libpng refuses such a profile as too short).
std::vector<std::uint8_t> IccProfile() {
    std::vector<std::uint8_t> p(200, 0);
    const auto put = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) p[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    };
    put(0, static_cast<std::uint32_t>(p.size()));
    put(8, 0x02100000);
    std::copy_n("mntrRGB XYZ ", 12, p.begin() + 12);
    std::copy_n("acsp", 4, p.begin() + 36);
    for (const std::size_t at : {68u, 156u})
        put(at, 0xF6D6), put(at + 4, 0x10000), put(at + 8, 0xD32D);
    put(128, 1);
    std::copy_n("wtptXYZ ", 4, p.begin() + 132);
    put(136, 148);
    put(140, 20);
    std::copy_n("XYZ ", 4, p.begin() + 148);
    for (std::size_t i = 168; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(i * 37);
    return p;
}

void WritePng(const fs::path& path, int bits, int colourType, int interlace, bool chunks) {
    constexpr int kWidth = 23, kHeight = 19;
    FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, kWidth, kHeight, bits, colourType, interlace, PNG_COMPRESSION_TYPE_BASE,
                 PNG_FILTER_TYPE_BASE);
    if (chunks) {
        const std::vector<std::uint8_t> profile = IccProfile();
        static std::uint8_t exif[] = {'M', 'M', 0, 42, 0, 0, 0, 8, 0, 0};
        png_set_iCCP(png, info, "scanner", 0, profile.data(),
                     static_cast<png_uint_32>(profile.size()));
        png_set_gAMA_fixed(png, info, 45455);
        png_set_cHRM_fixed(png, info, 31270, 32900, 64000, 33000, 30000, 60000, 15000, 6000);
        png_set_pHYs(png, info, 157480, 118110, PNG_RESOLUTION_METER);  // 4000 by 3000 dpi
        png_text texts[3] = {};
        const int kinds[3] = {PNG_TEXT_COMPRESSION_NONE, PNG_TEXT_COMPRESSION_zTXt,
                              PNG_ITXT_COMPRESSION_NONE};
        for (int i = 0; i < 3; ++i) {
            texts[i].compression = kinds[i];
            texts[i].key = const_cast<char*>(i == 0 ? "Title" : i == 1 ? "Comment" : "Author");
            texts[i].text = const_cast<char*>("roll 3, frame 12");
            texts[i].lang = const_cast<char*>("en");
            texts[i].lang_key = const_cast<char*>("Author");
        }
        png_set_text(png, info, texts, 3);
        png_set_eXIf_1(png, info, sizeof exif, exif);
        png_unknown_chunk unknown[2] = {{"scAn", nullptr, 3, PNG_HAVE_IHDR},
                                        {"prIv", nullptr, 3, PNG_AFTER_IDAT}};
        static std::uint8_t data[] = {1, 2, 3};
        unknown[0].data = unknown[1].data = data;
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
        png_set_unknown_chunks(png, info, unknown, 2);
        png_set_unknown_chunk_location(png, info, 1, PNG_AFTER_IDAT);
    }
    png_write_info(png, info);
    const int samples = png_get_channels(png, info);
    auto pixels = Samples(kWidth, kHeight, samples, bits, 5);
    std::vector<png_bytep> rows;
    for (int y = 0; y < kHeight; ++y)
        rows.push_back(pixels.data() + y * kWidth * samples * bits / 8);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

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

TiffKind Kind(std::function<void(TiffKind&)> change) {
    TiffKind k;
    change(k);
    return k;
}

FormatCase Tiff(const char* name, std::function<void(TiffKind&)> change,
                const char* refusal = nullptr) {
    return {name, [=](const fs::path& p) { WriteTiff(p, Kind(change)); }, refusal};
}

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
             [](TiffKind& k) {
                 k.bits = 16, k.compression = COMPRESSION_LZW, k.predictor = PREDICTOR_HORIZONTAL,
                 k.bigEndian = true;
             }),
        Tiff("rgb8_deflate_tiles.tiff",
             [](TiffKind& k) {
                 k.compression = COMPRESSION_ADOBE_DEFLATE, k.predictor = PREDICTOR_HORIZONTAL,
                 k.tiled = true;
             }),
        Tiff("rgba16_planes_in_strips.TIF",
             [](TiffKind& k) {
                 k.bits = 16, k.samples = 4, k.extra = EXTRASAMPLE_UNASSALPHA, k.separate = true;
             }),
        Tiff("rgb8_planes_in_tiles_packbits.tif",
             [](TiffKind& k) {
                 k.separate = true, k.tiled = true, k.compression = COMPRESSION_PACKBITS;
             }),
        Tiff("grey_alpha8_associated.tif",
             [](TiffKind& k) {
                 k.samples = 2, k.photometric = PHOTOMETRIC_MINISBLACK,
                 k.extra = EXTRASAMPLE_ASSOCALPHA;
             }),
        Tiff("grey16_white_is_zero.tif",
             [](TiffKind& k) {
                 k.bits = 16, k.samples = 1, k.photometric = PHOTOMETRIC_MINISWHITE;
             }),
        Tiff("rgb16_bigtiff_zstd.tif",
             [](TiffKind& k) {
                 k.bits = 16, k.bigTiff = true,
                 k.compression =
                     TIFFIsCODECConfigured(COMPRESSION_ZSTD) ? COMPRESSION_ZSTD : COMPRESSION_LZW;
             }),
        Tiff("rgb8_with_metadata.tif", [](TiffKind& k) { k.metadata = true; }),
        Tiff(
            "cmyk.tif", [](TiffKind& k) { k.samples = 4, k.photometric = PHOTOMETRIC_SEPARATED; },
            "CMYK pictures are not taken; only grey and RGB are"),
        Tiff(
            "signed.tif", [](TiffKind& k) { k.bits = 16, k.format = SAMPLEFORMAT_INT; },
            "its samples are signed"),
        Tiff(
            "two_extras.tif", [](TiffKind& k) { k.samples = 5, k.extra = EXTRASAMPLE_UNASSALPHA; },
            "it has more than one extra sample a pixel"),
        FormatCase{"truncated.tif",
                   [](const fs::path& p) {
                       WriteTiff(p, TiffKind{});
                       fs::resize_file(p, 1500);
                   },
                   "Can not read TIFF directory count"},
        FormatCase{"damaged_lzw.tif",
                   [](const fs::path& p) {
                       WriteTiff(p, Kind([](TiffKind& k) { k.compression = COMPRESSION_LZW; }));
                       std::vector<std::uint8_t> bytes = ReadBytes(p);
                       std::fill(bytes.begin() + 40, bytes.begin() + 400, 0xFF);
                       WriteBytes(p, bytes);
                   },
                   "Using code not yet in table"},
        RawTiff("exif_gps_thumbnail_interoperability.tif", ScannerMetadata(true)),
        RawTiff("exif_only_big_endian.tif", ScannerMetadata(false), true),
        RawTiff("fewer_strip_offsets_than_strips.tif", {}, false,
                "its strip tables do not cover the picture: 4 "
                "strips, 2 offsets and 4 byte counts",
                2),
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
        RawPng("text_bomb.png",
               {{"zTXt", std::string("Comment\0\0", 9) + Deflated(std::string(100 << 20, 0))}}, {},
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
                   "it is not a PNG file"},
        FormatCase{"a_tiff.bmp", [](const fs::path& p) { WriteTiff(p, TiffKind{}); },
                   "it is not a bitmap file"}),
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
        {"rgb16.tif",
         [](const fs::path& p) { WriteTiff(p, Kind([](TiffKind& k) { k.bits = 16; })); }},
        {"grey16_white_is_zero.tif",
         [](const fs::path& p) {
             WriteTiff(p, Kind([](TiffKind& k) {
                           k.bits = 16, k.samples = 1, k.photometric = PHOTOMETRIC_MINISWHITE;
                       }));
         }},
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
    WriteTiff(file,
              Kind([](TiffKind& k) { k.samples = 1, k.photometric = PHOTOMETRIC_MINISBLACK; }));
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
