// Negatives through the roll program: camera raw files decoded as LibRaw's own tool decodes
// them, every kind of file made a positive by the rule, its profile replaced and the rest of its
// metadata kept, and no raw file ever written over.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <sstream>

#include "batch/options.h"
#include "batch/roll.h"
#include "dng_builder.h"
#include "document/intake.h"
#include "document/reason.h"
#include "file_walkers.h"
#include "format_writers.h"
#include "negative_reference.h"
#include "program_runner.h"
#include "round_trip.h"
#include "temp_dir.h"

namespace tintwell::batch {
namespace {

namespace fs = std::filesystem;
using tests::Sample;

constexpr int kWidth = 32, kHeight = 24;  // LibRaw takes nothing smaller than 22 a side

std::vector<std::uint16_t> Ramp(std::size_t n, int seed) {
    std::vector<std::uint16_t> v(n);
    for (std::size_t i = 0; i < n; ++i)
        v[i] = static_cast<std::uint16_t>((i * 7919 + seed * 104729 + i * i) % 65536);
    return v;
}

engine::PixelBuffer Decoded(const fs::path& file) {
    auto taken = document::TakeIn(file.string(), document::Names::Pictures);
    EXPECT_TRUE(taken) << (taken ? "" : document::Reason(taken.Failure()));
    return taken ? std::move(taken.Value().picture.pixels) : engine::PixelBuffer{};
}

// What LibRaw's own tool writes for the file, where it is installed.
std::optional<engine::PixelBuffer> ByDcrawEmu(const fs::path& file) {
    const std::string command = "dcraw_emu -4 -o 0 -r 1 1 1 1 -T '" + file.string() + "' 2>&1";
    if (std::system("command -v dcraw_emu >/dev/null") != 0 || std::system(command.c_str()) != 0)
        return std::nullopt;
    return Decoded(file.string() + ".tiff");
}

bool SameSamples(const engine::PixelBuffer& a, const engine::PixelBuffer& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height() || a.GetLayout() != b.GetLayout())
        return false;
    for (int y = 0; y < a.Height(); ++y)
        if (std::memcmp(a.Bytes(y), b.Bytes(y), a.RowSize()) != 0) return false;
    return true;
}

// Where a stored pixel (x, y) of a w x h picture is seen, turned upright as its orientation says.
struct Turn {
    int orientation;
    std::function<std::pair<int, int>(int x, int y, int w, int h)> seenAt;
};

class LinearDng : public ::testing::TestWithParam<Turn> {};

TEST_P(LinearDng, GivesItsOwnSamplesUpright) {
    tests::TempDir dir;
    tests::Dng dng{kWidth, kHeight, false, Ramp(kWidth * kHeight * 3, 1), GetParam().orientation};
    // LibRaw takes the largest sample for the white level when it is near the format's; at
    // 65535 nothing is scaled.
    dng.samples.back() = 65535;
    tests::WriteDng(dir / "frame.dng", dng);
    const engine::PixelBuffer p = Decoded(dir / "frame.dng");
    const bool across = GetParam().orientation >= ORIENTATION_LEFTTOP;
    ASSERT_EQ(p.Width(), across ? kHeight : kWidth);
    ASSERT_EQ(p.Height(), across ? kWidth : kHeight);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const auto [sx, sy] = GetParam().seenAt(x, y, kWidth, kHeight);
            for (int s = 0; s < 3; ++s)
                ASSERT_EQ(Sample(p, sx, sy, s), dng.samples[(y * kWidth + x) * 3 + s])
                    << x << "," << y;
        }
    }
    if (const auto reference = ByDcrawEmu(dir / "frame.dng")) {
        EXPECT_TRUE(SameSamples(p, *reference));
    }
}

INSTANTIATE_TEST_SUITE_P(Orientations, LinearDng,
                         ::testing::Values(Turn{ORIENTATION_BOTRIGHT,
                                                [](int x, int y, int w, int h) {
                                                    return std::pair{w - 1 - x, h - 1 - y};
                                                }},
                                           Turn{ORIENTATION_RIGHTTOP,
                                                [](int x, int y, int, int h) {
                                                    return std::pair{h - 1 - y, x};
                                                }},
                                           Turn{ORIENTATION_LEFTBOT, [](int x, int y, int w, int) {
                                                    return std::pair{y, w - 1 - x};
                                                }}));

