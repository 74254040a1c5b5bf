// The roll window's negative mode under the offscreen platform: its fields, the film base picked
// on the rebate, densities picked and suggested, the preview at 100% against the rule, and the
// positives it writes against the roll program's.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <cmath>

#include "fake_platform.h"
#include "negative_reference.h"
#include "roll_fixture.h"
#include "temp_dir.h"
#include "tiff_builder.h"
#include "ui/picture_box.h"
#include "ui/picture_view.h"
#include "ui/roll_window.h"

namespace tintwell::tests {
namespace {

namespace fs = std::filesystem;

// Samples 1000 y + 101 x + s + the frame's offset (modulo 65536): the first rows thin (the
// rebate's side), then denser, dense and thin again. Large enough for two reduced levels.
constexpr int kWidth = 136, kHeight = 100;

struct NegativeRoll : RollWindowFixture {
    NegativeRoll() {
        for (int i = 0; i < 3; ++i)
            WriteBytes(dir / Name('n', i),
                       TiffBuilder(false, 5000 * i + 2000).Build(kWidth, kHeight, {}));
        OpenFolder();
        Find<QCheckBox>("negativeMode")->click();
    }
    void Set(const QStringList& bases, const QStringList& shadows, const QStringList& highlights) {
        const char* const names[3][3] = {{"rollBaseR", "rollBaseG", "rollBaseB"},
                                         {"rollBlackR", "rollBlackG", "rollBlackB"},
                                         {"rollWhiteR", "rollWhiteG", "rollWhiteB"}};
        for (int c = 0; c < 3; ++c) {
            Type(names[0][c], bases[c]);
            Type(names[1][c], shadows[c]);
            Type(names[2][c], highlights[c]);
        }
    }
    QString Text(const char* field) const { return Find<QLineEdit>(field)->text(); }
};

const double kBase[3] = {60000, 40000, 30000}, kShadow[3] = {0.1, 0.05, 0.02},
             kHighlight[3] = {0.5, 0.4, 0.35};

class RollNegativeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void picksTheFilmBaseAndDensitiesFromTheRegion();
    void previewIsTheRulesPositiveAtEveryZoom();
    void writesWhatTheRollProgramWrites();
};

void RollNegativeTest::picksTheFilmBaseAndDensitiesFromTheRegion() {
    NegativeRoll r;
    r.Mark(QPoint(3, 0), QPoint(10, 1));  // 8 x 2 pixels: means of red and blue end in a half
    const engine::PixelBuffer f0 = Read(r.dir / "n0.tif");
    std::array<double, 3> sums{}, densities{};
    for (int y = 0; y <= 1; ++y)
        for (int x = 3; x <= 10; ++x)
            for (int s = 0; s < 3; ++s) sums[s] += At(f0, x, y, s);
    r.Click("filmBaseFromRegion");
    const char* const bases[3] = {"rollBaseR", "rollBaseG", "rollBaseB"};
    for (int s = 0; s < 3; ++s)
        QCOMPARE(r.Text(bases[s]), QString::number(std::nearbyint(sums[s] / 16)));
    r.Set({"60000", "40000", "30000"}, {"0", "0", "0"}, {"4", "4", "4"});
    r.Mark(QPoint(0, 20), QPoint(4, 29));
    for (int y = 20; y < 30; ++y)
        for (int x = 0; x <= 4; ++x)
            for (int s = 0; s < 3; ++s)
                densities[s] += std::max(0.0, std::log10(kBase[s] / At(f0, x, y, s))) / 50;
    r.Click("highlightsFromRegion");
    const char* const highlights[3] = {"rollWhiteR", "rollWhiteG", "rollWhiteB"};
    for (int s = 0; s < 3; ++s)
        QCOMPARE(r.Text(highlights[s]), QString::number(densities[s], 'f', 2));
    QCOMPARE(r.Text("rollBlackR"), QStringLiteral("0"));
    // Esc clears the region: the whole frame less its border is counted again.
    r.Find<ui::PictureBox>("frame")->setFocus();
    QTest::keyClick(r.Find<ui::PictureBox>("frame"), Qt::Key_Escape);
    QVERIFY(!r.window.Model().View().Region());
}

// Each screen pixel of the rule's positive, 16-bit results as round(out / 257).
std::vector<std::array<int, 3>> ShownPositive(const engine::PixelBuffer& f, bool mono) {
    std::vector<std::array<int, 3>> shown;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::array<long double, 3> d{};
            for (int c = 0; c < 3; ++c)
                d[c] =
                    std::max(0.0L, std::log10(kBase[c] / static_cast<long double>(At(f, x, y, c))));
            std::array<int, 3>& want = shown.emplace_back();
            for (int c = 0; c < 3; ++c) {
                const long double density = mono ? (d[0] + d[1] + d[2]) / 3 : d[c];
                const int channel = mono ? 0 : c;
                const long double out =
                    FromDensity(density, kShadow[channel], kHighlight[channel], 1.5L);
                want[c] = static_cast<int>((std::lround(out) + 128) / 257);
            }
        }
    }
    return shown;
}

