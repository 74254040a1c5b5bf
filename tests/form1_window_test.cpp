// The window as a user first meets it: its controls, drops onto "Drop BMP here", the fitting
// to a picture and the pixel readout.
#include "form1_fixture.h"
#include "ui/picture_view.h"

using namespace tintwell;
using tests::Window;

class Form1WindowTest : public QObject {
    Q_OBJECT
private slots:
    void atStart();
    void tabOrder();
    void drops_data();
    void drops();
};

// The six fields point to the histogram window.
const char* const kFieldTip = "Right-click, or Ctrl+H: the histogram, and suggested points";

// The window as it opens: the strip's controls by name, with their texts and tooltips (their
// places are checked from outside, by the desktop test), its size, state and colours.
void Form1WindowTest::atStart() {
    Window w;
    const char* const controls[][3] = {
        {"Label3", "Drop BMP here", "Drag a BMP file from Explorer and drop it here"},
        {"btnReload", "Reload", "Reloads current picture (lose changes)"},
        {"Label1", "Black point", ""},
        {"txtBlackR", "10", kFieldTip},
        {"txtBlackG", "45", kFieldTip},
        {"txtBlackB", "80", kFieldTip},
        {"Label2", "White point", ""},
        {"txtWhiteR", "75", kFieldTip},
        {"txtWhiteG", "180", kFieldTip},
        {"txtWhiteB", "210", kFieldTip},
        {"btnProcess", "Process", "Apply black and white point settings"},
        {"btnStop", "Cancel", "Cancel processing"},
        {"btnSave", "Save", "Save picture (overwrites original BMP)"},
        {"btnExit", "EXIT", "Exit Tintwell"},
        {"Shape1", "", ""},
        {"Shape6", "", ""}};
    for (const auto& [name, text, tip] : controls) {
        QWidget* control = w.form->findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY2(control != nullptr && control->isVisible(), name);
        QCOMPARE(control->toolTip(), QString::fromLatin1(tip));
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(control)) shown = label->text();
        if (auto* button = qobject_cast<QPushButton*>(control)) shown = button->text();
        if (auto* field = qobject_cast<QLineEdit*>(control)) shown = field->text();
        QCOMPARE(shown, QString::fromLatin1(text));
    }
    QVERIFY(w.Title().startsWith(QStringLiteral("Tintwell ")));  // with the version
    QCOMPARE(w.form->size(), QSize(617, 46));
    QCOMPARE(w.form->minimumSize(), w.form->maximumSize());  // not resizable by dragging
    QVERIFY(!w.Picture()->isVisible());
    QCOMPARE(w.States(), QStringLiteral("0000111"));
    // The outer size: the client area plus whatever frame the platform draws.
    QCOMPARE(w.form->InitialWidth(), w.form->frameGeometry().width() * 15);
    QCOMPARE(w.form->InitialHeight(), w.form->frameGeometry().height() * 15);
    QCOMPARE(w.Find("Label3")->palette().color(QPalette::Window), QColor(128, 128, 128));
    QCOMPARE(w.Find("Label3")->palette().color(QPalette::WindowText), QColor(255, 255, 0));
    QLineEdit* field = w.Field("txtWhiteB");  // three characters at most
    field->clear();
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("1234"));
    QCOMPARE(field->text(), QStringLiteral("123"));
}

void Form1WindowTest::tabOrder() {
    Window w;
    const QStringList expected = {"btnProcess", "btnSave",   "txtBlackR", "txtBlackG",
                                  "txtBlackB",  "txtWhiteR", "txtWhiteG", "txtWhiteB",
                                  "btnReload",  "btnStop",   "Picture1",  "btnExit"};
    QWidget* widget = w.Button("btnProcess");
    QStringList seen;
    for (int i = 0; i < expected.size(); ++i) {
        seen << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (widget->focusPolicy() == Qt::NoFocus || widget->objectName().isEmpty());
    }
    QCOMPARE(seen, expected);
}