TEST(BayerDng, IsDemosaicedAsLibRawsOwnToolDoes) {
    tests::TempDir dir;
    // A flat field under the filters comes out as its three levels everywhere.
    tests::Dng flat{kWidth, kHeight, true, {}, ORIENTATION_TOPLEFT};
    const std::uint16_t kLevels[4] = {30000, 12000, 12000, 5000};  // red, green, green, blue
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) flat.samples.push_back(kLevels[(y % 2) * 2 + x % 2]);
    tests::WriteDng(dir / "flat.dng", flat);
    const engine::PixelBuffer p = Decoded(dir / "flat.dng");
    ASSERT_EQ(p.Width(), kWidth);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int s = 0; s < 3; ++s) ASSERT_EQ(Sample(p, x, y, s), kLevels[s == 2 ? 3 : s]);
    tests::WriteDng(dir / "busy.dng",
                    {kWidth, kHeight, true, Ramp(kWidth * kHeight, 2), ORIENTATION_TOPLEFT});
    const auto reference = ByDcrawEmu(dir / "busy.dng");
    if (!reference) GTEST_SKIP() << "dcraw_emu (libraw-bin) is not installed";
    EXPECT_TRUE(SameSamples(Decoded(dir / "busy.dng"), *reference));
}

using tests::Roll;

