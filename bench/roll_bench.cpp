// The roll window on a folder of 8 scans of 6000 x 4000 in 16-bit RGB (uncompressed TIFF), on
// the offscreen platform: opening it until the first frame is painted and every thumbnail shows,
// against tintwell-batch --suggest on the same files (which reads and counts every frame);
// correcting the roll from the window, against tintwell-batch --output; an edited point until
// the fitted preview is painted again, against one paint of the view afresh. Also the peak
// memory while browsing and while correcting.
#include <benchmark/benchmark.h>
#include <tiffio.h>

#include <QApplication>
#include <QEventLoop>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/qt_platform.h"
#include "ratio_reporter.h"
#include "run_command.h"
#include "tiff16.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/qt_worker.h"
#include "ui/roll_window.h"

namespace {

using namespace tintwell;
namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "tintwell-roll-bench";
constexpr int kWidth = 6000, kHeight = 4000, kRoll = 8;
std::string g_batch;
double g_browsePeak = 0, g_correctPeak = 0, g_batchPeak = 0;

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double StatusMb(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}
double PeakMemoryMb() {
    return StatusMb("VmHWM:");
}
double MemoryMb() {
    return StatusMb("VmRSS:");
}

// A scan-like frame: smooth gradients with a little grain.
void WriteTiff(const fs::path& path, int seed) {
    bench::WriteTiff16(path, kWidth, kHeight, [seed](int y) {
        std::vector<std::uint16_t> row(static_cast<std::size_t>(kWidth) * 3);
        std::uint32_t grain = static_cast<std::uint32_t>(y + seed) * 2654435761u;
        for (int x = 0; x < kWidth; ++x) {
            grain = grain * 1664525u + 1013904223u;
            const int g = static_cast<int>(grain >> 28);
            row[3 * x] = static_cast<std::uint16_t>(6000 + x * 3 + g + seed * 100);
            row[3 * x + 1] = static_cast<std::uint16_t>(18000 + y * 4 + g);
            row[3 * x + 2] = static_cast<std::uint16_t>(23000 + (x + y) * 2 + g);
        }
        return row;
    });
}

std::vector<std::string> Roll() {
    std::vector<std::string> files;
    fs::create_directories(kFolder / "roll");
    for (int i = 0; i < kRoll; ++i) {
        const fs::path f = kFolder / "roll" / ("frame0" + std::to_string(i + 1) + ".tif");
        if (!fs::exists(f)) WriteTiff(f, i);
        files.push_back(f.string());
    }
    return files;
}

bool AllRead(const document::RollModel& m) {
    if (!m.ShownIsRead()) return false;
    for (const auto& f : m.Frames()) {
        if (f.state == document::Frame::State::Reading) return false;
    }
    return true;
}

// A roll window opened on the roll, waiting in the event loop as a user would.
struct Opened {
    platform::QtPlatform platform;
    std::unique_ptr<ui::RollWindow> window;
    ui::QtWorker worker{std::max(1u, std::thread::hardware_concurrency())};
    QEventLoop* loop = nullptr;
    std::function<bool()> until;

    // The window is made once its worker is, and goes after the worker has stopped.
    Opened() {
        window = std::make_unique<ui::RollWindow>(platform, worker);
        const auto check = [this](unsigned) {
            if (loop != nullptr && until()) loop->quit();
        };
        window->Model().Listen(check);
        window->Model().View().Listen(check);
        window->show();
        window->Open({(kFolder / "roll").string()});
        Await([this] { return AllRead(window->Model()); });
        (void)window->findChild<ui::PictureBox*>("frame")->grab();  // the first frame painted
    }
    ~Opened() { window->close(); }
    // Waits until `done` says so, asked after every change of the roll.
    void Await(std::function<bool()> done) {
        until = std::move(done);
        QEventLoop waiting;
        loop = &waiting;
        if (!until()) waiting.exec();
        loop = nullptr;
    }
    document::RollModel& Model() { return window->Model(); }
};

void BM_roll_open(benchmark::State& state) {
    for (auto _ : state) Opened opened;
}

void BM_batch_suggest(benchmark::State& state) {
    std::vector<std::string> command = {g_batch, "--suggest"};
    for (const std::string& f : Roll()) command.push_back(f);
    double peak = 0;
    for (auto _ : state) {
        if (!bench::RunCommand(command, peak)) return state.SkipWithError("--suggest failed");
    }
}

void BM_roll_correct(benchmark::State& state) {
    Opened opened;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(kFolder / "window-out");
        ResetPeakMemory();
        const double browsing = MemoryMb();
        state.ResumeTiming();
        opened.Model().Correct(kFolder / "window-out", false);
        opened.Await([&] { return !opened.Model().Correcting().running; });
        g_correctPeak = std::max(g_correctPeak, PeakMemoryMb() - browsing);
    }
}

