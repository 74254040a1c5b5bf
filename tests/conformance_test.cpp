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

#include "batch/work.h"
#include "document/intake.h"
#include "document/reason.h"
#include "engine/pixel_rule.h"
#include "file_walkers.h"
#include "temp_dir.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;
namespace doc = document;

const fs::path kShared = TINTWELL_SHARED_DIR;

const char* const kGreyOrRgb = "grey and RGB are";
// What each file of the suites comes to: corrected (nullptr), or refused for this reason.
const std::map<std::string, const char*> kExpected = {
    {"32bpp-None-jpeg.tiff", nullptr},  // PackBits, whatever its name says
    {"32bpp-None.tiff", nullptr},
    {"custom_dir_EXIF_GPS.tiff", nullptr},
    {"deflate-last-strip-extra-data.tiff", nullptr},
    {"logluv-3c-16b.tiff", "LogLuv pictures are not taken; only grey and RGB are"},
    {"lzw-single-strip.tiff", "its samples have fewer than 8 bits"},
    {"minisblack-1c-16b.tiff", nullptr},
    {"minisblack-1c-8b.tiff", nullptr},
    {"minisblack-2c-8b-alpha.tiff", nullptr},
    {"miniswhite-1c-1b.tiff", "its samples have fewer than 8 bits"},
    {"ojpeg_chewey_subsamp21_multi_strip.tiff",
     "YCbCr pictures are not taken; only grey and RGB are"},
    {"ojpeg_single_strip_no_rowsperstrip.tiff",
     "Defined set_field_type of custom tag 0 (Tag 0) is TIFF_SETGET_UNDEFINED and thus tag is not "
     "read from file"},
    {"ojpeg_zackthecat_subsamp22_single_strip.tiff",
     "YCbCr pictures are not taken; only grey and RGB are"},
    {"palette-1c-1b.tiff", "palette pictures are not taken; only grey and RGB are"},
    {"palette-1c-4b.tiff", "palette pictures are not taken; only grey and RGB are"},
    {"palette-1c-8b.tiff", "palette pictures are not taken; only grey and RGB are"},
    {"quad-lzw-compat.tiff", nullptr},
    {"quad-tile.jpg.tiff", "YCbCr pictures are not taken; only grey and RGB are"},
    {"rgb-3c-16b.tiff", nullptr},
    {"rgb-3c-8b.tiff", nullptr},
    {"test_float64_predictor2_be_lzw.tif", "its samples are floating-point"},
    {"test_float64_predictor2_le_lzw.tif", "its samples are floating-point"},
    {"test_ifd_loop_subifd.tif",
     "it holds more than one picture; rewriting it would drop the others"},
    {"test_ifd_loop_to_first.tif",
     "it holds more than one picture; rewriting it would drop the others"},
    {"test_ifd_loop_to_self.tif", nullptr},  // one picture; its broken link is not written back
    {"test_two_ifds.tif", "it holds more than one picture; rewriting it would drop the others"},
    {"testfax3_bug54_1dnoEOL.tif", "its samples have fewer than 8 bits"},
    {"testfax3_bug_513.tiff", "its samples have fewer than 8 bits"},
    {"testfax4.tiff", "its samples have fewer than 8 bits"},
    {"tiff_with_subifd_chain.tif",
     "it holds more than one picture; rewriting it would drop the others"},
    {"webp_lossless_rgba_alpha_fully_opaque.tif",
     "its compression may be lossy: every save could lose more"},
};

const char* const kFewBits = "its samples have fewer than 8 bits";
const char* const kPalette = "palette pictures are not taken; only grey and RGB are";
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

