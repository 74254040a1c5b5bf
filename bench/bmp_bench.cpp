// Reading and writing a 6000 x 4000 24-bit bitmap: ours beside Qt's own reader and writer on
// the same file, in the same run.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QImageReader>
#include <filesystem>

#include "bench_support.h"
#include "document/bmp/reader.h"
#include "document/bmp/writer.h"
#include "document/reason.h"
#include "engine/pixel.h"
#include "ratio_reporter.h"

namespace {

using namespace tintwell;
namespace fs = std::filesystem;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;

const fs::path kFolder = fs::temp_directory_path() / "tintwell-bench";
const fs::path kInput = kFolder / "input.bmp";

void EnsureInput() {
    if (fs::exists(kInput)) return;
    fs::create_directories(kFolder);
    document::WriteBmp(bench::NoisePicture(kWidth, kHeight), kInput);
}

void BM_read_ours(benchmark::State& state) {
    EnsureInput();
    for (auto _ : state) {
        auto picture = document::ReadBmp(kInput);
        if (!picture) state.SkipWithError(tintwell::document::Reason(picture.Failure()).c_str());
        benchmark::DoNotOptimize(picture);
    }
}

void BM_read_qt(benchmark::State& state) {
    EnsureInput();
    QImageReader::setAllocationLimit(0);
    for (auto _ : state) {
        QImage image(QString::fromStdString(kInput.string()), "BMP");
        if (image.isNull()) state.SkipWithError("Qt could not read the file");
        benchmark::DoNotOptimize(image);
    }
}

void BM_write_ours(benchmark::State& state) {
    const engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    for (auto _ : state) {
        if (!document::WriteBmp(picture, kFolder / "ours.bmp")) state.SkipWithError("write failed");
    }
}

void BM_write_qt(benchmark::State& state) {
    engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    const QImage image(reinterpret_cast<const uchar*>(picture.Data()), kWidth, kHeight,
                       QImage::Format_RGB32);
    for (auto _ : state) {
        if (!image.save(QString::fromStdString((kFolder / "qt.bmp").string()), "BMP")) {
            state.SkipWithError("Qt could not write the file");
        }
    }
}

BENCHMARK(BM_read_ours)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_read_qt)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_write_ours)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_write_qt)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    fs::create_directories(kFolder);
    const int status =
        tintwell::bench::RunWithRatios(argc, argv,
                                       {{"bmp read/qt", {"BM_read_ours", "BM_read_qt"}},
                                        {"bmp write/qt", {"BM_write_ours", "BM_write_qt"}}});
    std::error_code ec;
    fs::remove_all(kFolder, ec);
    return status;
}