// Files given to the window: dropped on "Drop BMP here", or named on its command line (Open
// With), which goes the same way.
void Form1WindowTest::drops_data() {
    QTest::addColumn<QStringList>("names");  // files made in a temporary folder; "" for none
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("named");  // on the command line
    for (const bool named : {false, true}) {
        const auto row = [named](const char* name) -> QTestData& {
            return QTest::newRow((std::string(named ? "named, " : "dropped, ") + name).c_str());
        };
        row("mixed case") << QStringList{"photo.Bmp"} << QString() << named;
        row("two files") << QStringList{"a.bmp", "b.bmp"} << "One at a time please!" << named;
        row("none") << QStringList{""} << "One at a time please!" << named;
        row("wrong extension") << QStringList{"photo.bmp.txt"} << "I only take BMP files" << named;
        row("damaged") << QStringList{"damaged.bmp"} << "Can't read that for some reason" << named;
        row("folder") << QStringList{"folder.bmp/"} << "Can't read that for some reason" << named;
        row("missing") << QStringList{"missing.bmp!"} << "Can't read that for some reason" << named;
    }
}

void Form1WindowTest::drops() {
    QFETCH(QStringList, names);
    QFETCH(QString, message);
    QFETCH(bool, named);
    tests::TempDir dir;
    Window w;
    const QString startTitle = w.Title();
    QStringList paths;
    for (QString name : names) {
        if (name.endsWith('/')) {
            name.chop(1);
            std::filesystem::create_directory(dir / name.toStdString());
        } else if (name.endsWith('!')) {
            name.chop(1);
        } else if (name.startsWith(QStringLiteral("damaged"))) {
            tests::WriteBytes(dir / name.toStdString(), {'B', 'M', 1, 2, 3});
        } else if (!name.isEmpty()) {
            tests::WritePicture(dir, name.toStdString(), 4, 3);
        }
        paths << QString::fromStdString((dir / name.toStdString()).string());
    }
    QMimeData text;
    text.setText(QStringLiteral("some text"));
    const auto give = [&] {
        std::vector<std::string> files;
        if (names != QStringList{""})
            for (const QString& p : paths) files.push_back(p.toStdString());
        if (named) return w.form->OpenFiles(files);
        names == QStringList{""} ? w.Drop(text) : w.DropFiles(paths);
    };
    give();

    if (message.isEmpty()) {
        QVERIFY(w.platform.messages.empty());
        QCOMPARE(w.Title(), QStringLiteral("Tintwell - ") + paths.front());
        QCOMPARE(QString::fromStdString(w.form->PicturePath()), paths.front());
        QVERIFY(w.Picture()->isVisible());
        QCOMPARE(w.States(), QStringLiteral("1000111"));
        QCOMPARE(w.Picture()->size(), QSize(4, 3));
        return;
    }
    QCOMPARE(w.platform.messages.size(), std::size_t{1});
    QCOMPARE(w.LastMessage(), message);
    QCOMPARE(w.platform.messages.back().style, platform::MsgStyle::OkForeground);
    QCOMPARE(QString::fromStdString(w.platform.messages.back().title), QStringLiteral("Tintwell"));
    QCOMPARE(w.Title(), startTitle);
    QVERIFY(w.form->PicturePath().empty());
    QVERIFY(!w.Picture()->isVisible());
    QCOMPARE(w.form->size(), QSize(617, 46));
    QCOMPARE(w.States(), QStringLiteral("0000111"));

    // Refused over a picture shown, the picture and the window stay as they were.
    const auto good = tests::WritePicture(dir, "good.bmp", 5, 4);
    w.DropFile(good);
    const QString title = w.Title();
    const QSize size = w.form->size();
    give();
    QCOMPARE(w.LastMessage(), message);
    QCOMPARE(w.Title(), title);
    QCOMPARE(w.form->PicturePath(), good.string());
    QCOMPARE(w.form->size(), size);
    QCOMPARE(w.States(), QStringLiteral("1000111"));
}

QTEST_MAIN(Form1WindowTest)
#include "form1_window_test.moc"
