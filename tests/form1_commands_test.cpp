// Process, Cancel, EXIT, Reload and Save, driven by clicks, with messages answered by the fake
// platform and "during the pass" reached through its yield.
#include <QScreen>

#include "engine/histogram.h"
#include "engine/levels.h"
#include "engine/pixel_rule.h"
#include "form1_fixture.h"
#include "ui/histogram_window.h"
#include "ui/picture_view.h"
#include "ui/reduced_view.h"
#include "ui/view_render.h"

using namespace tintwell;
using tests::Window;
namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 10;

// The default settings' rule on every pixel, worked out without the pass.
engine::PixelBuffer Corrected(const engine::PixelBuffer& original) {
    return tests::Corrected(original,
                            engine::CalcFactors({"10", "45", "80"}, {"75", "180", "210"}).levels);
}

struct Loaded {
    tests::TempDir dir;
    fs::path path = tests::WritePicture(dir, "scan.bmp", kWidth, kHeight);
    Window w;
    Loaded() { w.DropFile(path); }
    bool Shows(const engine::PixelBuffer& picture) const {
        return tests::SamePicture(w.Picture()->Pixels(), picture);
    }
};

}  // namespace

class Form1CommandsTest : public QObject {
    Q_OBJECT
private slots:
    void wholeJob();
    void cancelDuringARow_data();
    void cancelDuringARow();
    void leaving_data();
    void leaving();
    void unusableSettings_data();
    void unusableSettings();
    void failuresKeepTheCorrection_data();
    void failuresKeepTheCorrection();
    void reloadAfterCancelFails();
    void closeDuringAPassEndsWithoutWriting();
    void histogramFollowsThePictureAndSuggests();
    void bigScans_data();
    void bigScans();
};

// A whole job: the command states at each step, the pass on the screen and on the disk, an
// unsaved correction thrown away, the readout kept across Save and Reload, and a drop over an
// unsaved correction.
void Form1CommandsTest::wholeJob() {
    Loaded l;
    const auto bytes = tests::ReadBytes(l.path);
    const engine::PixelBuffer expected = Corrected(tests::Pattern(kWidth, kHeight));
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));
    QString during;
    QColor dropBackDuring;
    l.w.platform.onYield = [&](int row) {
        if (row != 3) return;
        during = l.w.States();
        dropBackDuring = l.w.Find("Label3")->palette().color(QPalette::Window);
        QCOMPARE(l.w.platform.pointer, platform::Pointer::Busy);
    };
    l.w.Click("btnProcess");
    QCOMPARE(during, QStringLiteral("0100000"));
    QCOMPARE(dropBackDuring, QColor(192, 192, 192));
    QCOMPARE(l.w.platform.yields, kHeight);
    QCOMPARE(l.w.States(), QStringLiteral("0011111"));
    QCOMPARE(l.w.Find("Label3")->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(l.w.platform.pointer, platform::Pointer::Arrow);
    QCOMPARE(l.w.platform.beeps, 1);
    QVERIFY(l.w.form->PictureChanged() && l.Shows(expected));

    l.w.platform.onYield = nullptr;
    l.w.Click("btnReload");
    QVERIFY(l.Shows(tests::Pattern(kWidth, kHeight)) && !l.w.form->PictureChanged());
    QCOMPARE(tests::ReadBytes(l.path), bytes);
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));

    l.w.Click("btnProcess");
    QTest::mouseClick(l.w.Picture(), Qt::LeftButton, {}, QPoint(1, 1));
    const QString readout = l.w.Title();
    l.w.Click("btnSave");
    QCOMPARE(l.w.States(), QStringLiteral("0011111"));
    QVERIFY(!l.w.form->PictureChanged());
    auto onDisk = document::ReadBmp(l.path);
    QVERIFY(onDisk.Ok() && tests::SamePicture(onDisk.Value(), expected));
    l.w.Click("btnReload");
    QVERIFY(l.Shows(expected));
    QCOMPARE(l.w.Title(), readout);
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));

    l.w.Click("btnProcess");  // a drop replaces an unsaved correction without asking
    l.w.DropFile(tests::WritePicture(l.dir, "other.bmp", 3, 3));
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));
    QVERIFY(!l.w.form->PictureChanged());
    QVERIFY(l.w.platform.messages.empty());
}

