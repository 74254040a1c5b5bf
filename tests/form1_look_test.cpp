// Choosing the points by looking, through the window: the picture as the box draws it, plain,
// previewed and with the clipping warning, and the pixel a click reads, at zooms below, at and
// above 100%; a region marked by Shift+drag;
// the pickers and Suggest points over it; and what Process, Reload and a drop do to them.
#include <QCheckBox>
#include <QToolButton>

#include "engine/histogram.h"
#include "engine/levels_table.h"
#include "engine/pixel.h"
#include "form1_fixture.h"
#include "ui/histogram_window.h"
#include "ui/picture_view.h"
#include "ui/reduced_view.h"
#include "ui/view_look.h"
#include "ui/view_mapping.h"
#include "ui/view_render.h"

using namespace tintwell;
using tests::Window;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 40, kHeight = 30;

struct Loaded {
    tests::TempDir dir;
    fs::path path;
    Window w;
    explicit Loaded(QSize size = {kWidth, kHeight})
        : path(tests::WritePicture(dir, "scan.bmp", size.width(), size.height())) {
        w.DropFile(path);
    }
    ui::PictureView* View() const { return w.Find<ui::PictureView>("pictureArea"); }
    QString ZoomBox() const { return w.Find<QToolButton>("zoomBox")->text(); }
    // The picture box as it paints itself, one device pixel a pixel.
    QImage Drawn() const {
        return w.Picture()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
};

// What the box must show at a zoom: the picture drawn as the view draws it, then the rule and
// the clipping colours worked out here, pixel by pixel.
QImage Expected(const engine::PixelBuffer& picture, double zoom, QSize size,
                const std::optional<engine::Levels>& levels, bool clipping) {
    QImage out(size, QImage::Format_RGB32);
    ui::ReducedView reduced;
    reduced.Rebuild(picture);
    ui::RenderView(picture, reduced, zoom, {0, 0, size.width(), size.height()},
                   reinterpret_cast<std::uint32_t*>(out.bits()),
                   static_cast<std::size_t>(out.bytesPerLine() / 4), 0);
    for (int y = 0; y < size.height(); ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(out.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            std::uint32_t p = row[x];
            if (levels)
                p = engine::ColourToPixel(engine::ApplyLevels(engine::PixelToColour(p), *levels));
            const std::array<std::uint32_t, 3> c = {engine::RedOf(p), engine::GreenOf(p),
                                                    engine::BlueOf(p)};
            const auto any = [&](std::uint32_t v) { return c[0] == v || c[1] == v || c[2] == v; };
            if (clipping && any(255))
                p = ui::kClippedWhite;
            else if (clipping && any(0))
                p = ui::kClippedBlack;
            row[x] = p | engine::kOpaque;
        }
    }
    return out;
}

QStringList Fields(const Window& w) {
    QStringList texts;
    for (const char* name :
         {"txtBlackR", "txtBlackG", "txtBlackB", "txtWhiteR", "txtWhiteG", "txtWhiteB"})
        texts << w.Field(name)->text();
    return texts;
}

void DragWithShift(QWidget* on, QPoint from, QPoint to) {
    QMouseEvent press(QEvent::MouseButtonPress, from, on->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(on, &press);
    QMouseEvent move(QEvent::MouseMove, to, on->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::ShiftModifier);
    QCoreApplication::sendEvent(on, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, on->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(on, &release);
}

// A key pressed on the picture, focused in the active window, as a user would.
void PressOnPicture(const Window& w, Qt::Key key) {
    QApplication::setActiveWindow(w.form.get());
    w.Picture()->setFocus();
    QTest::keyClick(w.Picture(), key);
}

// The title's readout of a picture pixel.
QString Readout(const engine::PixelBuffer& picture, int x, int y) {
    const std::uint32_t p = picture.Row(y)[x];
    return QStringLiteral("[ R = %1  G = %2  B = %3 ]")
        .arg(engine::RedOf(p))
        .arg(engine::GreenOf(p))
        .arg(engine::BlueOf(p));
}

// A mean as the pickers round it: to the nearest whole number, halves to even.
int RoundedMean(std::uint64_t sum, std::uint64_t count) {
    const std::uint64_t q = sum / count, twice = 2 * (sum % count);
    return static_cast<int>(q + (twice > count || (twice == count && q % 2 == 1)));
}

}  // namespace

class Form1LookTest : public QObject {
    Q_OBJECT
private slots:
    void drawsTheLookAtEveryZoom_data();
    void drawsTheLookAtEveryZoom();  // landscape and portrait
    void previewFollowsTheCommands();
    void regionAndPickers();

private:
    void DrawnAtEveryZoom(QSize size, const QStringList& fields, bool clipping,
                          const QString& note);
};

void Form1LookTest::drawsTheLookAtEveryZoom_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<bool>("clipping");
    QTest::addColumn<QString>("note");  // what the zoom box says after the zoom
    const QStringList defaults = {"10", "45", "80", "75", "180", "210"};
    QTest::newRow("preview") << defaults << false << "Preview";
    QTest::newRow("ties") << QStringList{"0", "0", "0", "170", "170", "170"} << false << "Preview";
    QTest::newRow("preview and clipping") << defaults << true << "Preview, clipping";
    QTest::newRow("nothing to do")
        << QStringList{"0", "0", "0", "255", "255", "255"} << true << "Preview, clipping";
    QTest::newRow("unusable") << QStringList{"10", "45", "80", "75", "0", "210"} << false
                              << "no preview: the green white point can't be used";
}

void Form1LookTest::drawsTheLookAtEveryZoom() {
    QFETCH(QStringList, fields);
    QFETCH(bool, clipping);
    QFETCH(QString, note);
    for (const QSize size : {QSize(kWidth, kHeight), QSize(kHeight, kWidth)})
        DrawnAtEveryZoom(size, fields, clipping, note);
}

void Form1LookTest::DrawnAtEveryZoom(QSize size, const QStringList& fields, bool clipping,
                                     const QString& note) {
    Loaded l(size);
    l.w.SetLevels(fields);
    PressOnPicture(l.w, Qt::Key_P);
    if (clipping) PressOnPicture(l.w, Qt::Key_J);
    const engine::FactorsResult settled = engine::CalcFactors(
        {fields[0].toStdString(), fields[1].toStdString(), fields[2].toStdString()},
        {fields[3].toStdString(), fields[4].toStdString(), fields[5].toStdString()});
    const auto levels = settled.error ? std::nullopt : std::optional(settled.levels);
    const engine::PixelBuffer picture = tests::Pattern(size.width(), size.height());
    const std::array<std::pair<Qt::MouseButton, Qt::KeyboardModifiers>, 5> kClicks = {
        {{Qt::LeftButton, {}},
         {Qt::RightButton, {}},
         {Qt::MiddleButton, {}},
         {Qt::LeftButton, Qt::ShiftModifier},
         {Qt::LeftButton, Qt::ControlModifier | Qt::AltModifier}}};
    std::size_t clicks = 0;
    for (const double zoom : {0.5, 2.0 / 3, 1.0, 2.0, 3.0}) {
        l.View()->ZoomTo(zoom, QPointF(0, 0));
        const QImage drawn = l.Drawn();
        QCOMPARE(drawn, Expected(picture, zoom, drawn.size(), levels, clipping));
        QVERIFY2(l.ZoomBox().endsWith(note), qPrintable(l.ZoomBox()));
        // A click, with any button and modifier, reads the picture's own pixel under the middle
        // of the screen pixel clicked.
        for (const QPoint v : {QPoint(drawn.width() - 1, drawn.height() - 1),
                               QPoint(drawn.width() / 3, drawn.height() / 2)}) {
            const auto& [button, modifiers] = kClicks[clicks++ % kClicks.size()];
            QTest::mouseClick(l.w.Picture(), button, modifiers, v);
            const QString want =
                Readout(picture, int((v.x() + 0.5) / zoom), int((v.y() + 0.5) / zoom));
            QVERIFY2(l.w.Title().endsWith(want), qPrintable(l.w.Title() + " / " + want));
        }
    }
    for (const QPoint off :
         {QPoint(-1, 0), QPoint(0, -1), QPoint(size.width(), 0), QPoint(0, size.height())})
        QCOMPARE(l.w.Picture()->Point(off.x(), off.y()), -1);
    QVERIFY(tests::SamePicture(l.w.Picture()->Pixels(), picture));  // only the view changes
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));
    QCOMPARE(Fields(l.w), fields);  // the black texts are not rewritten
}