int Sample(const engine::PixelBuffer& p, int x, int y, int s) {
    const std::size_t at = static_cast<std::size_t>(x) * p.GetLayout().samples + s;
    return p.GetLayout().bits == 8 ? p.Bytes(y)[at]
                                   : reinterpret_cast<const std::uint16_t*>(p.Bytes(y))[at];
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
                const int v = Sample(p, x, y, s);
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

// The metadata of a TIFF as it was read, and as it was written: the same values, but for where
// the pixel data lies and how it is cut up.
::testing::AssertionResult SameTiffMetadata(const tests::TiffFile& a, const tests::TiffFile& b) {
    // Where the pixels lie and how they are cut up; alpha said the old way (32995) or the new
    // (338), compared as the layout; YCbCr positioning, which only YCbCr pictures use.
    static const std::set<int> kWhereThePixelsAre = {273, 278, 279, 284, 322, 323, 324, 325, 280,
                                                     281, 338, 531, 32995, 34665, 34853, 40965};
    if (b.directories != 1 || a.bigEndian != b.bigEndian || a.big != b.big)
        return ::testing::AssertionFailure() << "directories, byte order or variant differ";
    for (const auto& [name, from, to] :
         {std::tuple{"main", &a.main, &b.main}, std::tuple{"EXIF", &a.exif, &b.exif},
          std::tuple{"GPS", &a.gps, &b.gps}}) {
        for (const auto& [x, y] : {std::pair{from, to}, std::pair{to, from}}) {
            for (const auto& [tag, entry] : *x) {
                if (kWhereThePixelsAre.count(tag)) continue;
                if (!y->count(tag))
                    return ::testing::AssertionFailure()
                           << name << " tag " << tag << " is not in both";
                const tests::TiffEntry& other = y->at(tag);
                bool same =
                    entry.text == other.text && entry.numbers.size() == other.numbers.size();
                for (std::size_t i = 0; same && i < entry.numbers.size(); ++i)
                    same = std::fabs(entry.numbers[i] - other.numbers[i]) <=
                           1e-6 * std::fabs(entry.numbers[i]) + 1e-9;
                if (!same)
                    return ::testing::AssertionFailure() << name << " tag " << tag << " differs";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// The chunks of a PNG that describe its picture, kept in order; those whose meaning the
// correction changes, left out.
::testing::AssertionResult SamePngChunks(const fs::path& read, const fs::path& written) {
    static const std::set<std::string> kKept = {"IHDR", "iCCP", "sRGB", "gAMA", "cHRM",
                                                "pHYs", "tEXt", "zTXt", "iTXt", "eXIf"};
    static const std::set<std::string> kDropped = {"bKGD", "sBIT", "tIME", "tRNS", "PLTE", "hIST"};
    const auto kept = [&](const fs::path& file, bool dropped) {
        std::vector<std::pair<std::string, std::string>> out;
        for (auto& c : tests::WalkPng(tests::ReadBytes(file)))
            if ((dropped ? kDropped : kKept).count(c.first)) out.push_back(c);
        return out;
    };
    if (kept(read, false) != kept(written, false))
        return ::testing::AssertionFailure() << "kept chunks differ";
    if (!kept(written, true).empty())
        return ::testing::AssertionFailure() << "a chunk the correction changes is still there";
    return ::testing::AssertionSuccess();
}

engine::Levels LevelsFor(const engine::Layout& layout) {
    return layout.IsGrey() ? engine::CalcFactors({"30", "30", "30"}, {"220", "220", "220"}).levels
                           : engine::CalcFactors({"12", "41", "77"}, {"201", "188", "230"}).levels;
}

::testing::AssertionResult CorrectedByTheRule(const engine::PixelBuffer& before,
                                              const engine::PixelBuffer& after,
                                              const engine::Levels& levels) {
    const engine::Layout& l = before.GetLayout();
    if (after.GetLayout() != l || after.Width() != before.Width() ||
        after.Height() != before.Height())
        return ::testing::AssertionFailure() << "the layout or size changed";
    for (int y = 0; y < before.Height(); ++y) {
        for (int x = 0; x < before.Width(); ++x) {
            for (int s = 0; s < l.samples; ++s) {
                const engine::Role role = l.roles[s];
                const int c = role == engine::Role::Green ? 1 : role == engine::Role::Blue ? 2 : 0;
                const int v = Sample(before, x, y, s);
                const int want = role == engine::Role::Alpha ? v
                                 : l.bits == 8
                                     ? engine::LevelChannel(v, levels.black[c], levels.factor[c])
                                     : engine::LevelSample16(v, levels.black[c], levels.factor[c]);
                if (Sample(after, x, y, s) != want)
                    return ::testing::AssertionFailure()
                           << "sample " << s << " at " << x << "," << y;
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
        const engine::PixelBuffer& pixels = before.Value().picture.pixels;
        EXPECT_TRUE(DecodedAlike(file, pixels));
        tests::TempDir dir;
        const engine::Levels levels = LevelsFor(pixels.GetLayout());
        const std::atomic<bool> stop{false};
        const Outcome done = CorrectFile(file.string(), levels, {dir / name, false}, stop);
        ASSERT_EQ(done.kind, Outcome::Kind::Done) << done.line;
        auto after = doc::TakeIn((dir / name).string(), doc::Names::Pictures);
        ASSERT_TRUE(after.Ok()) << doc::Reason(after.Failure());
        EXPECT_TRUE(CorrectedByTheRule(pixels, after.Value().picture.pixels, levels));
        EXPECT_TRUE(png ? SamePngChunks(file, dir / name)
                        : SameTiffMetadata(tests::WalkTiff(tests::ReadBytes(file)),
                                           tests::WalkTiff(tests::ReadBytes(dir / name))));
        ++corrected;
    }
    EXPECT_EQ(corrected, 31u);
}

}  // namespace
}  // namespace tintwell::batch
