// libtiff's own test pictures and the PNG suite's basic and interlaced files, one by one: each is
// corrected exactly by the rule at its own depth, in its own kind and with its metadata, or
// refused for the reason given here.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <tuple>

#include "document/intake.h"
#include "document/reason.h"
#include "document/roll_work.h"
#include "engine/pixel_rule.h"
#include "round_trip.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;
namespace doc = document;

const fs::path kShared = TINTWELL_SHARED_DIR;

const char* const kFewBits = "its samples have fewer than 8 bits";
const char* const kPalette = "palette pictures are not taken; only grey and RGB are";
const char* const kYcbcr = "YCbCr pictures are not taken; only grey and RGB are";
const char* const kMore = "it holds more than one picture; rewriting it would drop the others";

// What each of libtiff's pictures comes to: corrected (nullptr), or refused for a reason.
const std::map<std::string, const char*> kExpected = [] {
    std::map<std::string, const char*> expected;
    const std::vector<std::pair<const char*, std::vector<std::string>>> groups = {
        {nullptr,  // 32bpp-None-jpeg is PackBits, whatever its name says; test_ifd_loop_to_self
                   // is one picture, whose broken link is not written back
         {"32bpp-None-jpeg.tiff", "32bpp-None.tiff", "custom_dir_EXIF_GPS.tiff",
          "deflate-last-strip-extra-data.tiff", "minisblack-1c-16b.tiff", "minisblack-1c-8b.tiff",
          "minisblack-2c-8b-alpha.tiff", "quad-lzw-compat.tiff", "rgb-3c-16b.tiff",
          "rgb-3c-8b.tiff", "test_ifd_loop_to_self.tif"}},
        {"LogLuv pictures are not taken; only grey and RGB are", {"logluv-3c-16b.tiff"}},
        {kFewBits,
         {"lzw-single-strip.tiff", "miniswhite-1c-1b.tiff", "testfax3_bug54_1dnoEOL.tif",
          "testfax3_bug_513.tiff", "testfax4.tiff"}},
        {kYcbcr,
         {"ojpeg_chewey_subsamp21_multi_strip.tiff", "ojpeg_zackthecat_subsamp22_single_strip.tiff",
          "quad-tile.jpg.tiff"}},
        {"Defined set_field_type of custom tag 0 (Tag 0) is TIFF_SETGET_UNDEFINED and thus tag is "
         "not read from file",
         {"ojpeg_single_strip_no_rowsperstrip.tiff"}},
        {kPalette, {"palette-1c-1b.tiff", "palette-1c-4b.tiff", "palette-1c-8b.tiff"}},
        {"its samples are floating-point",
         {"test_float64_predictor2_be_lzw.tif", "test_float64_predictor2_le_lzw.tif"}},
        {kMore,
         {"test_ifd_loop_subifd.tif", "test_ifd_loop_to_first.tif", "test_two_ifds.tif",
          "tiff_with_subifd_chain.tif"}},
        {"its compression may be lossy: every save could lose more",
         {"webp_lossless_rgba_alpha_fully_opaque.tif"}}};
    for (const auto& [reason, names] : groups)
        for (const std::string& name : names) expected[name] = reason;
    return expected;
}();

const char* const kKey = "its transparency is a colour key (tRNS), which the correction would move";

// The PNG suite by its naming: bit depth and colour type in the name, tRNS in the ft*b* files.
const char* PngExpected(const std::string& name) {
    const std::string core = name.substr(name[0] == 'i' ? 1 : 0);
    const bool palette = core.find("3p") != std::string::npos;
    const bool fewBits = core.find("g01") != std::string::npos ||
                         core.find("g02") != std::string::npos ||
                         core.find("g04") != std::string::npos;
    if (palette) return kPalette;
    if (fewBits) return kFewBits;
    if (core.rfind("ftb", 0) == 0) return kKey;
    return nullptr;
}