void BM_batch_output(benchmark::State& state) {
    std::vector<std::string> command = {g_batch,
                                        "--black",
                                        "10,45,80",
                                        "--white",
                                        "75,180,210",
                                        "--output",
                                        (kFolder / "batch-out").string()};
    for (const std::string& f : Roll()) command.push_back(f);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(kFolder / "batch-out");
        state.ResumeTiming();
        if (!bench::RunCommand(command, g_batchPeak)) return state.SkipWithError("--output failed");
    }
}

void BM_preview_edit(benchmark::State& state) {
    Opened opened;
    auto* frame = opened.window->findChild<ui::PictureBox*>("frame");
    opened.Model().SetNegativeMode(false);
    int white = 180;
    for (auto _ : state) {
        const std::string w = std::to_string(white++ % 40 + 170);
        opened.Model().SetPoints({"10", "45", "80"}, {"75", w, "210"});
        (void)frame->grab();
    }
}

// The same for a negative: below 100% its view is averaged after the rule, so an edit draws the
// reduced copy afresh through it.
void BM_negative_preview_edit(benchmark::State& state) {
    Opened opened;
    auto* frame = opened.window->findChild<ui::PictureBox*>("frame");
    opened.Model().SetNegativeMode(true);
    document::NegativeTexts texts;
    int contrast = 0;
    for (auto _ : state) {
        texts.contrast = std::to_string(1 + contrast++ % 3);
        opened.Model().SetNegative(texts);
        (void)frame->grab();
    }
}

void BM_paint_afresh(benchmark::State& state) {
    Opened opened;
    auto* view = opened.window->findChild<ui::PictureView*>("frameArea");
    auto* frame = opened.window->findChild<ui::PictureBox*>("frame");
    for (auto _ : state) {
        state.PauseTiming();
        view->ZoomBy(-1);  // a new drawn view each time: nothing of the last paint is kept
        view->ZoomToFit();
        state.ResumeTiming();
        (void)frame->grab();
    }
}

// Browsing: every frame in turn, as Page Down would, against one frame, its reduced copy and
// the thumbnails.
void ReportBrowsing() {
    double empty = 0;
    {
        platform::QtPlatform platform;
        ui::QtWorker worker(1);
        ui::RollWindow window(platform, worker);  // the window itself, with nothing in it
        window.show();
        (void)window.grab();
        empty = MemoryMb();
    }
    {
        Opened opened;
        ResetPeakMemory();
        for (std::size_t i = 1; i < kRoll; ++i) {
            opened.Model().Show(i);
            opened.Await([&] { return opened.Model().ShownIsRead(); });
            (void)opened.window->findChild<ui::PictureBox*>("frame")->grab();
        }
        g_browsePeak = PeakMemoryMb() - empty;
    }
    const double frame = kWidth * double(kHeight) * 6 / (1 << 20);
    const double reduced = kWidth * double(kHeight) * 4 / 3 / (1 << 20);
    const double thumbnails = kRoll * 160.0 * 107 * 4 / (1 << 20);
    std::printf(
        "roll/browse peak: %.0f MB above the empty roll window, against %.0f MB for a frame, "
        "its reduced copy and the thumbnails (%.2f of it)\n",
        g_browsePeak, frame + reduced + thumbnails, g_browsePeak / (frame + reduced + thumbnails));
}

BENCHMARK(BM_roll_open)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_batch_suggest)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_roll_correct)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_batch_output)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_preview_edit)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_negative_preview_edit)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_paint_afresh)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);  // the roll's settings stay out of the user's
    g_batch = (fs::path(argv[0]).parent_path() / ".." / "batch" / "tintwell-batch").string();
    Roll();
    ReportBrowsing();
    const int status = bench::RunWithRatios(
        argc, argv,
        {{"roll/open", {"BM_roll_open", "BM_batch_suggest"}},
         {"roll/correct", {"BM_roll_correct", "BM_batch_output"}},
         {"roll/preview-edit", {"BM_preview_edit", "BM_paint_afresh"}},
         {"roll/negative-preview-edit", {"BM_negative_preview_edit", "BM_paint_afresh"}}});
    std::printf(
        "roll/correct peak: %.0f MB in the window above what browsing holds, %.0f MB for "
        "tintwell-batch, %u jobs\n",
        g_correctPeak, g_batchPeak, std::max(1u, std::thread::hardware_concurrency()));
    fs::remove_all(kFolder / "window-out");
    fs::remove_all(kFolder / "batch-out");
    return status;
}
