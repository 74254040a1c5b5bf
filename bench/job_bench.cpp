// Whole processes on a 6000 x 4000 24-bit bitmap: our headless job against ImageMagick doing the
// same levels, and against cp of the same file (the floor for reading and writing it). Also the
// job on a 100-megapixel bitmap. Each command runs as its own process; peak memory is the
// child's maximum resident size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_support.h"
#include "document/bmp/writer.h"
#include "engine/pixel.h"
#include "ratio_reporter.h"
#include "run_command.h"

namespace {

using namespace tintwell;
namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "tintwell-job-bench";
std::string g_job;  // path of tintwell_job, beside this program
const char* kImageMagick = "/usr/bin/convert-im6.q16";

fs::path Input(int width, int height) {
    const fs::path path =
        kFolder / ("in-" + std::to_string(width) + "x" + std::to_string(height) + ".bmp");
    if (fs::exists(path)) return path;
    document::WriteBmp(bench::NoisePicture(width, height), path);
    return path;
}

// With `overwrite`, the output already exists (a copy of the input) and the command replaces it.
void RunEach(benchmark::State& state, const fs::path& input,
             std::vector<std::string> (*command)(const fs::path& in, const fs::path& out),
             bool overwrite = false) {
    const fs::path work = kFolder / "work.bmp", out = kFolder / "out.bmp";
    double peakMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fs::copy_file(input, work, fs::copy_options::overwrite_existing);
        fs::remove(out);
        if (overwrite) fs::copy_file(input, out);
        state.ResumeTiming();
        if (!bench::RunCommand(command(work, out), peakMb)) {
            state.SkipWithError("the command failed");
            break;
        }
    }
    state.counters["peak_MB"] = peakMb;
}

std::vector<std::string> Job(const fs::path& in, const fs::path&) {
    return {g_job, in.string(), "10", "45", "80", "75", "180", "210"};
}
std::vector<std::string> ImageMagick(const fs::path& in, const fs::path& out) {
    return {kImageMagick, in.string(),   "-channel", "R",
            "-level",     "2570,19275",  "-channel", "G",
            "-level",     "11565,46260", "-channel", "B",
            "-level",     "20560,53970", "+channel", "BMP3:" + out.string()};
}
std::vector<std::string> Copy(const fs::path& in, const fs::path& out) {
    return {"/bin/cp", in.string(), out.string()};
}
// A copy that is on the disk when it returns, as a saved picture is.
std::vector<std::string> DurableCopy(const fs::path& in, const fs::path& out) {
    return {"/bin/sh", "-c", "cp \"$0\" \"$1\" && sync \"$1\"", in.string(), out.string()};
}

void BM_job(benchmark::State& state) {
    RunEach(state, Input(6000, 4000), Job);
}
void BM_imagemagick(benchmark::State& state) {
    if (access(kImageMagick, X_OK) != 0) return state.SkipWithError("ImageMagick is not installed");
    RunEach(state, Input(6000, 4000), ImageMagick);
}
void BM_cp(benchmark::State& state) {
    RunEach(state, Input(6000, 4000), Copy);
}
void BM_job_100mp(benchmark::State& state) {
    RunEach(state, Input(10000, 10000), Job);
}
void BM_durable_copy(benchmark::State& state) {
    RunEach(state, Input(6000, 4000), DurableCopy);
}
// The same, replacing a file that is there, as the job does: the old file's blocks are freed.
void BM_durable_overwrite(benchmark::State& state) {
    RunEach(state, Input(6000, 4000), DurableCopy, true);
}
void BM_job_big(benchmark::State& state) {
    RunEach(state, Input(12000, 12000), Job);
}
void BM_durable_copy_big(benchmark::State& state) {
    RunEach(state, Input(12000, 12000), DurableCopy);
}

// A roll: 8 files of 6000 x 4000 corrected in place by tintwell-batch, against copying them and
// flushing the copies to disk.
std::string g_batch;
constexpr int kRoll = 8;

std::vector<fs::path> RollFiles() {
    const fs::path input = Input(6000, 4000);
    std::vector<fs::path> files;
    for (int i = 0; i < kRoll; ++i)
        files.push_back(kFolder / ("roll-" + std::to_string(i) + ".bmp"));
    for (const fs::path& f : files) fs::copy_file(input, f, fs::copy_options::overwrite_existing);
    return files;
}

void BM_batch(benchmark::State& state) {
    double peakMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<std::string> command = {g_batch,   "--black",    "10,45,80",
                                            "--white", "75,180,210", "--in-place"};
        for (const fs::path& f : RollFiles()) command.push_back(f.string());
        state.ResumeTiming();
        if (!bench::RunCommand(command, peakMb))
            return state.SkipWithError("tintwell-batch failed");
    }
    state.counters["peak_MB"] = peakMb;
}

void BM_batch_copy(benchmark::State& state) {
    double peakMb = 0;
    const fs::path copies = kFolder / "copies";
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<fs::path> files = RollFiles();
        fs::remove_all(copies);
        fs::create_directories(copies);
        std::string script = "cp";
        for (const fs::path& f : files) script.append(" ").append(f.string());
        script.append(" ").append(copies.string()).append(" && sync ").append(copies.string());
        script.append("/*");
        state.ResumeTiming();
        if (!bench::RunCommand({"/bin/sh", "-c", script}, peakMb))
            return state.SkipWithError("cp failed");
    }
}

BENCHMARK(BM_job)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_imagemagick)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_cp)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_job_100mp)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_durable_copy)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_durable_overwrite)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();
BENCHMARK(BM_job_big)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_durable_copy_big)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_batch)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_batch_copy)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    g_job = (fs::path(argv[0]).parent_path() / "tintwell_job").string();
    g_batch = (fs::path(argv[0]).parent_path().parent_path() / "batch" / "tintwell-batch").string();
    fs::create_directories(kFolder);
    const int status = tintwell::bench::RunWithRatios(
        argc, argv,
        {{"job/imagemagick", {"BM_job", "BM_imagemagick"}},
         {"job/cp", {"BM_job", "BM_cp"}},
         {"job/durable-copy", {"BM_job", "BM_durable_copy"}},
         {"job/durable-overwrite", {"BM_job", "BM_durable_overwrite"}},
         {"job/durable-copy big", {"BM_job_big", "BM_durable_copy_big"}},
         {"batch/copy", {"BM_batch", "BM_batch_copy"}}});
    std::error_code ec;
    fs::remove_all(kFolder, ec);
    return status;
}
