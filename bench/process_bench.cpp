// The whole Process command, from the click to the completed state, against the bare engine
// pass on the same pixels: what the window's yield, repaint and reduced view cost on top of the
// work, at 100% and with the view fitted. Also what one paint of a fitted 144-megapixel
// picture costs (as drawn, and drawn afresh after a zoom), against memcpy of its pixels, and
// the memory a shown picture takes. Runs on the offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bench_support.h"
#include "document/bmp/writer.h"
#include "engine/correction_pass.h"
#include "engine/pixel.h"
#include "platform/qt_platform.h"
#include "ratio_reporter.h"
#include "ui/form1.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"

namespace {

using namespace tintwell;
namespace fs = std::filesystem;

constexpr int kWidth = 6000;
constexpr int kHeight = 4000;
constexpr int kBigSide = 12000;
const fs::path kFile = fs::temp_directory_path() / "tintwell-process-bench.bmp";
const fs::path kBigFile = fs::temp_directory_path() / "tintwell-process-bench-big.bmp";

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

// A shown window with a file dropped on it, as a user would have it.
struct Shown {
    platform::QtPlatform platform;
    ui::Form1 form{platform};
    explicit Shown(const fs::path& file) {
        form.show();
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(file.string()))});
        QWidget* dropTarget = form.findChild<QWidget*>(QStringLiteral("Label3"));
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dropTarget, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(dropTarget, &drop);
        QCoreApplication::processEvents();
    }
    ui::PictureView* View() const { return form.findChild<ui::PictureView*>("pictureArea"); }
    void Preview() { form.findChild<QCheckBox*>(QStringLiteral("previewBox"))->click(); }
    QPushButton* Button(const char* name) const {
        return form.findChild<QPushButton*>(QString::fromLatin1(name));
    }
};

void BM_pass(benchmark::State& state) {
    engine::PixelBuffer picture = bench::NoisePicture(kWidth, kHeight);
    engine::BufferSurface surface(picture);
    const engine::Levels levels =
        engine::CalcFactors({"10", "45", "80"}, {"75", "180", "210"}).levels;
    for (auto _ : state) engine::RunCorrectionPass(surface, levels, [](int) { return true; });
}

double g_peakDuringProcess = 0;

void RunProcess(benchmark::State& state, bool fitted, bool histogram = false,
                bool preview = false) {
    Shown shown(kFile);
    if (preview) shown.Preview();
    if (!fitted) shown.View()->ZoomTo(1.0, QPointF(0, 0));
    if (histogram) shown.form.findChild<QWidget*>(QStringLiteral("histogramWindow"))->show();
    QCoreApplication::processEvents();  // painted once, as on a screen
    QPushButton* process = shown.Button("btnProcess");
    QPushButton* reload = shown.Button("btnReload");
    if (!process->isEnabled() || shown.View()->IsFitted() != fitted) {
        return state.SkipWithError("the picture did not load as wanted");
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
        if (!completed) return state.SkipWithError("the pass did not complete");
    }
}

void BM_process(benchmark::State& state) {
    RunProcess(state, false);
}
void BM_process_fitted(benchmark::State& state) {
    RunProcess(state, true);
}
void BM_process_histogram(benchmark::State& state) {
    RunProcess(state, false, true);
}
void BM_process_preview(benchmark::State& state) {
    RunProcess(state, false, false, true);
}
void BM_process_fitted_preview(benchmark::State& state) {
    RunProcess(state, true, false, true);
}

void BM_memcpy_big(benchmark::State& state) {
    auto from = std::make_unique<std::uint32_t[]>(std::size_t{kBigSide} * kBigSide);
    auto to = std::make_unique<std::uint32_t[]>(std::size_t{kBigSide} * kBigSide);
    std::memset(from.get(), 1, std::size_t{kBigSide} * kBigSide * 4);
    std::memset(to.get(), 2, std::size_t{kBigSide} * kBigSide * 4);
    for (auto _ : state) {
        std::memcpy(to.get(), from.get(), std::size_t{kBigSide} * kBigSide * 4);
        benchmark::ClobberMemory();
    }
}

// One whole paint of the fitted view, from the reduced view to the window's backing store.
void BM_paint_fit(benchmark::State& state) {
    Shown shown(kBigFile);
    ui::PictureBox* picture = shown.View()->Picture();
    if (!shown.View()->IsFitted()) return state.SkipWithError("the big picture is not fitted");
    picture->repaint();  // the first paint builds the reduced view
    for (auto _ : state) picture->repaint();
}

