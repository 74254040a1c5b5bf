// Negatives: the rule on a 6000 x 4000 16-bit linear negative in memory, against the 16-bit
// levels pass on the same buffer; a roll of 8 such TIFFs made positives by tintwell-batch
// --negative, against libvips's command line doing the same steps; and one camera raw file
// decoded by our reader, against LibRaw's own dcraw_emu with the same options.
#include <benchmark/benchmark.h>
#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "document/intake.h"
#include "engine/correction_pass.h"
#include "engine/negative.h"
#include "ratio_reporter.h"
#include "run_command.h"
#include "tests/dng_builder.h"
#include "tiff16.h"

namespace {

namespace fs = std::filesystem;
using namespace tintwell;

const fs::path kFolder = fs::temp_directory_path() / "tintwell-negative-bench";
const fs::path kOut = kFolder / "out";
constexpr int kWidth = 6000, kHeight = 4000, kRoll = 8;
std::string g_batch;
const char* kVips = "/usr/bin/vips";
const char* kDcrawEmu = "/usr/bin/dcraw_emu";

const engine::PerChannel<double> kBase = {52000, 30000, 16000};
const engine::PerChannel<double> kShadow = {0.3, 0.4, 0.35}, kHighlight = {1.9, 2.1, 2.3};

// A negative's row: smooth densities with a little grain.
std::vector<std::uint16_t> Row(int y) {
    std::vector<std::uint16_t> row(static_cast<std::size_t>(kWidth) * 3);
    std::uint32_t seed = static_cast<std::uint32_t>(y) * 2654435761u;
    for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        for (int c = 0; c < 3; ++c) {
            const double density = 0.2 + 2.2 * (x + y + 500 * c) / (kWidth + kHeight + 1000.0);
            row[3 * x + c] =
                static_cast<std::uint16_t>(kBase[c] / std::pow(10, density) + (seed >> 28));
        }
    }
    return row;
}

engine::Negative Settings() {
    engine::Negative n;
    n.base = kBase;
    n.shadow = kShadow;
    n.highlight = kHighlight;
    return n;
}

engine::PixelBuffer Picture() {
    auto p = *engine::PixelBuffer::Allocate(kWidth, kHeight, engine::FileLayout(false, false, 16));
    for (int y = 0; y < kHeight; ++y) {
        const auto row = Row(y);
        std::copy(row.begin(), row.end(), reinterpret_cast<std::uint16_t*>(p.Bytes(y)));
    }
    return p;
}

void BM_levels16(benchmark::State& state) {
    engine::PixelBuffer picture = Picture();
    engine::Levels levels;
    levels.black = {10, 45, 80};
    levels.factor = {255.0f / 65, 255.0f / 135, 255.0f / 130};
    for (auto _ : state) {
        engine::RunCorrectionPass(picture, levels, [](int) { return true; });
        benchmark::ClobberMemory();
    }
}

// The rule's tables are made afresh each time, as each file's correction makes them.
void BM_negative16(benchmark::State& state) {
    engine::PixelBuffer picture = Picture();
    for (auto _ : state) {
        const engine::NegativeRule rule(Settings(), picture.GetLayout());
        engine::RunNegativePass(picture, rule, [](int) { return true; });
        benchmark::ClobberMemory();
    }
}

fs::path Negative(int i) {
    const fs::path f = kFolder / ("neg-" + std::to_string(i) + ".tif");
    if (fs::exists(f)) return f;
    if (i > 0) {
        fs::copy_file(Negative(0), f);
        return f;
    }
    bench::WriteTiff16(f, kWidth, kHeight, Row);
    return f;
}

template <typename Command>
void Each(benchmark::State& state, const Command& command) {
    bench::EachIntoEmpty(state, kOut, command);
}

std::string Three(const engine::PerChannel<double>& v) {
    return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]);
}

void BM_roll_negative(benchmark::State& s) {
    Each(s, [] {
        std::vector<std::string> c = {
            g_batch,        "--negative",   "--film-base",     Three(kBase), "--shadows",
            Three(kShadow), "--highlights", Three(kHighlight), "--output",   kOut.string()};
        for (int i = 0; i < kRoll; ++i) c.push_back(Negative(i).string());
        return c;
    });
}