// Process with the preview on corrects once; then the preview has nothing to show until
// Reload; the readout gives the picture's own values; the switch and P go together.
void Form1LookTest::previewFollowsTheCommands() {
    Loaded l;
    auto* box = l.w.Find<QCheckBox>("previewBox");
    PressOnPicture(l.w, Qt::Key_P);
    QVERIFY(box->isChecked());
    const engine::Levels levels =
        engine::CalcFactors({"10", "45", "80"}, {"75", "180", "210"}).levels;
    const engine::PixelBuffer picture = tests::Pattern(kWidth, kHeight);
    const engine::PixelBuffer corrected = tests::Corrected(picture, levels);
    QTest::mouseClick(l.w.Picture(), Qt::LeftButton, {}, QPoint(3, 4));
    QVERIFY(l.w.Title().endsWith(Readout(picture, 3, 4)));
    l.w.Click("btnProcess");
    QVERIFY(tests::SamePicture(l.w.Picture()->Pixels(), corrected));
    QCOMPARE(l.Drawn(), Expected(corrected, 1.0, l.Drawn().size(), std::nullopt, false));
    QVERIFY2(l.ZoomBox().endsWith("Preview (nothing to show)"), qPrintable(l.ZoomBox()));
    l.w.Click("btnReload");
    QCOMPARE(l.Drawn(), Expected(picture, 1.0, l.Drawn().size(), levels, false));
    l.View()->ZoomTo(0.5, QPointF(0, 0));  // an edit shows at once, below 100% too
    (void)l.Drawn();
    l.w.Field("txtWhiteR")->setText("120");
    const engine::Levels edited =
        engine::CalcFactors({"10", "45", "80"}, {"120", "180", "210"}).levels;
    QCOMPARE(l.Drawn(), Expected(picture, 0.5, l.Drawn().size(), edited, false));
    l.View()->ZoomTo(1.0, QPointF(0, 0));
    box->click();
    QVERIFY(!box->isChecked());
    QCOMPARE(l.Drawn(), Expected(picture, 1.0, l.Drawn().size(), std::nullopt, false));
    QCOMPARE(l.ZoomBox(), QStringLiteral("100%"));
}