std::vector<fs::path> SuiteFiles() {
    std::vector<fs::path> files;
    for (const char* folder : {"libtiff-images", "pngsuite", "pngsuite/interlaced"}) {
        for (const auto& e : fs::directory_iterator(kShared / folder)) {
            const std::string ext = e.path().extension().string();
            if (ext == ".tif" || ext == ".tiff" || ext == ".png") files.push_back(e.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The pixels as another decoder sees them, 16 bits a channel: Qt for PNG, libtiff's RGBA
// reading (8 bits) for TIFF. `scale` is what a sample of ours is multiplied by to compare.
::testing::AssertionResult DecodedAlike(const fs::path& file, const engine::PixelBuffer& p) {
    const engine::Layout& l = p.GetLayout();
    std::vector<std::array<int, 4>> theirs;
    bool eightBits = false;      // compared in 8 bits, else in 16
    bool premultiplied = false;  // libtiff's RGBA reading multiplies unassociated alpha in
    if (file.extension() == ".png") {
        const QImage image =
            QImage(QString::fromStdString(file.string())).convertToFormat(QImage::Format_RGBA64);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgba64 c = image.pixelColor(x, y).rgba64();
                theirs.push_back({c.red(), c.green(), c.blue(), c.alpha()});
            }
        }

    } else {
        TIFF* t = TIFFOpen(file.c_str(), "r");
        std::vector<std::uint32_t> raster(p.PixelCount());
        std::uint16_t extras = 0, *types = nullptr;
        const bool read =
            t != nullptr && TIFFReadRGBAImageOriented(t, p.Width(), p.Height(), raster.data(),
                                                      ORIENTATION_TOPLEFT, 0);
        premultiplied = t != nullptr && TIFFGetField(t, TIFFTAG_EXTRASAMPLES, &extras, &types) &&
                        extras == 1 && types[0] == EXTRASAMPLE_UNASSALPHA;
        if (t != nullptr) TIFFClose(t);
        if (!read) return ::testing::AssertionFailure() << "libtiff's RGBA reading failed";
        for (const std::uint32_t v : raster)
            theirs.push_back(
                {int(TIFFGetR(v)), int(TIFFGetG(v)), int(TIFFGetB(v)), int(TIFFGetA(v))});
        eightBits = true;  // libtiff's RGBA reading rounds 16-bit samples to 8
    }
    if (theirs.size() != p.PixelCount()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < p.Height(); ++y) {
        for (int x = 0; x < p.Width(); ++x) {
            const auto& want = theirs[static_cast<std::size_t>(y) * p.Width() + x];
            const auto scaled = [&](int s) {
                const int v = tests::Sample(p, x, y, s);
                if (l.bits == 8) return eightBits ? v : v * 257;
                if (!eightBits) return v;
                return l.IsGrey() ? v >> 8 : (v + 128) / 257;  // as libtiff's RGBA reading does
            };
            const int alpha = l.HasAlpha() ? scaled(l.samples - 1) : 255;
            for (int s = 0; s < l.samples; ++s) {
                const engine::Role role = l.roles[s];
                int ours = scaled(s);
                if (premultiplied && role != engine::Role::Alpha) ours = (ours * alpha + 127) / 255;
                const int c = role == engine::Role::Alpha   ? 3
                              : role == engine::Role::Green ? 1
                              : role == engine::Role::Blue  ? 2
                                                            : 0;
                if (ours != want[c])
                    return ::testing::AssertionFailure()
                           << "differs at " << x << "," << y << " sample " << s << ": " << ours
                           << " against " << want[c];
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(Conformance, EveryFileIsCorrectedExactlyOrRefusedByDesign) {
    if (!fs::exists(kShared / "pngsuite") || !fs::exists(kShared / "libtiff-images")) {
        const char* what = "no PNG suite or libtiff pictures in shared/ beside the checkout";
        if (std::getenv("CI") != nullptr) FAIL() << what;
        GTEST_SKIP() << what;
    }
    std::size_t corrected = 0;
    for (const fs::path& file : SuiteFiles()) {
        const std::string name = file.filename().string();
        SCOPED_TRACE(name);
        const bool png = file.extension() == ".png";
        ASSERT_TRUE(png || kExpected.count(name)) << "a file the table does not name";
        const char* refusal = png ? PngExpected(name) : kExpected.at(name);
        auto before = doc::TakeIn(file.string(), doc::Names::Pictures);
        if (refusal != nullptr) {
            ASSERT_FALSE(before.Ok());
            EXPECT_EQ(doc::Reason(before.Failure()), refusal);
            continue;
        }
        ASSERT_TRUE(before.Ok()) << doc::Reason(before.Failure());
        EXPECT_TRUE(DecodedAlike(file, before.Value().picture.pixels));
        tests::TempDir dir;
        EXPECT_TRUE(tests::CorrectsExactly(file, dir.Path()));
        ++corrected;
    }
    EXPECT_EQ(corrected, 31u);
}

}  // namespace
}  // namespace tintwell::batch
