// The whole Process command, from the click to the completed state, against the bare engine
// pass on the same pixels: what the window's yield and repaint cost on top of the work.
// Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "document/bmp_writer.h"
#include "engine/correction_pass.h"
#include "engine/pixel.h"
#include "platform/qt_platform.h"
#include "ratio_reporter.h"
#include "ui/form1.h"

namespace {

using namespace tintwell;
namespace fs = std::filesystem;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
const fs::path kFile = fs::temp_directory_path() / "tintwell-process-bench.bmp";

// Peak resident memory since the last reset, in MB (Linux).
void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double PeakMemoryMb() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

void BM_pass(benchmark::State& state) {
    engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    engine::BufferSurface surface(picture);
    const engine::Levels levels =
        engine::CalcFactors({"10", "45", "80"}, {"75", "180", "210"}).levels;
    bench::NoYield platform;
    bool cancel = false;
    for (auto _ : state) engine::RunCorrectionPass(surface, levels, platform, cancel);
}

double g_peakDuringProcess = 0;

void BM_process(benchmark::State& state) {
    platform::QtPlatform platform;
    ui::Form1 form(platform);
    form.show();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(kFile.string()))});
    QWidget* dropTarget = form.findChild<QWidget*>(QStringLiteral("Label3"));
    // A drop reaches the widget its drag entered.
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dropTarget, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(dropTarget, &drop);
    auto* process = form.findChild<QPushButton*>(QStringLiteral("btnProcess"));
    auto* reload = form.findChild<QPushButton*>(QStringLiteral("btnReload"));
    if (!process->isEnabled()) {
        state.SkipWithError("the picture did not load");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        if (reload->isEnabled()) reload->click();
        QCoreApplication::processEvents();
        ResetPeakMemory();
        state.ResumeTiming();
        process->click();
        state.PauseTiming();
        g_peakDuringProcess = std::max(g_peakDuringProcess, PeakMemoryMb());
        const bool completed = reload->isEnabled();
        state.ResumeTiming();
        if (!completed) {
            state.SkipWithError("the pass did not complete");
            break;
        }
    }
}

BENCHMARK(BM_pass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    document::WriteBmp(bench::NoisePicture(kWidth, kHeight), kFile);
    const int status =
        tintwell::bench::RunWithRatios(argc, argv, {{"process/pass", {"BM_process", "BM_pass"}}});
    std::printf("peak memory during Process: %.0f MB (the picture alone: %.0f MB)\n",
                g_peakDuringProcess, kWidth * static_cast<double>(kHeight) * 4 / (1024 * 1024));
    fs::remove(kFile);
    return status;
}