// At 100% the very positive; below, the average of the positives of the pixels a screen pixel
// covers (the rule of an averaged negative would band dense skies), within the rounding of
// each reduced level.
void RollNegativeTest::previewIsTheRulesPositiveAtEveryZoom() {
    NegativeRoll r;
    r.Set({"60000", "40000", "30000"}, {"0.1", "0.05", "0.02"}, {"0.5", "0.4", "0.35"});
    r.Type("rollContrast", "1.5");
    const engine::PixelBuffer f0 = Read(r.dir / "n0.tif");
    for (const bool mono : {false, true}) {
        if (mono) r.Find<QCheckBox>("blackAndWhite")->click();
        const auto positive = ShownPositive(f0, mono);
        for (const auto& [block, slack] : {std::pair{1, 0.0}, {2, 0.5}, {4, 1.0}}) {
            r.window.findChild<ui::PictureView*>("frameArea")->ZoomTo(1.0 / block, QPointF(0, 0));
            const QImage shown = r.Find<ui::PictureBox>("frame")->grab().toImage().convertToFormat(
                QImage::Format_RGB32);
            QCOMPARE(shown.width(), kWidth / block);
            for (int y = 0; y < kHeight / block; ++y) {
                for (int x = 0; x < kWidth / block; ++x) {
                    std::array<double, 3> mean{};
                    for (int j = 0; j < block * block; ++j)
                        for (int c = 0; c < 3; ++c)
                            mean[c] +=
                                positive[static_cast<std::size_t>((y * block + j / block) * kWidth +
                                                                  x * block + j % block)][c] /
                                double(block * block);
                    const QRgb p = shown.pixel(x, y);
                    const int got[3] = {qRed(p), qGreen(p), qBlue(p)};
                    for (int c = 0; c < 3; ++c)
                        QVERIFY2(std::fabs(got[c] - mean[c]) <= slack,
                                 qPrintable(QString::asprintf("%d at %d,%d of 1/%d: %d, not %g", c,
                                                              x, y, block, got[c], mean[c])));
                }
            }
        }
    }
}

void RollNegativeTest::writesWhatTheRollProgramWrites() {
    NegativeRoll r;
    const std::string base = "--negative --film-base 60000,40000,30000 ";
    const std::string out = Batch(r.dir.Path(), "--suggest " + base + "n0.tif n1.tif n2.tif");
    r.Set({"60000", "40000", "30000"}, {"1", "1", "1"}, {"2", "2", "2"});
    r.Click("suggestRoll");
    r.worker.RunAll();
    const std::string last = out.substr(out.rfind("--shadows"));
    QCOMPARE(QString::fromStdString(last.substr(0, last.find("  ("))),
             QStringLiteral("--shadows %1,%2,%3 --highlights %4,%5,%6")
                 .arg(r.Text("rollBlackR"), r.Text("rollBlackG"), r.Text("rollBlackB"),
                      r.Text("rollWhiteR"), r.Text("rollWhiteG"), r.Text("rollWhiteB")));
    r.Set({"60000", "40000", "30000"}, {"0.1", "0.05", "0.02"}, {"0.5", "0.4", "0.35"});
    r.Find<QCheckBox>("blackAndWhite")->click();
    r.Click("correctRoll");
    r.worker.RunAll();
    Batch(r.dir.Path(), base +
                            "--shadows 0.1,0.05,0.02 --highlights 0.5,0.4,0.35 --mono "
                            "--output by-batch n0.tif n1.tif n2.tif");
    for (int i = 0; i < 3; ++i) {
        const std::string name = Name('n', i);
        QCOMPARE(ReadBytes(r.dir / "corrected" / name), ReadBytes(r.dir / "by-batch" / name));
    }
    QVERIFY(Read(r.dir / "corrected" / "n1.tif").GetLayout().IsGrey());
}

}  // namespace
}  // namespace tintwell::tests

QTEST_MAIN(tintwell::tests::RollNegativeTest)
#include "roll_negative_test.moc"
