// The roll window under the offscreen platform, its work run step by step: a folder of 16-bit
// TIFFs with a damaged one, moving between frames, the preview against what the roll program
// writes, pickers and suggestions, and correcting into a folder and over the originals.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <cmath>
#include <deque>

#include "document/intake.h"
#include "fake_platform.h"
#include "program_runner.h"
#include "roll_fixture.h"
#include "temp_dir.h"
#include "tiff_builder.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/roll_window.h"

namespace tintwell::tests {
namespace {

namespace fs = std::filesystem;

const QStringList kNames = {"rollBlackR", "rollBlackG", "rollBlackB",
                            "rollWhiteR", "rollWhiteG", "rollWhiteB"};

struct Roll : RollWindowFixture {
    Roll() {
        for (int i = 0; i < 3; ++i)
            WriteBytes(dir / Name('f', i), TiffBuilder(false, 3000 * i).Build(40, 30, {}));
        WriteBytes(dir / "f3.tif", {'j', 'u', 'n', 'k'});
        OpenFolder();
    }
    void SetPoints(const QStringList& texts) {
        for (int i = 0; i < 6; ++i) Type(qPrintable(kNames[i]), texts[i]);
    }
    QStringList Points() const {
        QStringList out;
        for (const QString& n : kNames) out << Find<QLineEdit>(qPrintable(n))->text();
        return out;
    }
    fs::path Frame(int i) const { return dir / Name('f', i); }
};

class RollWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void opensAFolderAndMovesBetweenFramesKeepingTheZoom();
    void previewAt100IsWhatTheRollProgramWrites();
    void pickersTakeTheRegionsMeansOfItsOwnSamples();
    void correctsIntoAFolderAsTheRollProgramDoes();
    void cancelLeavesEveryFileWholeOrUnwritten();
    void replacesOriginalsOnlyAfterTheQuestion();
};

void RollWindowTest::opensAFolderAndMovesBetweenFramesKeepingTheZoom() {
    Roll r;
    auto* strip = r.Find<QListWidget>("frames");
    QCOMPARE(strip->count(), 4);
    QCOMPARE(strip->item(3)->data(Qt::AccessibleTextRole).toString(), QStringLiteral("f3.tif"));
    QCOMPARE(strip->item(3)->data(Qt::AccessibleDescriptionRole).toString(),
             QStringLiteral("it is not a TIFF file"));
    QVERIFY(strip->item(0)->text().endsWith(QStringLiteral("40 x 30, 16-bit")));
    QCOMPARE(r.Find<QLabel>("framesReady")->text(), QStringLiteral("4 of 4 frames ready"));
    QCOMPARE(strip->currentRow(), 0);
    QCOMPARE(r.window.windowTitle(),
             QStringLiteral("Tintwell Roll - ") + QString::fromStdString(r.dir.Path().string()));
    QCOMPARE(r.Find<QLineEdit>("outputFolder")->text(),
             QString::fromStdString((r.dir / "corrected").string()));
    // A click shows the pixel's own 16-bit values.
    auto* frame = r.Find<ui::PictureBox>("frame");
    r.window.findChild<ui::PictureView*>("frameArea")->ZoomTo(1.0, QPointF(0, 0));
    QTest::mouseClick(frame, Qt::LeftButton, {}, QPoint(7, 4));
    QVERIFY2(r.window.windowTitle().endsWith(QStringLiteral("[ R = 4707  G = 4708  B = 4709 ]")),
             qPrintable(r.window.windowTitle()));
    auto* view = r.window.findChild<ui::PictureView*>("frameArea");
    view->ZoomTo(2.0, QPointF(0, 0));
    QTest::keyClick(&r.window, Qt::Key_PageDown);
    r.worker.RunAll();
    QCOMPARE(strip->currentRow(), 1);
    QCOMPARE(view->Zoom(), 2.0);
    QCOMPARE(At(frame->Pixels(), 0, 0, 0), 3000);
    QTest::keyClick(&r.window, Qt::Key_PageUp);
    r.worker.RunAll();
    QCOMPARE(At(frame->Pixels(), 0, 0, 0), 0);
}

void RollWindowTest::previewAt100IsWhatTheRollProgramWrites() {
    Roll r;
    r.SetPoints({"2", "9", "30", "120", "80.5", "140"});
    r.window.findChild<ui::PictureView*>("frameArea")->ZoomTo(1.0, QPointF(0, 0));
    const QImage shown =
        r.Find<ui::PictureBox>("frame")->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Batch(r.dir.Path(), "--black 2,9,30 --white 120,80.5,140 --output out f0.tif");
    const engine::PixelBuffer written = Read(r.dir / "out" / "f0.tif");
    QCOMPARE(written.Width(), 40);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            const QRgb p = shown.pixel(x, y);
            const std::array<int, 3> want = {(At(written, x, y, 0) + 128) / 257,
                                             (At(written, x, y, 1) + 128) / 257,
                                             (At(written, x, y, 2) + 128) / 257};
            QCOMPARE((std::array<int, 3>{qRed(p), qGreen(p), qBlue(p)}), want);
        }
    }
}