// The same steps with libvips, file by file: log10, the levels in density (one linear), the
// print curve (linear, exp10, linear), the sRGB curve's power part (pow, linear), cast to 16
// bits (which clamps).
void BM_vips_negative(benchmark::State& s) {
    if (access(kVips, X_OK) != 0) return s.SkipWithError("libvips-tools is not installed");
    Each(s, [] {
        const double k = 2.0, scale = std::pow(10, k) - 1;
        std::string a, b;
        for (int c = 0; c < 3; ++c) {
            const double range = kHighlight[c] - kShadow[c];
            a.append(std::to_string(-1 / range)).append(" ");
            b.append(" ").append(std::to_string((std::log10(kBase[c]) - kShadow[c]) / range));
        }
        const std::string v = std::string(kVips) + " ";
        const std::string t1 = (kOut / "1.v").string(), t2 = (kOut / "2.v").string();
        std::string script;
        for (int i = 0; i < kRoll; ++i) {
            const fs::path in = Negative(i);
            script += v + "math " + in.string() + " " + t1 + " log10 && ";
            script += v + "linear -- " + t1 + " " + t2 + " '" + a + "' '" + b + "' && ";
            script += v + "linear -- " + t2 + " " + t1 + " " + std::to_string(k) + " 0 && ";
            script += v + "math " + t1 + " " + t2 + " exp10 && ";
            script += v + "linear -- " + t2 + " " + t1 + " " + std::to_string(1 / scale) + " " +
                      std::to_string(-1 / scale) + " && ";
            script += v + "math2_const " + t1 + " " + t2 + " pow 0.4166667 && ";
            script += v + "linear -- " + t2 + " " + t1 + " " + std::to_string(1.055 * 65535) + " " +
                      std::to_string(-0.055 * 65535) + " && ";
            script += v + "cast " + t1 + " " + (kOut / in.filename()).string() + " ushort && ";
        }
        script += "rm -f " + t1 + " " + t2 + " && sync " + kOut.string() + "/*";
        return std::vector<std::string>{"/bin/sh", "-c", script};
    });
}

// A Bayer raw file of the same size, under an RGGB pattern.
fs::path RawFile() {
    const fs::path f = kFolder / "frame.dng";
    if (fs::exists(f)) return f;
    tests::Dng dng{kWidth, kHeight, true, {}, ORIENTATION_TOPLEFT};
    dng.samples.reserve(static_cast<std::size_t>(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y) {
        const auto row = Row(y);
        for (int x = 0; x < kWidth; ++x)
            dng.samples.push_back(
                row[3 * x + (y % 2 == 0 ? (x % 2 == 0 ? 0 : 1) : (x % 2 == 0 ? 1 : 2))]);
    }
    tests::WriteDng(f, dng);
    return f;
}

// Each side decodes once before it is timed: the first run after the roll's benchmarks pays for
// the memory the system takes back from their files, which is no part of decoding.
void BM_raw_ours(benchmark::State& s) {
    const fs::path f = RawFile();
    (void)document::TakeIn(f.string(), document::Names::Pictures);
    for (auto _ : s) {
        auto taken = document::TakeIn(f.string(), document::Names::Pictures);
        if (!taken) return s.SkipWithError("the raw file was not taken");
        benchmark::DoNotOptimize(taken.Value().picture.pixels.Bytes(0));
    }
}

// dcraw_emu writes its TIFF to standard output, which goes to /dev/null.
void BM_raw_dcraw_emu(benchmark::State& s) {
    if (access(kDcrawEmu, X_OK) != 0) return s.SkipWithError("libraw-bin is not installed");
    const fs::path f = RawFile();
    double peakMb = 0;
    const std::vector<std::string> command = {kDcrawEmu, "-4", "-o", "0",  "-r", "1",       "1",
                                              "1",       "1",  "-T", "-Z", "-",  f.string()};
    (void)bench::RunCommand(command, peakMb);
    for (auto _ : s) {
        if (!bench::RunCommand(command, peakMb)) return s.SkipWithError("dcraw_emu failed");
    }
}

BENCHMARK(BM_levels16)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_negative16)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();
BENCHMARK(BM_roll_negative)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_vips_negative)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_raw_ours)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_raw_dcraw_emu)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    g_batch = (fs::path(argv[0]).parent_path().parent_path() / "batch" / "tintwell-batch").string();
    fs::create_directories(kFolder);
    const int status =
        bench::RunWithRatios(argc, argv,
                             {{"negative/levels16", {"BM_negative16", "BM_levels16"}},
                              {"negative/roll-vs-vips", {"BM_roll_negative", "BM_vips_negative"}},
                              {"raw/decode", {"BM_raw_ours", "BM_raw_dcraw_emu"}}});
    std::error_code ec;
    fs::remove_all(kFolder, ec);
    return status;
}
