#pragma once

// What the roll window's tests share: a worker whose jobs run when the test says, and the roll
// program run beside the window to hold what the window does against it.
#include <deque>
#include <functional>
#include <sstream>
#include <string>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "document/intake.h"
#include "document/worker.h"
#include "fake_platform.h"
#include "program_runner.h"
#include "temp_dir.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/roll_window.h"

namespace tintwell::tests {

// Jobs run when the test says; what they hand back is handed back at once.
class StepWorker : public document::Worker {
public:
    void Start(std::function<void()> job, bool urgent) override {
        urgent ? m_jobs.push_front(std::move(job)) : m_jobs.push_back(std::move(job));
    }
    void Post(std::function<void()> done) override { done(); }
    void RunAll() {
        while (!m_jobs.empty()) {
            auto job = std::move(m_jobs.front());
            m_jobs.pop_front();
            job();
        }
    }

private:
    std::deque<std::function<void()>> m_jobs;
};

// A roll window in a folder of its own, shown, with its work run step by step.
struct RollWindowFixture {
    TempDir dir;
    FakePlatform platform;
    StepWorker worker;
    ui::RollWindow window{platform, worker};

    // Opens the folder once the files are in it, and reads them.
    void OpenFolder() {
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
        window.Open({dir.Path().string()});
        worker.RunAll();
    }
    template <typename W = QWidget>
    W* Find(const char* name) const {
        return window.findChild<W*>(QString::fromLatin1(name));
    }
    void Click(const char* name) { QTest::mouseClick(Find<QPushButton>(name), Qt::LeftButton); }
    void Type(const char* field, const QString& text) {
        QLineEdit* f = Find<QLineEdit>(field);
        f->selectAll();
        QTest::keyClicks(f, text);
    }
    // A region marked with Shift and the pointer at 100%, corners included.
    void Mark(QPoint from, QPoint to) {
        auto* frame = Find<ui::PictureBox>("frame");
        window.findChild<ui::PictureView*>("frameArea")->ZoomTo(1.0, QPointF(0, 0));
        QTest::mousePress(frame, Qt::LeftButton, Qt::ShiftModifier, from);
        QTest::mouseMove(frame, to);
        QTest::mouseRelease(frame, Qt::LeftButton, Qt::ShiftModifier, to);
    }
};

// Sample s of a 16-bit pixel.
inline int At(const engine::PixelBuffer& p, int x, int y, int s) {
    return reinterpret_cast<const std::uint16_t*>(p.Bytes(y))[x * p.GetLayout().samples + s];
}

// "f3.tif" (built up piece by piece: GCC 12 warns wrongly of "f" + a number).
inline std::string Name(char letter, int i) {
    std::string name(1, letter);
    name += std::to_string(i);
    name += ".tif";
    return name;
}

// What a run of the roll program prints last, and what it writes.
inline std::string Batch(const std::filesystem::path& dir, const std::string& args) {
    std::vector<std::string> words = {TINTWELL_BATCH_PROGRAM};
    std::istringstream in(args);
    for (std::string w; in >> w;) words.push_back(w);
    return RunProgram(dir, words, Output::File, 0).out;
}

inline engine::PixelBuffer Read(const std::filesystem::path& file) {
    auto taken = document::TakeIn(file.string(), document::Names::Pictures);
    return taken ? std::move(taken.Value().picture.pixels) : engine::PixelBuffer{};
}

}  // namespace tintwell::tests