void Form1LookTest::regionAndPickers() {
    Loaded l;
    auto* histogram = l.w.Find<ui::HistogramWindow>("histogramWindow");
    QTest::keyClick(l.w.form.get(), Qt::Key_H, Qt::ControlModifier);
    l.View()->ZoomTo(2.0, QPointF(0, 0));
    DragWithShift(l.w.Picture(), QPoint(2 * 31 + 1, 2 * 20 + 1), QPoint(2 * 5, 2 * 3));
    const engine::Region marked{5, 3, 32, 21};  // both corner pixels in it
    QCOMPARE(l.w.Picture()->Region(), std::optional(marked));
    QCOMPARE(l.w.Find<QLabel>("countedArea")->text(),
             QStringLiteral("Counted: the marked region, 27 x 18 pixels, from (5, 3) to (31, 20), "
                            "both corners included"));
    // The means and the suggestion over the region, worked out here.
    const engine::PixelBuffer picture = tests::Pattern(kWidth, kHeight);
    std::array<std::uint64_t, 3> sums{};
    for (int y = 3; y <= 20; ++y) {
        for (int x = 5; x <= 31; ++x) {
            const std::uint32_t p = picture.Row(y)[x];
            sums[0] += engine::RedOf(p), sums[1] += engine::GreenOf(p),
                sums[2] += engine::BlueOf(p);
        }
    }
    QCOMPARE(l.w.Find<QLabel>("regionMeans")->text(),
             QStringLiteral("Mean: red %1, green %2, blue %3")
                 .arg(sums[0] / (27.0 * 18), 0, 'f', 1)
                 .arg(sums[1] / (27.0 * 18), 0, 'f', 1)
                 .arg(sums[2] / (27.0 * 18), 0, 'f', 1));
    QTest::mouseClick(l.w.Find<QPushButton>("blackFromRegion"), Qt::LeftButton);
    QTest::mouseClick(l.w.Find<QPushButton>("whiteFromRegion"), Qt::LeftButton);
    const QStringList means = {QString::number(RoundedMean(sums[0], 27 * 18)),
                               QString::number(RoundedMean(sums[1], 27 * 18)),
                               QString::number(RoundedMean(sums[2], 27 * 18))};
    QCOMPARE(Fields(l.w), means + means);
    QTest::mouseClick(l.w.Find<QPushButton>("suggestPoints"), Qt::LeftButton);
    const engine::Points points =
        engine::SuggestPoints(engine::CountHistograms(picture, {5, 3, 32, 21}));
    QCOMPARE(Fields(l.w),
             (QStringList{QString::number(points.black[0]), QString::number(points.black[1]),
                          QString::number(points.black[2]), QString::number(points.white[0]),
                          QString::number(points.white[1]), QString::number(points.white[2])}));
    // Means of exactly a half go to the even neighbour; each picker writes its own three fields.
    DragWithShift(l.w.Picture(), QPoint(0, 0), QPoint(2 * 1 + 1, 1));  // red 0 and 37
    QTest::mouseClick(l.w.Find<QPushButton>("blackFromRegion"), Qt::LeftButton);
    const QStringList whites = Fields(l.w).mid(3);
    QCOMPARE(Fields(l.w), QStringList({"18", "7", "99"}) + whites);
    DragWithShift(l.w.Picture(), QPoint(0, 2 * 1), QPoint(2 * 1 + 1, 2 * 1 + 1));  // 1 and 38
    QTest::mouseClick(l.w.Find<QPushButton>("whiteFromRegion"), Qt::LeftButton);
    QCOMPARE(Fields(l.w), QStringList({"18", "7", "99", "20", "60", "100"}));
    DragWithShift(l.w.Picture(), QPoint(2 * 31 + 1, 2 * 20 + 1), QPoint(2 * 5, 2 * 3));
    // A Shift+click that goes nowhere keeps it; Reload keeps it; Escape and a drop clear it.
    DragWithShift(l.w.Picture(), QPoint(2, 2), QPoint(3, 3));
    QCOMPARE(l.w.Picture()->Region(), std::optional(marked));
    l.w.Click("btnProcess");
    l.w.Click("btnReload");
    QCOMPARE(l.w.Picture()->Region(), std::optional(marked));
    PressOnPicture(l.w, Qt::Key_Escape);
    QCOMPARE(l.w.Picture()->Region(), std::nullopt);
    QVERIFY(histogram->Histograms()->counts == engine::CountHistograms(picture).counts);
    DragWithShift(l.w.Picture(), QPoint(0, 0), QPoint(9, 9));
    QVERIFY(l.w.Picture()->Region().has_value());
    l.w.DropFile(l.path);
    QCOMPARE(l.w.Picture()->Region(), std::nullopt);
}

QTEST_MAIN(Form1LookTest)
#include "form1_look_test.moc"
