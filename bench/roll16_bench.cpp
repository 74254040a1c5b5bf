// A roll of 8 scans of 6000 x 4000 in 16-bit RGB, as uncompressed TIFF and as PNG, corrected by
// tintwell-batch --output; against copying the files and flushing the copies, and against
// libvips's command line doing the same levels file by file (`vips linear`, then `vips cast` to
// 16 bits) and flushing. Also the peak memory of one job against the picture it holds.
#include <benchmark/benchmark.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "ratio_reporter.h"
#include "run_command.h"
#include "tiff16.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "tintwell-roll16-bench";
constexpr int kWidth = 6000, kHeight = 4000, kRoll = 8;
std::string g_batch;
const char* kVips = "/usr/bin/vips";

// A scan-like row: smooth gradients with a little grain, so that compression has its usual
// work to do.
std::vector<std::uint16_t> Row(int y) {
    std::vector<std::uint16_t> row(static_cast<std::size_t>(kWidth) * 3);
    std::uint32_t seed = static_cast<std::uint32_t>(y) * 2654435761u;
    for (int x = 0; x < kWidth; ++x) {
        seed = seed * 1664525u + 1013904223u;
        const int grain = static_cast<int>(seed >> 28);
        row[3 * x] = static_cast<std::uint16_t>(6000 + x * 3 + grain);
        row[3 * x + 1] = static_cast<std::uint16_t>(18000 + y * 4 + grain);
        row[3 * x + 2] = static_cast<std::uint16_t>(23000 + (x + y) * 2 + grain);
    }
    return row;
}

void WriteTiff(const fs::path& path) {
    tintwell::bench::WriteTiff16(path, kWidth, kHeight, Row);
}

void WritePng(const fs::path& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, kWidth, kHeight, 16, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    png_set_swap(png);
    for (int y = 0; y < kHeight; ++y)
        png_write_row(png, reinterpret_cast<png_bytep>(Row(y).data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
}

// The roll, made once: roll-N.tif and roll-N.png.
std::vector<fs::path> Roll(const char* extension) {
    std::vector<fs::path> files;
    for (int i = 0; i < kRoll; ++i) {
        const fs::path f = kFolder / ("roll-" + std::to_string(i) + extension);
        if (!fs::exists(f)) {
            const fs::path first = kFolder / (std::string("roll-0") + extension);
            if (i > 0) {
                fs::copy_file(first, f);
            } else if (std::string(extension) == ".tif") {
                WriteTiff(f);
            } else {
                WritePng(f);
            }
        }
        files.push_back(f);
    }
    return files;
}

const fs::path kOut = kFolder / "out";

template <typename Command>
void Each(benchmark::State& state, const Command& command) {
    tintwell::bench::EachIntoEmpty(state, kOut, command);
}

std::vector<std::string> Batch(const char* extension, int jobs = 0) {
    std::vector<std::string> c = {g_batch,      "--black",  "26,71,90",   "--white",
                                  "84,166,202", "--output", kOut.string()};
    if (jobs > 0) c.insert(c.end(), {"--jobs", std::to_string(jobs)});
    for (const fs::path& f : Roll(extension)) c.push_back(f.string());
    return c;
}

std::vector<std::string> CopyAndFlush(const char* extension) {
    // Appended piece by piece: GCC 12 warns falsely of overlaps in chained + here.
    std::string script = "cp";
    for (const fs::path& f : Roll(extension)) script.append(" ").append(f.string());
    script.append(" ").append(kOut.string()).append(" && sync ").append(kOut.string()).append("/*");
    return {"/bin/sh", "-c", script};
}

// libvips's own way: a float intermediate from `linear`, cast back to 16 bits, per file.
std::vector<std::string> Vips(const char* extension) {
    // factor 255 / (white - black), offset -factor * 257 * black, per channel
    const double black[3] = {26, 71, 90}, white[3] = {84, 166, 202};
    std::string a, b;
    for (int c = 0; c < 3; ++c) {
        const double factor =
            static_cast<double>(static_cast<float>(255.0 / (white[c] - black[c])));
        a.append(std::to_string(factor)).append(" ");
        b.append(" ").append(std::to_string(-factor * 257 * black[c]));  // not an option
    }
    std::string script;
    const std::string tmp = (kOut / "linear.v").string();
    for (const fs::path& f : Roll(extension)) {
        script.append(kVips).append(" linear ").append(f.string()).append(" ").append(tmp);
        script.append(" '").append(a).append("' '").append(b).append("' && ").append(kVips);
        script.append(" cast ").append(tmp).append(" ").append((kOut / f.filename()).string());
        script.append(" ushort && rm ").append(tmp).append(" && ");
    }
    script.append("sync ").append(kOut.string()).append("/*");
    return {"/bin/sh", "-c", script};
}

void BM_roll_tiff16(benchmark::State& s) {
    Each(s, [] { return Batch(".tif"); });
}
void BM_copy_tiff16(benchmark::State& s) {
    Each(s, [] { return CopyAndFlush(".tif"); });
}
void BM_vips_tiff16(benchmark::State& s) {
    if (access(kVips, X_OK) != 0) return s.SkipWithError("libvips-tools is not installed");
    Each(s, [] { return Vips(".tif"); });
}
void BM_roll_png16(benchmark::State& s) {
    Each(s, [] { return Batch(".png"); });
}
void BM_vips_png16(benchmark::State& s) {
    if (access(kVips, X_OK) != 0) return s.SkipWithError("libvips-tools is not installed");
    Each(s, [] { return Vips(".png"); });
}
// One job at a time, for its peak memory against the 144 MB picture it holds.
void BM_one_job_tiff16(benchmark::State& s) {
    Each(s, [] { return Batch(".tif", 1); });
}

BENCHMARK(BM_roll_tiff16)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_copy_tiff16)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_vips_tiff16)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_roll_png16)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_vips_png16)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_one_job_tiff16)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    g_batch = (fs::path(argv[0]).parent_path().parent_path() / "batch" / "tintwell-batch").string();
    fs::create_directories(kFolder);
    if (access(kVips, X_OK) != 0)
        std::printf("libvips-tools is not installed: the vips lines are left out\n");
    const int status = tintwell::bench::RunWithRatios(
        argc, argv,
        {{"tiff16/durable-copy", {"BM_roll_tiff16", "BM_copy_tiff16"}},
         {"tiff16/vips", {"BM_roll_tiff16", "BM_vips_tiff16"}},
         {"png16/vips", {"BM_roll_png16", "BM_vips_png16"}}});
    std::error_code ec;
    fs::remove_all(kFolder, ec);
    return status;
}