void Form1CommandsTest::cancelDuringARow_data() {
    QTest::addColumn<int>("row");
    QTest::newRow("first") << 0;
    QTest::newRow("middle") << 4;
    QTest::newRow("last") << kHeight - 1;
}

void Form1CommandsTest::cancelDuringARow() {
    QFETCH(int, row);
    Loaded l;
    l.w.platform.onYield = [&](int yield) {
        if (yield == row + 1) l.w.Click("btnStop");
    };
    l.w.Click("btnProcess");
    QCOMPARE(l.w.platform.yields, row + 1);
    QVERIFY(l.Shows(tests::Pattern(kWidth, kHeight)));
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));
    QCOMPARE(l.w.platform.beeps, 0);
    QVERIFY(!l.w.form->PictureChanged());
    QCOMPARE(l.w.platform.pointer, platform::Pointer::Arrow);
}

// EXIT and the close box alike: a question only when a correction is unsaved.
void Form1CommandsTest::leaving_data() {
    QTest::addColumn<bool>("closeBox");
    QTest::addColumn<bool>("processed");
    QTest::addColumn<int>("answer");  // 0: no question expected
    for (const bool box : {false, true}) {
        const char* how = box ? "close box" : "EXIT";
        QTest::addRow("%s, nothing unsaved", how) << box << false << 0;
        QTest::addRow("%s, unsaved, No", how) << box << true << int(platform::Answer::No);
        QTest::addRow("%s, unsaved, Yes", how) << box << true << int(platform::Answer::Yes);
    }
}

void Form1CommandsTest::leaving() {
    QFETCH(bool, closeBox);
    QFETCH(bool, processed);
    QFETCH(int, answer);
    Loaded l;
    if (processed) l.w.Click("btnProcess");
    if (answer != 0) l.w.platform.answers.push_back(static_cast<platform::Answer>(answer));
    bool left = false;
    if (closeBox) {
        left = l.w.form->close();
    } else {
        l.w.Click("btnExit");
        left = l.w.platform.ends == 1;
    }
    QCOMPARE(left, answer != int(platform::Answer::No));
    QCOMPARE(l.w.platform.messages.size(), std::size_t{answer != 0 ? 1u : 0u});
    if (answer != 0) {
        QCOMPARE(l.w.LastMessage(), QStringLiteral("Really exit without saving?"));
        QCOMPARE(l.w.platform.messages.back().style, platform::MsgStyle::YesNoWarning);
    }
    if (!left) QVERIFY(l.w.States() == QStringLiteral("0011111") && l.w.form->PictureChanged());
}

// Settings that leave nothing to do or that the pass cannot use: a message titled "Tintwell",
// no pass, nothing changed; the channels settled before the fault show their black texts.
void Form1CommandsTest::unusableSettings_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("redBlack");  // the red black field afterwards
    QTest::newRow("nothing to do") << QStringList{"0.9", "0.9", "0.9", "255", "255", "255"}
                                   << "Black and white point settings give me nothing to do"
                                   << "0";
    QTest::newRow("black out of range")
        << QStringList{"7.5", "1e5", "80", "75", "180", "210"} << "green black point"
        << "7";
    QTest::newRow("white reads as 0")
        << QStringList{"10", "45", "80", "0", "180", "210"} << "red white point"
        << "10";
    QTest::newRow("white empty") << QStringList{"10", "45", "80", "75", "180", ""}
                                 << "blue white point"
                                 << "10";
}

void Form1CommandsTest::unusableSettings() {
    QFETCH(QStringList, texts);
    QFETCH(QString, says);
    QFETCH(QString, redBlack);
    Loaded l;
    l.w.SetLevels(texts);
    l.w.Click("btnProcess");
    QVERIFY2(l.w.LastMessage().contains(says), qPrintable(l.w.LastMessage()));
    QCOMPARE(QString::fromStdString(l.w.platform.messages.back().title),
             QStringLiteral("Tintwell"));
    QCOMPARE(l.w.Field("txtBlackR")->text(), redBlack);
    QCOMPARE(l.w.platform.yields, 0);
    QVERIFY(l.Shows(tests::Pattern(kWidth, kHeight)));
    QCOMPARE(l.w.States(), QStringLiteral("1000111"));
    QVERIFY(!l.w.form->PictureChanged());
}