const std::vector<std::string> kNegative = {"--negative", "--film-base", "60000,40000,20000",
                                            "--shadows",  "0.1,0.2,0.3", "--highlights",
                                            "2,1.8,1.6",  "--contrast",  "1.7"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Each pixel's positive by the reference, from the samples the negative was read with.
::testing::AssertionResult MadePositive(const engine::PixelBuffer& in,
                                        const engine::PixelBuffer& out, bool mono) {
    const engine::Layout& l = in.GetLayout();
    const bool grey = mono || l.IsGrey();
    const engine::Layout& o = out.GetLayout();
    if (out.Width() != in.Width() || out.Height() != in.Height() || o.IsGrey() != grey ||
        o.bits != l.bits || o.HasAlpha() != l.HasAlpha())
        return ::testing::AssertionFailure() << "the size or layout is not the positive's";
    const double base[3] = {60000, 40000, 20000}, shadow[3] = {0.1, 0.2, 0.3},
                 highlight[3] = {2, 1.8, 1.6};
    const long double scale = l.bits == 16 ? 1 : 257;
    for (int y = 0; y < in.Height(); ++y) {
        for (int x = 0; x < in.Width(); ++x) {
            long double d[3] = {};
            for (int c = 0; c < (l.IsGrey() ? 1 : 3); ++c)
                d[c] = std::max(0.0L,
                                std::log10(base[c] / std::max(Sample(in, x, y, c) * scale, 1.0L)));
            if (mono) d[0] = (d[0] + d[1] + d[2]) / 3;
            for (int c = 0; c < (grey ? 1 : 3); ++c) {
                const long double want = tests::FromDensity(d[c], shadow[c], highlight[c], 1.7L);
                const int got = Sample(out, x, y, c);
                const bool ok = l.bits == 16 ? tests::Agrees(static_cast<std::uint32_t>(got), want)
                                             : got == std::lround(std::nearbyint(want) / 257);
                if (!ok)
                    return ::testing::AssertionFailure()
                           << "sample " << c << " at " << x << "," << y;
            }
            if (l.HasAlpha() && Sample(out, x, y, o.samples - 1) != Sample(in, x, y, l.samples - 1))
                return ::testing::AssertionFailure() << "alpha at " << x << "," << y;
        }
    }
    return ::testing::AssertionSuccess();
}

// The ICC profile a file carries: a TIFF's tag, or a PNG's iCCP chunk, inflated.
std::string ProfileOf(const fs::path& file) {
    const auto bytes = tests::ReadBytes(file);
    if (file.extension() != ".png") {
        const tests::TiffFile t = tests::WalkTiff(bytes);
        return t.main.count(34675) ? t.main.at(34675).raw : "";
    }
    for (const auto& [name, data] : tests::WalkPng(bytes)) {
        if (name != "iCCP") continue;
        const std::size_t at = data.find('\0') + 2;
        std::string profile(1 << 16, '\0');
        uLongf size = profile.size();
        uncompress(reinterpret_cast<Bytef*>(profile.data()), &size,
                   reinterpret_cast<const Bytef*>(data.data() + at), data.size() - at);
        return profile.substr(0, size);
    }
    return "";
}

// With a scanner's metadata, its profile among it; four samples are RGB and alpha.
void WriteTiff(const fs::path& path, int samples, int bits) {
    tests::TiffKind k;
    k.samples = samples;
    k.bits = bits;
    k.photometric = samples == 1 ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_RGB;
    if (samples == 4) k.extra = EXTRASAMPLE_UNASSALPHA;
    k.metadata = true;
    tests::WriteTiff(path, k);
}

void WritePng(const fs::path& path, int colourType, int bits) {
    tests::WritePng(path, bits, colourType, PNG_INTERLACE_NONE, true);
}

const tests::TiffDirectory& Main(const fs::path& file) {
    static tests::TiffFile kept;
    kept = tests::WalkTiff(tests::ReadBytes(file));
    return kept.main;
}

// What each kind of negative is written as, and what of its metadata is kept.
struct NegativeFile {
    const char* name;
    std::function<void(const fs::path&)> write;
    const char* writtenAs;
    bool mono;
    std::function<void(const fs::path& written)> keeps;
};

void PrintTo(const NegativeFile& c, std::ostream* out) {
    *out << c.name << (c.mono ? " mono" : "");
}

class NegativeFiles : public ::testing::TestWithParam<NegativeFile> {};

TEST_P(NegativeFiles, AreMadePositivesInSrgbKeepingTheirMetadata) {
    const NegativeFile& c = GetParam();
    tests::TempDir dir;
    c.write(dir / c.name);
    const std::vector<std::uint8_t> before = tests::ReadBytes(dir / c.name);
    std::vector<std::string> args = kNegative;
    if (c.mono) args.push_back("--mono");
    const tests::Ran ran =
        Roll(With(args, {"--output", (dir / "out").string(), (dir / c.name).string()}));
    ASSERT_EQ(ran.status, 0) << ran.err;
    const fs::path written = dir / "out" / c.writtenAs;
    EXPECT_TRUE(MadePositive(Decoded(dir / c.name), Decoded(written), c.mono));
    const std::string profile = ProfileOf(written);
    ASSERT_GE(profile.size(), 128u);
    EXPECT_NE(profile, ProfileOf(dir / c.name));  // the scanner's own is gone
    EXPECT_EQ(profile.substr(36, 4), "acsp");
    const bool grey = c.mono || Decoded(written).GetLayout().IsGrey();
    EXPECT_EQ(profile.substr(16, 4), grey ? "GRAY" : "RGB ");
    EXPECT_EQ(profile.substr(12, 4), "mntr");
    c.keeps(written);
    EXPECT_EQ(tests::ReadBytes(dir / c.name), before);
}

void KeepsTheScanners(const fs::path& written) {
    EXPECT_EQ(Main(written).at(271).text, std::string("A scanner") + '\0');
    EXPECT_EQ(Main(written).at(282).numbers, std::vector<double>{4000});
}

void KeepsTheCamerasDateAndExposure(const fs::path& written) {
    const tests::TiffFile t = tests::WalkTiff(tests::ReadBytes(written));
    EXPECT_EQ(t.main.at(271).text, std::string("Tintwell") + '\0');
    EXPECT_EQ(t.main.at(272).text, std::string("Test Camera") + '\0');
    EXPECT_EQ(t.main.at(306).text, std::string("2026:12:08 10:11:12") + '\0');
    ASSERT_TRUE(t.exif.count(33434));
    EXPECT_EQ(t.exif.at(33434).numbers, std::vector<double>{1.0 / 125});
    EXPECT_EQ(t.main.at(258).numbers, (std::vector<double>{16, 16, 16}));
}

void KeepsAllButTheColourChunks(const fs::path& written) {
    std::vector<std::string> names;
    for (const auto& chunk : tests::WalkPng(tests::ReadBytes(written)))
        names.push_back(chunk.first);
    for (const char* gone : {"gAMA", "cHRM", "sRGB"})
        EXPECT_EQ(std::count(names.begin(), names.end(), gone), 0) << gone;
    for (const char* kept : {"iCCP", "pHYs", "tEXt"})
        EXPECT_EQ(std::count(names.begin(), names.end(), kept), 1) << kept;
}

void Dng(const fs::path& path, bool bayer) {
    tests::WriteDng(path, {kWidth, kHeight, bayer, Ramp(kWidth * kHeight * (bayer ? 1 : 3), 3),
                           ORIENTATION_TOPLEFT});
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NegativeFiles,
    ::testing::Values(
        NegativeFile{"rgb16.tif", [](const fs::path& p) { WriteTiff(p, 3, 16); }, "rgb16.tif",
                     false, KeepsTheScanners},
        NegativeFile{"rgba16.tif", [](const fs::path& p) { WriteTiff(p, 4, 16); }, "rgba16.tif",
                     false, KeepsTheScanners},
        NegativeFile{"mono16.tif", [](const fs::path& p) { WriteTiff(p, 3, 16); }, "mono16.tif",
                     true, KeepsTheScanners},
        NegativeFile{"rgb16.png", [](const fs::path& p) { WritePng(p, PNG_COLOR_TYPE_RGB, 16); },
                     "rgb16.png", false, KeepsAllButTheColourChunks},
        NegativeFile{"mono8.png", [](const fs::path& p) { WritePng(p, PNG_COLOR_TYPE_RGB, 8); },
                     "mono8.png", true, KeepsAllButTheColourChunks},
        NegativeFile{"grey8.png", [](const fs::path& p) { WritePng(p, PNG_COLOR_TYPE_GRAY, 8); },
                     "grey8.png", false, KeepsAllButTheColourChunks},
        NegativeFile{"grey_alpha8.png",
                     [](const fs::path& p) { WritePng(p, PNG_COLOR_TYPE_GRAY_ALPHA, 8); },
                     "grey_alpha8.png", false, KeepsAllButTheColourChunks},
        NegativeFile{"mono_rgba8.png",
                     [](const fs::path& p) { WritePng(p, PNG_COLOR_TYPE_RGBA, 8); },
                     "mono_rgba8.png", true, KeepsAllButTheColourChunks},
        NegativeFile{"frame01.DNG", [](const fs::path& p) { Dng(p, false); }, "frame01.tif", false,
                     KeepsTheCamerasDateAndExposure},
        NegativeFile{"frame02.dng", [](const fs::path& p) { Dng(p, true); }, "frame02.tif", false,
                     KeepsTheCamerasDateAndExposure}));

// A raw file is never written over: in place, the run stops before anything is written; two
// inputs that give the same name, the second is left out.
TEST(RawFiles, AreNeverWrittenOver) {
    tests::TempDir dir;
    Dng(dir / "frame01.DNG", false);
    WriteTiff(dir / "frame00.tif", 3, 16);
    WriteTiff(dir / "frame01.tif", 3, 16);
    const auto raw = tests::ReadBytes(dir / "frame01.DNG"),
               tif = tests::ReadBytes(dir / "frame00.tif");
    const tests::Ran inPlace = Roll(With(
        kNegative, {"--in-place", (dir / "frame00.tif").string(), (dir / "frame01.DNG").string()}));
    EXPECT_EQ(inPlace.status, kUsageError);
    EXPECT_NE(inPlace.err.find("frame01.DNG is a camera raw file, which is never written over"),
              std::string::npos)
        << inPlace.err;
    EXPECT_EQ(tests::ReadBytes(dir / "frame01.DNG"), raw);
    EXPECT_EQ(tests::ReadBytes(dir / "frame00.tif"), tif);
    const tests::Ran clash =
        Roll(With(kNegative, {"--output", (dir / "out").string(), (dir / "frame01.DNG").string(),
                              (dir / "frame01.tif").string()}));
    EXPECT_EQ(clash.status, 1);
    EXPECT_NE(clash.err.find("frame01.tif: " + (dir / "frame01.DNG").string() + " is written to"),
              std::string::npos)
        << clash.err;
    EXPECT_TRUE(
        MadePositive(Decoded(dir / "frame01.DNG"), Decoded(dir / "out/frame01.tif"), false));
    // Its content is checked, not only its name: a plain TIFF called .dng is no raw file.
    fs::copy_file(dir / "frame00.tif", dir / "fake.dng");
    const tests::Ran fake =
        Roll(With(kNegative, {"--output", (dir / "out").string(), (dir / "fake.dng").string()}));
    EXPECT_EQ(fake.status, 1);
    EXPECT_NE(fake.err.find("fake.dng: "), std::string::npos) << fake.err;
}

}  // namespace
}  // namespace tintwell::batch