void RollWindowTest::pickersTakeTheRegionsMeansOfItsOwnSamples() {
    Roll r;
    r.Mark(QPoint(3, 2), QPoint(10, 9));
    const engine::PixelBuffer f0 = Read(r.Frame(0));
    std::array<double, 3> sums{};
    for (int y = 2; y <= 9; ++y)
        for (int x = 3; x <= 10; ++x)
            for (int s = 0; s < 3; ++s) sums[s] += At(f0, x, y, s) / 257.0;
    QStringList means;
    for (double sum : sums) means << QString::number(std::nearbyint(sum / 64));
    const QStringList before = r.Points();
    r.Click("blackFromRegion");
    QCOMPARE(r.Points(), means + before.mid(3));
    r.Click("whiteFromRegion");
    QCOMPARE(r.Points(), means + means);
    QTest::keyClick(&r.window, Qt::Key_Z, Qt::ControlModifier);  // the white pick undone
    QCOMPARE(r.Points(), means + before.mid(3));
    QTest::keyClick(&r.window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(r.Points(), means + means);
    // What is typed into a field is one change.
    QLineEdit* red = r.Find<QLineEdit>("rollWhiteR");
    red->selectAll();
    QTest::keyClicks(red, "123");
    QCOMPARE(r.Points()[3], QStringLiteral("123"));
    QTest::keyClick(&r.window, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(r.Points(), means + means);
}

void RollWindowTest::correctsIntoAFolderAsTheRollProgramDoes() {
    Roll r;
    r.SetPoints({"2", "9", "30", "120", "80.5", "140"});
    r.Click("correctRoll");
    r.worker.RunAll();
    Batch(r.dir.Path(),
          "--black 2,9,30 --white 120,80.5,140 --output by-batch f0.tif f1.tif f2.tif");
    for (int i = 0; i < 3; ++i) {
        const std::string name = Name('f', i);
        QCOMPARE(ReadBytes(r.dir / "corrected" / name), ReadBytes(r.dir / "by-batch" / name));
    }
    QVERIFY(!fs::exists(r.dir / "corrected" / "f3.tif"));
    QCOMPARE(r.Find<QLabel>("summary")->text(),
             QStringLiteral("3 of 3 files corrected into ") +
                 QString::fromStdString((r.dir / "corrected").string()));
    QVERIFY(r.Find<QListWidget>("frames")->item(1)->text().endsWith(QStringLiteral("corrected")));
}

void RollWindowTest::cancelLeavesEveryFileWholeOrUnwritten() {
    Roll r;
    for (int i = 3; i < 9; ++i)
        WriteBytes(r.dir / Name('g', i), TiffBuilder(false, 100 * i).Build(40, 30, {}));
    r.window.Open({r.dir.Path().string()});
    r.worker.RunAll();
    bool cancelled = false;
    r.window.Model().Listen([&](unsigned) {
        if (!cancelled && r.window.Model().Correcting().done >= 1) {
            cancelled = true;
            r.Click("cancelRoll");
        }
    });
    r.SetPoints({"2", "9", "30", "120", "80.5", "140"});
    r.Click("correctRoll");
    r.worker.RunAll();
    QVERIFY(cancelled);
    Batch(r.dir.Path(),
          "--black 2,9,30 --white 120,80.5,140 --output by-batch f0.tif f1.tif "
          "f2.tif g3.tif g4.tif g5.tif g6.tif g7.tif g8.tif");
    int written = 0;
    for (const auto& e : fs::directory_iterator(r.dir / "corrected")) {
        QCOMPARE(ReadBytes(e.path()), ReadBytes(r.dir / "by-batch" / e.path().filename()));
        ++written;
    }
    QVERIFY2(written >= 1 && written < 9, qPrintable(QString::number(written)));
    QVERIFY(r.Find<QLabel>("summary")->text().startsWith(QStringLiteral("Cancelled: ")));
}

void RollWindowTest::replacesOriginalsOnlyAfterTheQuestion() {
    Roll r;
    const auto original = ReadBytes(r.Frame(1));
    r.SetPoints({"2", "9", "30", "120", "80.5", "140"});
    r.Find<QCheckBox>("replaceOriginals")->setChecked(true);
    r.platform.answers = {platform::Answer::No};
    r.Click("correctRoll");
    r.worker.RunAll();
    QCOMPARE(r.platform.messages.back().prompt,
             std::string("Replace the 3 original files of the roll with their corrections? The "
                         "originals can't be had back."));
    QCOMPARE(ReadBytes(r.Frame(1)), original);
    Batch(r.dir.Path(), "--black 2,9,30 --white 120,80.5,140 --output by-batch f1.tif");
    r.platform.answers = {platform::Answer::Yes};
    r.Click("correctRoll");
    r.worker.RunAll();
    QCOMPARE(ReadBytes(r.Frame(1)), ReadBytes(r.dir / "by-batch" / "f1.tif"));
    QVERIFY(!fs::exists(r.dir / "corrected"));
}

}  // namespace
}  // namespace tintwell::tests

QTEST_MAIN(tintwell::tests::RollWindowTest)
#include "roll_window_test.moc"