// A Save or Reload that fails keeps the correction on screen and unsaved, and the file as it was.
void Form1CommandsTest::failuresKeepTheCorrection_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("says");
    QTest::newRow("another name") << "another name"
                                  << "btnSave"
                                  << "Can't save PATH: it has other names (hard links), which "
                                     "replacing it would split off. The file on disk is as it was.";
    QTest::newRow("folder gone") << "folder gone"
                                 << "btnSave"
                                 << "Can't save PATH: its folder can't be written: No such file or "
                                    "directory. The file on disk is as it was.";
    QTest::newRow("file gone") << "file gone"
                               << "btnReload"
                               << "Can't reload PATH: the file does not exist. The picture shown "
                                  "is unchanged.";
}

void Form1CommandsTest::failuresKeepTheCorrection() {
    QFETCH(QString, how);
    QFETCH(QString, command);
    QFETCH(QString, says);
    tests::TempDir dir;
    fs::create_directory(dir / "scans");
    const fs::path path = tests::WritePicture(dir, "scans/scan.bmp", kWidth, kHeight);
    const auto bytes = tests::ReadBytes(path);
    Window w;
    w.DropFile(path);
    w.Click("btnProcess");
    if (how == "another name") fs::create_hard_link(path, dir / "scans/other.bmp");
    if (how == "folder gone") fs::remove_all(dir / "scans");
    if (how == "file gone") fs::remove(path);

    w.Click(command.toLatin1().constData());

    QCOMPARE(w.LastMessage(), says.replace("PATH", QString::fromStdString(path.string())));
    if (how == "another name") QCOMPARE(tests::ReadBytes(path), bytes);
    if (how == "folder gone") QVERIFY(!fs::exists(dir / "scans"));
    QCOMPARE(w.States(), QStringLiteral("0011111"));
    QVERIFY(w.form->PictureChanged());
    QVERIFY(tests::SamePicture(w.Picture()->Pixels(), Corrected(tests::Pattern(kWidth, kHeight))));
    w.platform.answers.push_back(platform::Answer::No);
    w.Click("btnExit");
    QCOMPARE(w.LastMessage(), QStringLiteral("Really exit without saving?"));
}

// A file damaged during the pass cannot be reloaded by the Cancel: only Reload is offered.
void Form1CommandsTest::reloadAfterCancelFails() {
    Loaded l;
    l.w.platform.onYield = [&](int yield) {
        if (yield != 2) return;
        tests::WriteBytes(l.path, {'B', 'M', 0});  // damaged behind the program's back
        l.w.Click("btnStop");
    };
    l.w.Click("btnProcess");
    QVERIFY2(l.w.LastMessage().startsWith(QStringLiteral("Can't reload ")),
             qPrintable(l.w.LastMessage()));
    QCOMPARE(l.w.States(), QStringLiteral("0010111"));  // only Reload, EXIT, drops and the picture
    QVERIFY(!l.w.form->PictureChanged());
}

void Form1CommandsTest::closeDuringAPassEndsWithoutWriting() {
    Loaded l;
    const auto bytes = tests::ReadBytes(l.path);
    bool closedDuringPass = true;
    l.w.platform.onYield = [&](int yield) {
        if (yield == 3) closedDuringPass = l.w.form->close();
    };
    l.w.Click("btnProcess");
    QVERIFY(!closedDuringPass);  // the pass finishes its row first
    QCOMPARE(l.w.platform.yields, 3);
    QCOMPARE(l.w.platform.ends, 1);
    QCOMPARE(l.w.platform.beeps, 0);
    QVERIFY(l.w.platform.messages.empty());
    QCOMPARE(tests::ReadBytes(l.path), bytes);
}