// The same with the preview on, nothing changed since the last paint.
void BM_paint_fit_preview(benchmark::State& state) {
    Shown shown(kBigFile);
    ui::PictureBox* picture = shown.View()->Picture();
    if (!shown.View()->IsFitted()) return state.SkipWithError("the big picture is not fitted");
    shown.Preview();
    picture->repaint();
    if (picture->GetLook().IsPlain()) return state.SkipWithError("the preview is not on");
    for (auto _ : state) picture->repaint();
}

// From a changed field to the fitted preview repainted with it.
void BM_preview_edit(benchmark::State& state) {
    Shown shown(kBigFile);
    ui::PictureBox* picture = shown.View()->Picture();
    if (!shown.View()->IsFitted()) return state.SkipWithError("the big picture is not fitted");
    shown.Preview();
    picture->repaint();
    auto* field = shown.form.findChild<QLineEdit*>(QStringLiteral("txtWhiteR"));
    bool other = false;
    for (auto _ : state) {
        other = !other;
        field->setText(other ? QStringLiteral("76") : QStringLiteral("75"));
        picture->repaint();
    }
}

// The same after a change of zoom: the view drawn afresh from the reduced view.
void BM_paint_fit_afresh(benchmark::State& state) {
    Shown shown(kBigFile);
    ui::PictureBox* picture = shown.View()->Picture();
    if (!shown.View()->IsFitted()) return state.SkipWithError("the big picture is not fitted");
    picture->repaint();
    const double fitted = picture->Zoom();
    bool other = false;
    for (auto _ : state) {
        other = !other;
        picture->SetZoom(other ? fitted * 0.999 : fitted);
        picture->repaint();
    }
}

// From the drop of a 12000 x 12000 file to the picture painted, against reading the file once
// from the page cache.
void BM_drop_big(benchmark::State& state) {
    for (auto _ : state) {
        Shown shown(kBigFile);
        shown.View()->Picture()->repaint();
        state.PauseTiming();
        if (!shown.Button("btnProcess")->isEnabled()) return state.SkipWithError("not loaded");
        state.ResumeTiming();
    }
}

void BM_cat_big(benchmark::State& state) {
    const std::string cat = "cat '" + kBigFile.string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(cat.c_str()) != 0) return state.SkipWithError("cat failed");
    }
}

BENCHMARK(BM_pass)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process_fitted)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process_histogram)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process_preview)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_process_fitted_preview)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_memcpy_big)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_paint_fit)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_paint_fit_afresh)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_paint_fit_preview)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_preview_edit)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_drop_big)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_cat_big)->Unit(benchmark::kMillisecond)->Iterations(5);

// Peak memory from an empty window to a 6000 x 4000 picture dropped, shown fitted and
// processed, against one 32-bit copy of it.
void ReportMemory() {
    ResetPeakMemory();
    const double before = PeakMemoryMb();
    {
        Shown shown(kFile);
        shown.Button("btnProcess")->click();
        QCoreApplication::processEvents();
        std::printf(
            "peak memory with a 6000 x 4000 picture shown fitted: %.0f MB above the empty "
            "program (the picture: %.0f MB, its reduced view: %.0f MB)\n",
            PeakMemoryMb() - before, kWidth * double(kHeight) * 4 / (1 << 20),
            kWidth * double(kHeight) * 4 / 3 / (1 << 20));
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    document::WriteBmp(bench::NoisePicture(kWidth, kHeight), kFile);
    document::WriteBmp(bench::NoisePicture(kBigSide, kBigSide), kBigFile);
    ReportMemory();
    const int status = tintwell::bench::RunWithRatios(
        argc, argv,
        {{"process/pass", {"BM_process", "BM_pass"}},
         {"process/pass fitted", {"BM_process_fitted", "BM_pass"}},
         {"process/pass histogram", {"BM_process_histogram", "BM_pass"}},
         {"process/pass preview", {"BM_process_preview", "BM_pass"}},
         {"process/pass fitted preview", {"BM_process_fitted_preview", "BM_pass"}},
         {"paint/fit", {"BM_paint_fit", "BM_memcpy_big"}},
         {"paint/fit afresh", {"BM_paint_fit_afresh", "BM_memcpy_big"}},
         {"paint/fit preview", {"BM_paint_fit_preview", "BM_paint_fit"}},
         {"preview/edit", {"BM_preview_edit", "BM_paint_fit_afresh"}},
         {"drop/read", {"BM_drop_big", "BM_cat_big"}}});
    std::printf("peak memory during Process: %.0f MB\n", g_peakDuringProcess);
    fs::remove(kFile);
    fs::remove(kBigFile);
    return status;
}