void Form1CommandsTest::histogramFollowsThePictureAndSuggests() {
    Loaded l;
    auto* histogram = l.w.Find<ui::HistogramWindow>("histogramWindow");
    QVERIFY(!histogram->isVisible());
    QTest::keyClick(l.w.form.get(), Qt::Key_H, Qt::ControlModifier);
    QVERIFY(histogram->isVisible());
    const auto counted = [](const engine::PixelBuffer& p) { return engine::CountHistograms(p); };
    QVERIFY(histogram->Histograms()->counts == counted(tests::Pattern(kWidth, kHeight)).counts);

    std::optional<engine::Histograms> during;
    bool suggestDuring = true;
    l.w.platform.onYield = [&](int row) {
        if (row != 2) return;
        during = histogram->Histograms();
        suggestDuring = l.w.Find<QPushButton>("suggestPoints")->isEnabled();
    };
    l.w.Click("btnProcess");
    QVERIFY(during->counts == counted(tests::Pattern(kWidth, kHeight)).counts);
    QVERIFY(!suggestDuring);
    const engine::Histograms after = counted(Corrected(tests::Pattern(kWidth, kHeight)));
    QVERIFY(histogram->Histograms()->counts == after.counts);

    QTest::mouseClick(l.w.Find<QPushButton>("suggestPoints"), Qt::LeftButton);
    const engine::Points points = engine::SuggestPoints(after);
    for (int c = 0; c < engine::kChannels; ++c) {
        QCOMPARE(l.w.Field(std::array{"txtBlackR", "txtBlackG", "txtBlackB"}[c])->text().toInt(),
                 points.black[c]);
        QCOMPARE(l.w.Field(std::array{"txtWhiteR", "txtWhiteG", "txtWhiteB"}[c])->text().toInt(),
                 points.white[c]);
    }
    QCOMPARE(l.w.States(), QStringLiteral("0011111"));  // a suggestion changes no command
    QVERIFY(l.w.platform.messages.empty());
    l.w.Click("btnReload");
    QVERIFY(histogram->Histograms()->counts == counted(tests::Pattern(kWidth, kHeight)).counts);
}

void Form1CommandsTest::bigScans_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("40000 x 2") << QSize(40000, 2);
    QTest::newRow("2 x 40000") << QSize(2, 40000);
}

// Wider or higher than 16-bit counters reach, or than the screen: shown whole, corrected and
// saved whole, and the reduced view drawn during the pass is in step with the pixels.
void Form1CommandsTest::bigScans() {
    QFETCH(QSize, size);
    tests::TempDir dir;
    const fs::path path = tests::WritePicture(dir, "big.bmp", size.width(), size.height());
    Window w;
    w.DropFile(path);
    auto* view = w.Find<ui::PictureView>("pictureArea");
    QVERIFY(view->IsFitted() && view->Zoom() < 1.0);
    QVERIFY(view->viewport()->rect().contains(w.Picture()->geometry()));
    (void)w.Picture()->grab();  // painted once before the pass, as on a screen
    w.Click("btnProcess");
    QCOMPARE(w.platform.yields, size.height());
    const engine::PixelBuffer expected = Corrected(tests::Pattern(size.width(), size.height()));
    ui::ReducedView fresh;
    fresh.Rebuild(expected);
    const QImage shown = w.Picture()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage drawn(shown.size(), QImage::Format_RGB32);
    ui::RenderView(expected, fresh, view->Zoom(), {0, 0, drawn.width(), drawn.height()},
                   reinterpret_cast<std::uint32_t*>(drawn.bits()), drawn.bytesPerLine() / 4,
                   w.Picture()->palette().window().color().rgb());
    QCOMPARE(shown, drawn);
    w.Click("btnSave");
    auto onDisk = document::ReadBmp(path);
    QVERIFY(onDisk.Ok());
    QVERIFY(tests::SamePicture(onDisk.Value(), expected));
    QVERIFY(w.form->screen()->availableGeometry().contains(w.form->frameGeometry()));
}

QTEST_MAIN(Form1CommandsTest)
#include "form1_commands_test.moc"
